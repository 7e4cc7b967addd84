// The replicate verdict of the process list and the symmetry indices of a process are computed
// with hashed keys and cached operator images. Here both are checked against a direct
// transcription of the literal pairwise algorithm that goes through the automation interfaces
// only (the oracle): on models small enough to count by hand, and on thousands of random models,
// where a failing model must fail with the same result code and description in both.
//
// A random model is made again from its seed alone: set KMC_ORACLE_SEED to run one seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "com/holders.h"
#include "geometry/plane_groups.h"
#include "lattice/site_specification.h"
#include "nox/format.h"
#include "nox/registry.h"
#include "numeric/uniform.h"
#include "process/process_list.h"
#include "support.h"
#include "vxostrel/ids.h"
#include "vxostrel/module.h"

namespace {

using kmctest::TakeErrorDescription;
using kmctest::Text;
using ::testing::NiceMock;
using ::testing::Return;

// What a verdict query answers.
struct Verdict {
    VARIANT_BOOL flag = VARIANT_FALSE;
    std::string message;
    friend bool operator==(const Verdict&, const Verdict&) = default;
};

using Indices = std::vector<LONG>;

// What a query gave: its value, or its failure (result code and description).
template <class Value>
struct Answer {
    HRESULT hr = S_OK;
    std::string failure;
    Value value{};
    friend bool operator==(const Answer&, const Answer&) = default;
};

std::string Render(const Indices& indices) {
    std::string text = "[";
    for (size_t k = 0; k < indices.size(); ++k) text += (k > 0 ? " " : "") + std::to_string(indices[k]);
    return text + "]";
}

std::string Render(const Verdict& verdict) {
    const std::string flag = verdict.flag == VARIANT_TRUE    ? "true"
                             : verdict.flag == VARIANT_FALSE ? "false"
                                                             : "flag " + std::to_string(verdict.flag);
    return flag + " \"" + verdict.message + "\"";
}

template <class Value>
std::string Render(const Answer<Value>& answer) {
    if (!FAILED(answer.hr)) return Render(answer.value);
    std::ostringstream out;
    out << "failure 0x" << std::hex << std::uppercase << static_cast<uint32_t>(answer.hr) << ": "
        << answer.failure;
    return out.str();
}

// ---------------------------------------------------------------------------------------------
// The oracle: the two algorithms as written, one automation call at a time.
namespace oracle {

// A call that failed, with the description it left.
struct CallFailed {
    HRESULT hr;
    std::string description;
};

void Check(HRESULT hr) {
    if (FAILED(hr)) throw CallFailed{hr, TakeErrorDescription()};
}

using Site = NoxComPtr<IVxKMCActiveSite>;
using Sites = std::vector<Site>;

bool Equivalent(const Site& site, const Site& other) {
    VARIANT_BOOL flag = VARIANT_FALSE;
    Check(site->get_IsEquivalent(other.Get(), &flag));
    return flag == VARIANT_TRUE;
}

bool LessThan(const Site& site, const Site& other) {
    VARIANT_BOOL flag = VARIANT_FALSE;
    Check(site->get_IsLessThan(other.Get(), &flag));
    return flag == VARIANT_TRUE;
}

// Whether every site of `sites` is equivalent to some site of `others`.
bool EachHasAnEquivalent(const Sites& sites, const Sites& others) {
    return std::all_of(sites.begin(), sites.end(), [&](const Site& site) {
        return std::any_of(others.begin(), others.end(),
                           [&](const Site& other) { return Equivalent(site, other); });
    });
}

bool SameSites(const Sites& a, const Sites& b) {
    return EachHasAnEquivalent(a, b) && EachHasAnEquivalent(b, a);
}

Sites Transformed(const Sites& sites, LONG operatorIndex) {
    Sites images;
    for (const Site& site : sites) {
        Site image;
        Check(site->Transform(operatorIndex, image.Put()));
        images.push_back(image);
    }
    return images;
}

// The sites moved by whole cells so that the least of them (the earlier of equals) sits in the
// reference cell.
Sites Normalised(const Sites& sites) {
    if (sites.empty()) return {};
    const Site* least = &sites.front();
    for (const Site& site : sites)
        if (LessThan(site, *least)) least = &site;
    NoxComPtr<IVxKMCSiteSpecification> spec;
    Check((*least)->get_SiteSpecification(spec.Put()));
    LONG i = 0, j = 0, n = 0;
    Check(spec->GetSiteDetails(&i, &j, &n));
    Sites moved;
    for (const Site& site : sites) {
        Site translated;
        Check(site->Translate(-i, -j, translated.Put()));
        moved.push_back(translated);
    }
    return moved;
}

Sites ActiveSites(IVxKMCProcess* process) {
    LONG count = 0;
    Check(process->get_NumberActiveSites(&count));
    Sites sites;
    for (LONG index = 0; index < count; ++index) {
        Site site;
        Check(process->get_ActiveSite(index, site.Put()));
        sites.push_back(site);
    }
    return sites;
}

// An enabling site as a reaction site that leaves its species as it is, made without parents.
Site AsReactionSite(IVxKMCBlockingSite* enabling) {
    NoxComPtr<IVxKMCSiteSpecification> spec;
    Check(enabling->get_SiteSpecification(spec.Put()));
    NoxBSTR pattern;
    Check(enabling->get_SourcePattern(pattern.Put()));
    Site site;
    Check(NoxCreateImpl(CLSID_KMCActiveSite, nullptr, 0, IID_IVxKMCActiveSite, site.PutVoid(), false));
    Check(site->SetSiteDetails(vxKMCActiveSiteTypeReaction, spec.Get(), pattern.Get(), pattern.Get()));
    return site;
}

Indices SymmetryIndices(IVxKMCProcess* process, IVxKMCLattice* lattice) {
    Sites sites = ActiveSites(process);
    // An adsorption or desorption always holds two active sites, so for the processes made here
    // "none in play" is "none at all".
    if (sites.empty()) return {};
    LONG enablingCount = 0;
    Check(process->get_NumberBlockingSites(&enablingCount));
    for (LONG index = 0; index < enablingCount; ++index) {
        NoxComPtr<IVxKMCBlockingSite> enabling;
        Check(process->get_BlockingSite(index, enabling.Put()));
        sites.push_back(AsReactionSite(enabling.Get()));
    }
    LONG operators = 0;
    Check(lattice->get_OperatorCount(&operators));
    Indices indices{0};
    std::vector<Sites> known{sites};
    for (LONG k = 1; k < operators; ++k) {
        Sites image = Transformed(sites, k);
        if (std::any_of(known.begin(), known.end(),
                        [&](const Sites& seen) { return SameSites(image, seen); }))
            continue;
        indices.push_back(k);
        known.push_back(std::move(image));
    }
    return indices;
}

struct Recorded {
    LONG position;
    std::string identifier;
    NoxComPtr<IVxKMCProcess> process;
    Sites set;
};

std::string ReplicateLine(const Recorded& later, const Recorded& earlier, LONG symmetryIndex) {
    return NoxFormat(symmetryIndex == 0
                         ? "Process %1 (%2) is a replicate of process %3 (%4)\n"
                         : "Process %1 (%2) is a replicate of a symmetry image of process %3 (%4)\n")
           << later.position + 1 << later.identifier << earlier.position + 1 << earlier.identifier;
}

Verdict Uniqueness(IVxKMCProcessList* list, IVxKMCLattice* lattice) {
    LONG count = 0;
    Check(list->get_Count(&count));
    std::vector<Recorded> recorded;
    for (LONG position = 0; position < count; ++position) {
        NoxComPtr<IVxKMCProcess> process;
        Check(list->get_Item(position, process.Put()));
        VARIANT_BOOL enabled = VARIANT_FALSE;
        Check(process->get_Enabled(&enabled));
        if (enabled != VARIANT_TRUE) continue;
        NoxBSTR identifier;
        Check(process->get_Identifier(identifier.Put()));
        Sites set = Normalised(ActiveSites(process.Get()));
        recorded.push_back({position, identifier.ToTString(), process, std::move(set)});
    }
    Verdict verdict{VARIANT_TRUE, ""};
    for (size_t k = 1; k < recorded.size(); ++k) {
        IVxKMCProcess* process = recorded[k].process.Get();
        const Sites sites = ActiveSites(process);
        for (LONG symmetryIndex : SymmetryIndices(process, lattice)) {
            const Sites image = Normalised(Transformed(sites, symmetryIndex));
            for (size_t j = 0; j < k; ++j) {
                if (!SameSites(image, recorded[j].set)) continue;
                verdict.flag = VARIANT_FALSE;
                if (verdict.message.empty())
                    verdict.message =
                        "The following processes appear to be replications of each other,\n"
                        "according to their active site specifications.\n\n";
                verdict.message += ReplicateLine(recorded[k], recorded[j], symmetryIndex);
            }
        }
    }
    return verdict;
}

template <class Value, class Query>
Answer<Value> Ask(Query query) {
    try {
        return {S_OK, "", query()};
    } catch (const CallFailed& failed) {
        return {failed.hr, failed.description, {}};
    } catch (const NoxResult& failure) {  // a call on a missing object
        return {failure.Code(), failure.Description(), {}};
    }
}

}  // namespace oracle

// ---------------------------------------------------------------------------------------------
// The library's answers.

Answer<Verdict> LibraryUniqueness(IVxKMCProcessList* list) {
    NoxBSTR message;
    Verdict verdict;
    const HRESULT hr = list->get_AreProcessesUnique(message.Put(), &verdict.flag);
    if (FAILED(hr)) return {hr, TakeErrorDescription(), {}};
    verdict.message = message.ToTString();
    return {hr, "", verdict};
}

Answer<Indices> LibraryIndices(IVxKMCProcess* process) {
    SAFEARRAY* raw = nullptr;
    const HRESULT hr = process->get_DistinctSymmetryIndices(&raw);
    if (FAILED(hr)) return {hr, TakeErrorDescription(), {}};
    nox::UniqueSafeArray array(raw);
    VARTYPE type = VT_EMPTY;
    LONG lower = -1, upper = -1;
    EXPECT_EQ(raw->cDims, 1);
    EXPECT_EQ(SafeArrayGetVartype(raw, &type), S_OK);
    EXPECT_EQ(type, VT_I4);
    EXPECT_EQ(SafeArrayGetLBound(raw, 1, &lower), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(raw, 1, &upper), S_OK);
    EXPECT_EQ(lower, 0);
    Indices indices;
    for (LONG k = lower; k <= upper; ++k) {
        LONG index = -1;
        EXPECT_EQ(SafeArrayGetElement(raw, &k, &index), S_OK);
        indices.push_back(index);
    }
    return {hr, "", indices};
}

// ---------------------------------------------------------------------------------------------
// Models: a lattice with its sites, a species list and a process list, linked as a host links
// them, with processes made through the automation interfaces from plans.

// Which address object a site is given: its own, a new one that belongs to no lattice, or none.
enum class Spec { Own, Unlinked, Missing };

struct SitePlan {
    vxKMCActiveSiteType type;
    PeriodicTranslation address;
    std::string source, result;
    Spec spec = Spec::Own;
};

struct EnablingPlan {
    PeriodicTranslation address;
    std::string pattern;
    Spec spec = Spec::Own;
};

struct ProcessPlan {
    std::string type;  // "Undefined" leaves the process undefined
    std::string identifier;
    bool enabled = true;
    bool associative = false;
    std::vector<SitePlan> sites;  // every active site, in play or not
    std::vector<EnablingPlan> enabling;
};

bool HasTwoSitesAtMost(const std::string& type) { return type == "Adsorption" || type == "Desorption"; }
bool TakesAddedSites(const std::string& type) { return type == "Reaction" || type == "General"; }

// The active sites a process of `type` starts with.
std::vector<vxKMCActiveSiteType> DefaultSiteTypes(const std::string& type) {
    constexpr auto S = vxKMCActiveSiteTypeSource;
    constexpr auto D = vxKMCActiveSiteTypeDestination;
    static const std::map<std::string, std::vector<vxKMCActiveSiteType>> defaults = {
        {"Adsorption", {D, D}},     {"Desorption", {S, S}},      {"Diffusion", {S, D}},
        {"Association", {S, S, D}}, {"Dissociation", {S, D, D}},
    };
    auto found = defaults.find(type);
    return found != defaults.end() ? found->second : std::vector<vxKMCActiveSiteType>{};
}

void Expect(HRESULT hr) { EXPECT_EQ(hr, S_OK) << TakeErrorDescription(); }

std::string AddressText(const PeriodicTranslation& a, Spec spec) {
    if (spec == Spec::Missing) return "(no address)";
    return NoxFormat(spec == Spec::Unlinked ? "( %1 , %2 / %3 ) of no lattice" : "( %1 , %2 / %3 )")
           << a.i << a.j << a.site;
}

// The address object a site is given, set to `address`: its own, a new one from the class
// registry, or none.
template <class Site>
NoxComPtr<IVxKMCSiteSpecification> AddressFor(Site* site, Spec kind, const PeriodicTranslation& address) {
    NoxComPtr<IVxKMCSiteSpecification> spec;
    if (kind == Spec::Missing) return spec;
    if (kind == Spec::Unlinked)
        Expect(NoxCreateImpl(CLSID_KMCSiteSpecification, nullptr, 0, IID_IVxKMCSiteSpecification,
                             spec.PutVoid(), false));
    else
        Expect(site->get_SiteSpecification(spec.Put()));
    Expect(spec->SetSiteDetails(address.i, address.j, address.site));
    return spec;
}

class Model {
public:
    Model(const std::string& latticeType, const std::string& group) : group_(group) {
        ON_CALL(document_, CanEdit()).WillByDefault(Return(NoxResult(S_OK)));
        lattice_->SetParent(&document_, nullptr, processes_.Get(), nullptr);
        species_->SetParent(&document_, nullptr, processes_.Get(), nullptr);
        processes_->SetParent(&document_, nullptr, lattice_.Get(), species_.Get());
        const double theta = latticeType == "Hexagonal" ? 60.0 : latticeType == "Oblique" ? 75.0 : 90.0;
        lattice_->SetLattice(2, latticeType, group, 2.5, 3.0, theta);
        for (const char* name : {"A", "B"}) {
            NoxComPtr<IVxKMCSpecies> species;
            Expect(species_->CreateSpecies(Text(name).Get(), species.Put()));
        }
    }

