// The checks of a process: the full validity check with its explanation, the editor's checks of
// an address or an enabling site being typed, and the questions other objects ask of a process's
// sites. None of them changes the process or asks the document anything.
#include <limits>
#include <set>
#include <vector>

#include "frame/verdict.h"
#include "lattice/lattice.h"
#include "lattice/site_specification.h"
#include "nox/format.h"
#include "nox/strings.h"
#include "process/process.h"
#include "species/species_list.h"

namespace {

// What the checks read of the document once per run.
struct CheckContext {
    IVxKMCSpeciesList& species;
    IVxKMCLatticeSiteList& sites;
    std::string vacancy;
};

bool SpeciesExists(IVxKMCSpeciesList& species, const std::string& name) {
    VARIANT_BOOL exists = VARIANT_FALSE;
    nox::Check(species.get_SpeciesExists(NoxBSTR(name).Get(), &exists));
    return exists == VARIANT_TRUE;
}

// A pattern that names a species, or a reaction pattern that is the vacancy symbol.
bool IsSpeciesOrVacancy(const CheckContext& context, const std::string& pattern) {
    return !pattern.empty() && (pattern == context.vacancy || SpeciesExists(context.species, pattern));
}

bool NamesSpecies(const CheckContext& context, const std::string& pattern) {
    return !pattern.empty() && pattern != context.vacancy && SpeciesExists(context.species, pattern);
}

// Completeness of an active site: what it must name on each side for its type.
bool IsComplete(const CheckContext& context, const KMCActiveSite& site) {
    switch (site.Type()) {
        case vxKMCActiveSiteTypeSource:
            return NamesSpecies(context, site.SourcePattern());
        case vxKMCActiveSiteTypeDestination:
            return NamesSpecies(context, site.ResultPattern());
        default:
            return IsSpeciesOrVacancy(context, site.SourcePattern()) &&
                   IsSpeciesOrVacancy(context, site.ResultPattern());
    }
}

std::string ReadText(IVxKMCLatticeSite& site, HRESULT (IVxKMCLatticeSite::*get)(BSTR*)) {
    NoxBSTR text;
    nox::Check((site.*get)(text.Put()));
    return text.ToTString();
}

// The species category a lattice site of this category holds.
std::string ExpectedCategory(IVxKMCLatticeSiteList& sites, LONG siteNumber) {
    NoxComPtr<IVxKMCLatticeSite> site;
    nox::Check(sites.get_Item(siteNumber - 1, site.Put()));
    const std::string category = ReadText(*site, &IVxKMCLatticeSite::get_Category);
    if (category == "Adsorption site") return "Adsorbate";
    if (category == "Substrate site") return "Substrate";
    return "Label";
}

// One side of an active site agrees with the site's category: a species of the expected
// category, or a vacancy on an adsorption site; any other pattern passes.
bool SideMatches(const CheckContext& context, const std::string& expected, const std::string& pattern,
                 HRESULT (IVxKMCActiveSite::*speciesOf)(IVxKMCSpecies**), KMCActiveSite& site) {
    NoxComPtr<IVxKMCSpecies> species;
    nox::Check((site.*speciesOf)(species.Put()));
    if (species) {
        NoxBSTR category;
        nox::Check(species->get_Category(category.Put()));
        return category.ToTString() == expected;
    }
    return pattern != context.vacancy || expected == "Adsorbate";
}

bool CategoriesMatch(const CheckContext& context, KMCActiveSite& site) {
    const std::string expected = ExpectedCategory(context.sites, site.Address().site);
    return SideMatches(context, expected, site.SourcePattern(), &IVxKMCActiveSite::get_SourceSpecies, site) &&
           SideMatches(context, expected, site.ResultPattern(), &IVxKMCActiveSite::get_ResultSpecies, site);
}

// Two active sites may not share an address unless one only loses a species and the other only
// gains one.
bool MayNotShare(vxKMCActiveSiteType a, vxKMCActiveSiteType b) {
    return a == vxKMCActiveSiteTypeReaction || b == vxKMCActiveSiteTypeReaction || a == b;
}

bool IsEquivalentTo(IVxKMCSiteSpecification* spec, BSTR address) {
    VARIANT_BOOL equivalent = VARIANT_FALSE;
    nox::Check(CheckNullDereference(spec)->get_IsEquivalent(address, &equivalent));
    return equivalent == VARIANT_TRUE;
}

// Records a used site's address unless an accepted site that may not share it is there.
bool IsActiveSiteUnique(const KMCActiveSite& site, const std::vector<const KMCActiveSite*>& accepted,
                        std::set<std::string>& addresses) {
    if (!site.IsUsed()) return true;
    const NoxBSTR address(site.AddressText());
    for (const KMCActiveSite* other : accepted) {
        if (MayNotShare(site.Type(), other->Type()) && IsEquivalentTo(other->Specification(), address.Get()))
            return false;
    }
    addresses.insert(address.ToTString());
    return true;
}

// The first failing check of the active sites in play, or null.
const char* ActiveSiteFailure(const CheckContext& context, const KMCProcess& process,
                                     size_t required, std::set<std::string>& addresses) {
    std::vector<const KMCActiveSite*> accepted;
    for (size_t index = 0; index < required; ++index) {
        // An adsorption or desorption that lists fewer sites than it reads is incomplete.
        if (index >= process.NumActiveSites())
            return "One or more active sites are incorrectly or incompletely specified.";
        KMCActiveSite& site = process.ActiveSiteInPlay(index);
        if (!IsComplete(context, site)) return "One or more active sites are incorrectly or incompletely specified.";
        if (!CategoriesMatch(context, site))
            return "One or more active sites use species whose categories do not match that of the site.";
        if (!IsActiveSiteUnique(site, accepted, addresses)) return "Duplicate active sites have been specified.";
        accepted.push_back(&site);
    }
    return nullptr;
}

const char* EnablingSiteFailure(const CheckContext& context, const KMCProcess& process,
                                       const std::set<std::string>& activeAddresses) {
    std::set<std::string> keys;
    for (const auto& site : process.BlockingSites()) {
        if (!IsSpeciesOrVacancy(context, site->SourcePattern()))
            return "One or more enabling sites are incorrectly or incompletely specified.";
        const std::string address = site->AddressText();
        if (activeAddresses.count(address) != 0)
            return "A duplication has been found between an enabling site and an active site.";
        if (!keys.insert(address + site->SourcePattern()).second) return "Duplicate enabling sites have been specified.";
    }
    return nullptr;
}

}  // namespace