    // A request for a site and its symmetry images; a request for positions already taken is
    // refused, and leaves the list as it was.
    void AddLatticeSite(const char* category, const char* siteType, double x, double y) {
        NoxComPtr<IVxKMCLatticeSite> site;
        if (FAILED(lattice_->RawLatticeSiteList()->CreateLatticeSite(
                Text(category).Get(), Text(siteType).Get(), x, y, 0, site.Put())))
            (void)TakeErrorDescription();
    }

    LONG SiteCount() const { return lattice_->RawLatticeSiteList()->Count(); }
    LONG OperatorCount() const { return static_cast<LONG>(lattice_->OperatorCount()); }

    // Where operator `k` takes an address; nothing when the address has no image.
    std::optional<PeriodicTranslation> Image(const PeriodicTranslation& address, LONG k) const {
        NoxComPtr<KMCSiteSpecification> spec = KMCSiteSpecification::Create();
        spec->SetParent(nullptr, lattice_.Get());
        spec->SetAddress(address);
        NoxComPtr<IVxKMCSiteSpecification> image;
        if (FAILED(spec->Transform(k, image.Put()))) {
            (void)TakeErrorDescription();
            return std::nullopt;
        }
        PeriodicTranslation mapped{};
        Expect(image->GetSiteDetails(&mapped.i, &mapped.j, &mapped.site));
        return mapped;
    }

    void AddProcess(const ProcessPlan& plan) {
        NoxComPtr<IVxKMCProcess> process;
        Expect(processes_->CreateProcess(Text(plan.type.c_str()).Get(), process.Put()));
        if (plan.type == "Undefined") return;
        Expect(process->put_Identifier(Text(plan.identifier.c_str()).Get()));
        // Both sites of an adsorption or desorption are in reach only while it is associative.
        if (HasTwoSitesAtMost(plan.type)) Expect(process->put_IsAssociative(VARIANT_TRUE));
        for (size_t index = 0; index < plan.sites.size(); ++index) {
            const SitePlan& planned = plan.sites[index];
            NoxComPtr<IVxKMCActiveSite> site;
            if (TakesAddedSites(plan.type))
                Expect(process->AddActiveSite(planned.type, site.Put()));
            else
                Expect(process->get_ActiveSite(static_cast<LONG>(index), site.Put()));
            const NoxComPtr<IVxKMCSiteSpecification> spec =
                AddressFor(site.Get(), planned.spec, planned.address);
            // Refused details are kept as given: that is how a site in a contradictory state is
            // made.
            const bool contradictory =
                (planned.type == vxKMCActiveSiteTypeSource && !planned.result.empty()) ||
                (planned.type == vxKMCActiveSiteTypeDestination && !planned.source.empty());
            EXPECT_EQ(kmctest::Result(site->SetSiteDetails(planned.type, spec.Get(),
                                                           Text(planned.source.c_str()).Get(),
                                                           Text(planned.result.c_str()).Get()))
                          .first,
                      contradictory ? E_UNEXPECTED : S_OK);
        }
        if (HasTwoSitesAtMost(plan.type))
            Expect(process->put_IsAssociative(plan.associative ? VARIANT_TRUE : VARIANT_FALSE));
        for (const EnablingPlan& planned : plan.enabling) {
            NoxComPtr<IVxKMCBlockingSite> site;
            Expect(process->AddBlockingSite(site.Put()));
            const NoxComPtr<IVxKMCSiteSpecification> spec =
                AddressFor(site.Get(), planned.spec, planned.address);
            Expect(site->SetSiteDetails(spec.Get(), nullptr));
            Expect(site->put_SourcePattern(Text(planned.pattern.c_str()).Get()));
        }
        if (!plan.enabled) Expect(process->put_Enabled(VARIANT_FALSE));
    }