size_t KMCProcess::SitesInPlayRequired() const {
    const bool oneOrTwo = type_ == vxKMCProcessTypeAdsorption || type_ == vxKMCProcessTypeDesorption;
    if (!oneOrTwo || activeSites_.Empty()) return activeSites_.Count();
    return definition_.associative ? 2 : 1;
}

std::string KMCProcess::ValidityFailure() const {
    KMCLattice* lattice = CheckNullDereference(ParentLattice());
    NoxComPtr<IVxKMCLatticeSiteList> sites;
    nox::Check(lattice->get_LatticeSiteList(sites.Put()));
    KMCSpeciesList* species = CheckNullDereference(SpeciesList());
    NoxBSTR vacancy;
    nox::Check(species->get_VacancySymbol(vacancy.Put()));
    const CheckContext context{*species, *CheckNullDereference(sites.Get()), vacancy.ToTString()};

    std::set<std::string> addresses;
    const char* failure = activeSites_.Empty() ? "No active sites have been specified."
                                               : ActiveSiteFailure(context, *this, SitesInPlayRequired(), addresses);
    if (failure == nullptr) failure = EnablingSiteFailure(context, *this, addresses);
    if (failure == nullptr) {
        const Definition& d = definition_;
        if (d.specificationType == vxKMCRateSpecificationTypeRates && d.rate.IsZero())
            failure = "Value for process rate coefficient must be positive.";
        else if (d.specificationType == vxKMCRateSpecificationTypeArrhenius && d.prefactor.IsZero())
            failure = "Value for process prefactor must be positive.";
    }
    return failure != nullptr ? failure : "";
}

std::string KMCProcess::ValidityMessage(LONG processNumber) const {
    const std::string failure = ValidityFailure();
    if (failure.empty()) return {};
    std::string message = "Error in specification of process " + definition_.identifier;
    if (processNumber > 0) message += NoxFormat(" (index %1)") << processNumber;
    return message + ":\n" + failure;
}