    IVxKMCProcessList* Processes() const { return processes_.Get(); }
    IVxKMCLattice* Lattice() const { return lattice_.Get(); }

    std::vector<NoxComPtr<IVxKMCProcess>> ProcessItems() const {
        std::vector<NoxComPtr<IVxKMCProcess>> items;
        for (LONG position = 0; position < static_cast<LONG>(processes_->Count()); ++position) {
            NoxComPtr<IVxKMCProcess> process;
            Expect(processes_->get_Item(position, process.Put()));
            items.push_back(process);
        }
        return items;
    }

    std::string Dump(const std::vector<ProcessPlan>& plans) const {
        static const char* const kSiteTypes[] = {"Source", "Destination", "Reaction"};
        std::ostringstream out;
        out << lattice_->LatticeType() << " lattice, group \"" << group_ << "\", " << OperatorCount()
            << " operators; lattice sites:";
        int number = 0;
        for (const kmctest::SiteValues& site : kmctest::Sites(*lattice_))
            out << "\n  " << ++number << ": " << site.category << " at (" << site.x << ", " << site.y
                << "), label " << site.label;
        for (size_t position = 0; position < plans.size(); ++position) {
            const ProcessPlan& plan = plans[position];
            out << "\nprocess " << position + 1 << ": " << plan.type << ' ' << plan.identifier
                << (plan.enabled ? "" : ", disabled") << (plan.associative ? ", associative" : "");
            for (const SitePlan& site : plan.sites)
                out << "\n  " << kSiteTypes[site.type] << ' ' << AddressText(site.address, site.spec) << " \""
                    << site.source << "\" -> \"" << site.result << '"';
            for (const EnablingPlan& site : plan.enabling)
                out << "\n  enabling " << AddressText(site.address, site.spec) << " \"" << site.pattern
                    << '"';
        }
        return out.str();
    }

private:
    std::string group_;
    NiceMock<kmctest::MockDocument> document_;
    NoxComPtr<KMCLattice> lattice_ = KMCLattice::Create();
    NoxComPtr<KMCSpeciesList> species_ = KMCSpeciesList::Create();
    NoxComPtr<KMCProcessList> processes_ = KMCProcessList::Create();
};

// Both answers of both sides for one model.
struct Comparison {
    Answer<Verdict> library, oracle;
    std::vector<Answer<Indices>> libraryIndices, oracleIndices;

    explicit Comparison(const Model& model) {
        library = LibraryUniqueness(model.Processes());
        oracle = oracle::Ask<Verdict>([&] { return oracle::Uniqueness(model.Processes(), model.Lattice()); });
        for (const NoxComPtr<IVxKMCProcess>& process : model.ProcessItems()) {
            libraryIndices.push_back(LibraryIndices(process.Get()));
            oracleIndices.push_back(oracle::Ask<Indices>(
                [&] { return oracle::SymmetryIndices(process.Get(), model.Lattice()); }));
        }
    }

    bool Agrees() const { return library == oracle && libraryIndices == oracleIndices; }

    std::string Differences() const {
        std::ostringstream out;
        if (library != oracle)
            out << "\nuniqueness, library: " << Render(library)
                << "\nuniqueness, oracle:  " << Render(oracle);
        for (size_t k = 0; k < libraryIndices.size(); ++k)
            if (libraryIndices[k] != oracleIndices[k])
                out << "\nindices of process " << k + 1 << ", library: " << Render(libraryIndices[k])
                    << "\nindices of process " << k + 1 << ", oracle:  " << Render(oracleIndices[k]);
        return out.str();
    }
};

// ---------------------------------------------------------------------------------------------
// Models counted by hand.

constexpr auto kSource = vxKMCActiveSiteTypeSource;
constexpr auto kDestination = vxKMCActiveSiteTypeDestination;
constexpr auto kReaction = vxKMCActiveSiteTypeReaction;

constexpr const char* kHeader =
    "The following processes appear to be replications of each other,\n"
    "according to their active site specifications.\n\n";

SitePlan Leaves(PeriodicTranslation at, const char* species) { return {kSource, at, species, ""}; }
SitePlan Arrives(PeriodicTranslation at, const char* species) { return {kDestination, at, "", species}; }
SitePlan Turns(PeriodicTranslation at, const char* from, const char* to) { return {kReaction, at, from, to}; }

ProcessPlan Process(const char* type, const char* identifier, std::vector<SitePlan> sites,
                    std::vector<EnablingPlan> enabling = {}) {
    return {type, identifier, true, false, std::move(sites), std::move(enabling)};
}

ProcessPlan Diffusion(const char* identifier, PeriodicTranslation from, PeriodicTranslation to) {
    return Process("Diffusion", identifier, {Leaves(from, "A"), Arrives(to, "A")});
}

ProcessPlan Disabled(ProcessPlan plan) {
    plan.enabled = false;
    return plan;
}

struct HandCase {
    const char* name;
    const char* latticeType;
    const char* group;
    std::vector<ProcessPlan> processes;
    std::string uniqueness;            // the verdict, or the failure
    std::vector<std::string> indices;  // per process: the indices, or the failure
};

std::string Replicates(const std::string& lines) { return "false \"" + std::string(kHeader) + lines + "\""; }

const std::string kUnique = "true \"\"";
const std::string kNotInitialised = "failure 0x8000FFFF: Lumetra Process has not been initialised.";
const std::string kSiteIndexInvalid = "failure 0x8000FFFF: Site index is invalid";

// The oracle creates its temporary sites through the class registry, as a host would.
class ProcessOracleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(DllRegisterServer(), S_OK); }
};