HRESULT KMCProcess::get_IsValid(LONG processNumber, BSTR* message, VARIANT_BOOL* valid) {
    return Boundary([&] {
        kmc::ClearVerdict(message, valid);
        kmc::GiveVerdict(ValidityMessage(processNumber), message, valid);
    });
}

std::string KMCProcess::SiteValidityFailure(BSTR address, vxKMCSiteType kind, LONG index) const {
    if (index >= static_cast<LONG>(NumActiveSites()))
        throw NoxResult(E_UNEXPECTED, "Invalid site index given to get_IsSiteValid.");
    if (!KMCSiteSpecification::IsValidSiteDetailsString(address))
        return "Site specification string is invalid. It should consist of three integers, with the third one "
               "positive.";
    const LONG siteNumber = KMCSiteSpecification::ParseSiteDetails(BSTRToTString(address)).site;
    NoxComPtr<IVxKMCLatticeSiteList> sites;
    nox::Check(CheckNullDereference(ParentLattice())->get_LatticeSiteList(sites.Put()));
    LONG siteCount = 0;
    nox::Check(CheckNullDereference(sites.Get())->get_Count(&siteCount));
    if (siteNumber > siteCount)
        return "The requested site index is invalid. It must not be greater than the number of lattice sites.";

    const bool active = kind == vxKMCSiteTypeActive;
    const vxKMCActiveSiteType ownType =
        active && index >= 0 ? activeSites_[static_cast<size_t>(index)].Type() : vxKMCActiveSiteTypeReaction;
    const bool mayShare = type_ == vxKMCProcessTypeAssociation || type_ == vxKMCProcessTypeDissociation;
    for (size_t position = 0; position < NumActiveSites(); ++position) {
        const KMCActiveSite& site = activeSites_[position];
        if ((!mayShare || MayNotShare(ownType, site.Type())) && IsEquivalentTo(site.Specification(), address))
            return "The requested site is already used as an active site for this process.";
    }
    if (active) {
        for (const auto& site : blockingSites_)
            if (IsEquivalentTo(site->Specification(), address))
                return "The requested site is already used as an enabling site for this process.";
    }
    return {};
}

HRESULT KMCProcess::get_IsSiteValid(BSTR address, vxKMCSiteType kind, LONG index, BSTR* message,
                                    VARIANT_BOOL* valid) {
    return Boundary([&] {
        kmc::ClearVerdict(message, valid);
        kmc::GiveVerdict(SiteValidityFailure(address, kind, index), message, valid);
    });
}

HRESULT KMCProcess::get_IsBlockingSpecificationValid(BSTR address, BSTR species, LONG index, BSTR* message,
                                                     VARIANT_BOOL* valid) {
    return Boundary([&] {
        kmc::ClearVerdict(message, valid);
        const std::string pattern = BSTRToTString(species);
        std::string failure;
        for (size_t position = 0; position < blockingSites_.Count() && failure.empty(); ++position) {
            const KMCBlockingSite& site = blockingSites_[position];
            if (static_cast<LONG>(position) != index && IsEquivalentTo(site.Specification(), address) &&
                site.SourcePattern() == pattern)
                failure = "The requested site and species are already used as an enabling site for this process.";
        }
        kmc::GiveVerdict(failure, message, valid);
    });
}

HRESULT KMCProcess::get_IsSiteUsed(BSTR address, vxKMCSiteType kind, VARIANT_BOOL* used) {
    return Boundary([&] {
        kmc::Out(used);
        bool found = false;
        if (kind == vxKMCSiteTypeActive) {
            for (size_t index = 0; index < NumActiveSites() && !found; ++index)
                found = IsEquivalentTo(activeSites_[index].Specification(), address);
        } else {
            for (const auto& site : blockingSites_)
                if (!found) found = IsEquivalentTo(site->Specification(), address);
        }
        *used = kmc::AsFlag(found);
    });
}

HRESULT KMCProcess::get_DistanceToActiveSite(IVxKMCSiteSpecification* spec, double* distance) {
    return Boundary([&] {
        kmc::Out(distance);
        RequireInitialised();
        for (size_t index = 0; index < NumActiveSites(); ++index) {
            double d = 0.0;
            nox::Check(CheckNullDereference(activeSites_[index].Specification())->get_Distance(spec, &d));
            if (index == 0 || d < *distance) *distance = d;
        }
    });
}