TEST_F(ProcessOracleTest, ModelsCountedByHand) {
    const HandCase cases[] = {
        {"two diffusions one cell apart",
         "Oblique",
         "p 1",
         {Diffusion("A", {0, 0, 1}, {1, 0, 1}), Diffusion("B", {1, 0, 1}, {2, 0, 1})},
         Replicates("Process 2 (B) is a replicate of process 1 (A)\n"),
         {"[0]", "[0]"}},
        // B is A mirrored. Along this mirror line the half turn (operator 1) gives the same copy
        // as the mirror, which is therefore no distinct index: the line names the half turn. The
        // quarter turns give each diffusion its two other directions.
        {"a mirror image on p 4 m m",
         "Square",
         "p 4 m m",
         {Diffusion("A", {0, 0, 1}, {1, 0, 1}), Diffusion("B", {0, 0, 1}, {-1, 0, 1})},
         Replicates("Process 2 (B) is a replicate of a symmetry image of process 1 (A)\n"),
         {"[0 1 2 3]", "[0 1 2 3]"}},
        // The second site of a desorption that is not associative takes no part.
        {"a process every operator maps onto itself",
         "Hexagonal",
         "p 6 m m",
         {Process("Desorption", "A", {Leaves({0, 0, 1}, "A"), Leaves({1, 0, 1}, "B")}),
          Process("Desorption", "B", {Leaves({0, 0, 1}, "A"), Leaves({0, 1, 1}, "A")})},
         Replicates("Process 2 (B) is a replicate of process 1 (A)\n"),
         {"[0]", "[0]"}},
        // No translation is factored out of an image: away from the origin every quarter turn
        // moves the site, and each image is a replicate.
        {"a one-site process away from the origin",
         "Square",
         "p 4",
         {Process("Desorption", "A", {Leaves({0, 0, 1}, "A"), Leaves({0, 0, 1}, "")}),
          Process("Desorption", "B", {Leaves({1, 0, 1}, "A"), Leaves({0, 0, 1}, "")})},
         Replicates("Process 2 (B) is a replicate of process 1 (A)\n"
                    "Process 2 (B) is a replicate of a symmetry image of process 1 (A)\n"
                    "Process 2 (B) is a replicate of a symmetry image of process 1 (A)\n"
                    "Process 2 (B) is a replicate of a symmetry image of process 1 (A)\n"),
         {"[0]", "[0 1 2 3]"}},
        // The half turn gives a copy one cell over, which counts as an image of its own.
        {"a process symmetric in itself",
         "Oblique",
         "p 2",
         {Process("Reaction", "A", {Turns({0, 0, 1}, "A", "B"), Turns({1, 0, 1}, "A", "B")}),
          Process("Reaction", "B", {Turns({3, 1, 1}, "A", "B"), Turns({4, 1, 1}, "A", "B")})},
         Replicates("Process 2 (B) is a replicate of process 1 (A)\n"
                    "Process 2 (B) is a replicate of a symmetry image of process 1 (A)\n"),
         {"[0 1]", "[0 1]"}},
        {"an enabling site that breaks the symmetry",
         "Oblique",
         "p 2",
         {Process("Desorption", "A", {Leaves({0, 0, 1}, "A"), Leaves({0, 0, 1}, "")}, {{{1, 0, 1}, "V"}})},
         kUnique,
         {"[0 1]"}},
        {"a disabled replicate is not reported, and positions count it",
         "Square",
         "p 4",
         {Diffusion("A", {0, 0, 1}, {1, 0, 1}), Disabled(Diffusion("B", {5, 5, 1}, {6, 5, 1})),
          Diffusion("C", {0, 0, 1}, {0, 1, 1})},
         Replicates("Process 3 (C) is a replicate of a symmetry image of process 1 (A)\n"),
         {"[0 1 2 3]", "[0 1 2 3]", "[0 1 2 3]"}},
        {"an undefined process fails the verdict",
         "Oblique",
         "p 1",
         {Diffusion("A", {0, 0, 1}, {1, 0, 1}), Process("Undefined", "", {})},
         kNotInitialised,
         {"[0]", kNotInitialised}},
        {"a site beyond the site list fails the verdict",
         "Square",
         "p 4 m m",
         {Diffusion("A", {0, 0, 1}, {1, 0, 1}), Diffusion("B", {0, 0, 1}, {1, 0, 2})},
         kSiteIndexInvalid,
         {"[0 1 2 3]", kSiteIndexInvalid}},
        // The first enabled process is only ever the earlier one of a pair: it is never mapped.
        {"a site beyond the site list in the first process goes unnoticed",
         "Square",
         "p 4 m m",
         {Diffusion("A", {0, 0, 1}, {1, 0, 2}), Diffusion("B", {0, 0, 1}, {2, 1, 1})},
         kUnique,
         {kSiteIndexInvalid, "[0 1 2 3 4 5 6 7]"}},
    };
    for (const HandCase& c : cases) {
        SCOPED_TRACE(c.name);
        Model model(c.latticeType, c.group);
        model.AddLatticeSite("Adsorption site", "Top", 0, 0);
        for (const ProcessPlan& plan : c.processes) model.AddProcess(plan);
        const Comparison comparison(model);
        EXPECT_EQ(Render(comparison.library), c.uniqueness);
        EXPECT_EQ(Render(comparison.oracle), c.uniqueness);
        std::vector<std::string> library, oracle;
        for (const auto& answer : comparison.libraryIndices) library.push_back(Render(answer));
        for (const auto& answer : comparison.oracleIndices) oracle.push_back(Render(answer));
        EXPECT_EQ(library, c.indices);
        EXPECT_EQ(oracle, c.indices);
    }
}

// ---------------------------------------------------------------------------------------------
// Random models.

class Random {
public:
    explicit Random(uint32_t seed) : seed_(seed) {}

    int Below(int bound) { return std::min(bound - 1, static_cast<int>(Draw() * bound)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    bool Chance(double probability) { return Draw() < probability; }
    template <class T>
    const T& Pick(const std::vector<T>& items) {
        return items[static_cast<size_t>(Below(static_cast<int>(items.size())))];
    }
    template <class T>
    void Shuffle(std::vector<T>& items) {
        for (size_t k = items.size(); k > 1; --k)
            std::swap(items[k - 1], items[static_cast<size_t>(Below(int(k)))]);
    }

private:
    double Draw() {
        const float draw = numeric::DrawUniform(seed_, sequence_);
        seed_ = 0;
        return draw;
    }

    uint32_t seed_;
    numeric::UniformSequence sequence_;
};

// One random model, made again exactly from its seed: a lattice of a random plane group with a
// few sites, and a few processes, fresh or copied from earlier ones (translated, through a
// symmetry operator, reordered, retyped, slightly changed), some of them disabled; about one
// model in eight is broken so that the verdict fails.
class RandomModel {
public:
    explicit RandomModel(uint32_t seed) : random_(seed) {
        const auto& groups = PlaneGroupCatalog::Instance().Groups();
        const PlaneGroupDescription& group = groups[static_cast<size_t>(random_.Below(int(groups.size())))];
        model_ = std::make_unique<Model>(group.ClassType(), group.Name());
        AddLatticeSites();
        const int count = random_.Chance(0.1) ? random_.Between(7, 12) : random_.Between(2, 6);
        for (int k = 0; k < count; ++k) {
            const std::string identifier = "P" + std::to_string(k + 1);
            plans_.push_back(!plans_.empty() && random_.Chance(0.45)
                                 ? CopyOf(random_.Pick(plans_), identifier)
                                 : Fresh(identifier));
        }
        if (random_.Chance(0.12))
            for (int faults = random_.Chance(0.3) ? 2 : 1; faults > 0; --faults) Break();
        for (const ProcessPlan& plan : plans_) model_->AddProcess(plan);
    }

    const Model& Built() const { return *model_; }
    std::string Dump() const { return model_->Dump(plans_); }

private:
    void AddLatticeSites() {
        static const std::vector<const char*> kCategories = {"Adsorption site", "Substrate site"};
        static const std::vector<const char*> kSiteTypes = {"Top", "Bridge", "Hollow", "Other", "Other"};
        for (int k = random_.Between(1, 3); k > 0; --k) {
            const char* category = random_.Pick(kCategories);
            RequestSite(category, random_.Pick(kSiteTypes));
        }
        // A label site is not expanded into an orbit: most operators find no image of it.
        if (random_.Chance(0.04)) RequestSite("Label", "Other");
    }

    // Draws are made one statement at a time, so that a seed gives the same model whatever order
    // a compiler evaluates arguments in.
    void RequestSite(const char* category, const char* siteType) {
        const double x = Coordinate();
        const double y = Coordinate();
        model_->AddLatticeSite(category, siteType, x, y);
    }

    double Coordinate() { return random_.Below(20) / 20.0; }

    std::string Pattern() {
        static const std::vector<std::string> kPatterns = {"A", "B", "V"};
        return random_.Chance(0.05) ? "" : random_.Pick(kPatterns);
    }

    PeriodicTranslation Address() {
        const LONG n = random_.Chance(0.5) ? 1 : random_.Between(1, model_->SiteCount());
        return {random_.Between(-2, 2), random_.Between(-2, 2), n};
    }

    SitePlan Site(vxKMCActiveSiteType type) {
        SitePlan site{type, Address(), "", ""};
        if (type != kDestination) site.source = Pattern();
        if (type != kSource) site.result = Pattern();
        return site;
    }

    ProcessPlan Fresh(const std::string& identifier) {
        static const std::vector<std::string> kTypes = {
            "Adsorption", "Desorption", "Diffusion", "Association", "Dissociation", "Reaction", "General"};
        ProcessPlan plan{random_.Pick(kTypes), identifier, random_.Chance(0.85), random_.Chance(0.5), {}, {}};
        std::vector<vxKMCActiveSiteType> types = DefaultSiteTypes(plan.type);
        if (TakesAddedSites(plan.type))
            for (int k = random_.Between(0, 3); k > 0; --k)
                types.push_back(vxKMCActiveSiteType(random_.Below(3)));
        for (vxKMCActiveSiteType type : types) plan.sites.push_back(Site(type));
        if (random_.Chance(0.4))
            for (int k = random_.Between(1, 2); k > 0; --k)
                plan.enabling.push_back({Address(), random_.Chance(0.3) ? "V" : "A"});
        return plan;
    }

    ProcessPlan CopyOf(ProcessPlan copy, const std::string& identifier) {
        if (copy.type == "Undefined") return Fresh(identifier);
        copy.identifier = identifier;
        copy.enabled = random_.Chance(0.85);
        const LONG operators = model_->OperatorCount();
        const LONG k = operators > 1 && random_.Chance(0.6) ? random_.Between(1, operators - 1) : 0;
        // Now and then far away, where the cached images must still agree with computed ones.
        const int reach = random_.Chance(0.05) ? 1000000 : 3;
        const LONG di = random_.Between(-reach, reach), dj = random_.Between(-reach, reach);
        auto move = [&](PeriodicTranslation& address) {
            if (k > 0)
                if (std::optional<PeriodicTranslation> image = model_->Image(address, k)) address = *image;
            address.i += di;
            address.j += dj;
        };
        for (SitePlan& site : copy.sites) move(site.address);
        for (EnablingPlan& site : copy.enabling) move(site.address);
        if (HasTwoSitesAtMost(copy.type) && random_.Chance(0.2)) copy.associative = !copy.associative;
        if (random_.Chance(0.2)) {
            // The same sites as a general process: the type takes no part.
            if (HasTwoSitesAtMost(copy.type)) copy.sites.resize(copy.associative ? 2 : 1);
            copy.type = "General";
            copy.associative = false;
        }
        if (TakesAddedSites(copy.type) && !copy.sites.empty()) {
            // Site types take no part, nor does a site given twice.
            if (random_.Chance(0.2))
                for (SitePlan& site : copy.sites) site.type = kReaction;
            if (random_.Chance(0.2)) copy.sites.push_back(random_.Pick(copy.sites));
            if (random_.Chance(0.5)) random_.Shuffle(copy.sites);
        }
        // Enabling sites take part in the images of a process, not in the comparison.
        if (random_.Chance(0.15)) copy.enabling.clear();
        if (random_.Chance(0.15)) copy.enabling.push_back({Address(), "B"});
        if (!copy.sites.empty() && random_.Chance(0.15)) {
            SitePlan& site = copy.sites[static_cast<size_t>(random_.Below(int(copy.sites.size())))];
            (site.type != kDestination ? site.source : site.result) = Pattern();
        }
        return copy;
    }

    // One of the faults the verdict must fail on as the literal algorithm would.
    void Break() {
        ProcessPlan& plan = plans_[static_cast<size_t>(random_.Below(int(plans_.size())))];
        switch (random_.Below(4)) {
            case 0:
                plans_.insert(plans_.begin() + random_.Below(int(plans_.size()) + 1),
                              Process("Undefined", "", {}));
                break;
            case 1:
            case 2: {
                // A site beyond the site list, an address of no lattice, or no address at all.
                std::vector<std::pair<PeriodicTranslation*, Spec*>> sites;
                for (SitePlan& site : plan.sites) sites.push_back({&site.address, &site.spec});
                for (EnablingPlan& site : plan.enabling) sites.push_back({&site.address, &site.spec});
                if (sites.empty()) break;
                const auto [address, spec] = random_.Pick(sites);
                if (random_.Chance(0.5))
                    address->site = model_->SiteCount() + random_.Between(1, 2);
                else
                    *spec = random_.Chance(0.6) ? Spec::Unlinked : Spec::Missing;
                break;
            }
            default:
                if (plan.sites.empty()) break;
                // A source site that names a result species, or a destination with a source pattern.
                SitePlan& site = plan.sites[static_cast<size_t>(random_.Below(int(plan.sites.size())))];
                if (site.type == kReaction) site.type = kSource;
                (site.type == kSource ? site.result : site.source) = "B";
                break;
        }
    }

    Random random_;
    std::unique_ptr<Model> model_;
    std::vector<ProcessPlan> plans_;
};

// How the random models came out, so that a generator that stopped producing a kind of case
// does not go unnoticed.
struct Coverage {
    int models = 0, unique = 0, replicates = 0, symmetryImages = 0;
    std::map<std::string, int> failures;

    void Count(const Answer<Verdict>& answer) {
        ++models;
        if (FAILED(answer.hr)) {
            ++failures[answer.failure];
            return;
        }
        if (answer.value.flag == VARIANT_TRUE) ++unique;
        if (answer.value.message.find("replicate of process") != std::string::npos) ++replicates;
        if (answer.value.message.find("symmetry image") != std::string::npos) ++symmetryImages;
    }
};

// A sanitized build runs a quarter of the models, at a sanitizer's speed.
#ifdef __SANITIZE_ADDRESS__
constexpr uint32_t kRandomModels = 750;
#else
constexpr uint32_t kRandomModels = 3000;
#endif

TEST_F(ProcessOracleTest, RandomModelsGiveTheLiteralAlgorithmsAnswers) {
    uint32_t first = 1, last = kRandomModels;
    if (const char* only = std::getenv("KMC_ORACLE_SEED"))
        first = last = static_cast<uint32_t>(std::atol(only));
    Coverage coverage;
    int disagreements = 0;
    for (uint32_t seed = first; seed <= last && disagreements < 3; ++seed) {
        const RandomModel model(seed);
        const Comparison comparison(model.Built());
        coverage.Count(comparison.library);
        if (comparison.Agrees()) continue;
        ++disagreements;
        ADD_FAILURE() << "seed " << seed << " (KMC_ORACLE_SEED=" << seed << " runs it alone)\n"
                      << model.Dump() << comparison.Differences();
    }
    if (first != last) {
        EXPECT_GT(coverage.unique, coverage.models / 5);
        EXPECT_GT(coverage.replicates, coverage.models / 10);
        EXPECT_GT(coverage.symmetryImages, coverage.models / 10);
        for (const char* failure : {"Lumetra Process has not been initialised.", "Site index is invalid",
                                    "Site specification is not linked to a lattice.",
                                    "A required object is missing (null pointer).",
                                    "FindSite failed to find desired site in LatticeSiteList",
                                    "Result species should not be specified for a source site.",
                                    "Source pattern should not be specified for a destination site."})
            EXPECT_GE(coverage.failures[failure], coverage.models / 300) << failure;
    }
}

}  // namespace
