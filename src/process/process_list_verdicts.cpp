// The verdicts on the whole model: are the enabled processes valid, is any of them a replicate
// of another (directly or through a symmetry operation of the lattice), and do processes that
// share an identifier agree on their charge transfer. Disabled processes take no part; the
// numbers in the messages are positions counted over all processes, from 1.
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "frame/verdict.h"
#include "nox/format.h"
#include "process/process_list.h"
#include "process/site_images.h"

namespace {

using Keys = std::vector<kmc::ActiveSiteKey>;

struct KeysHash {
    size_t operator()(const Keys& keys) const {
        size_t hash = keys.size();
        auto mix = [&](size_t value) { hash ^= value + 0x9E3779B97F4A7C15ull + (hash << 6) + (hash >> 2); };
        for (const kmc::ActiveSiteKey& key : keys) {
            mix(std::hash<LONG>()(key.address.i));
            mix(std::hash<LONG>()(key.address.j));
            mix(std::hash<LONG>()(key.address.site));
            mix(std::hash<std::string_view>()(key.source));
            mix(std::hash<std::string_view>()(key.result));
        }
        return hash;
    }
};

// The active sites in play of a process, read as a client would: the count (which needs the
// process initialised), then each site.
std::vector<const KMCActiveSite*> SitesInPlay(KMCProcess& process) {
    LONG count = 0;
    nox::Check(process.get_NumberActiveSites(&count));
    std::vector<const KMCActiveSite*> sites;
    for (LONG index = 0; index < count; ++index) sites.push_back(&process.ActiveSiteInPlay(static_cast<size_t>(index)));
    return sites;
}

// The sites moved so that the least of them (the first of equals) sits in the reference cell,
// as a set. Each site moves the way its Translate would, failing where that would, and
// `copied(index)` then stands for the copy Translate makes of site `index`.
template <class Copied>
Keys Normalised(Keys keys, Copied copied) {
    if (keys.empty()) return keys;
    const kmc::ActiveSiteKey* least = &keys.front();
    for (const kmc::ActiveSiteKey& key : keys)
        if (key < *least) least = &key;
    const PeriodicTranslation origin = least->address;
    for (size_t index = 0; index < keys.size(); ++index) {
        keys[index].address =
            kmc::SiteImages::Translate(keys[index].address, -int64_t{origin.i}, -int64_t{origin.j});
        copied(index);
    }
    return kmc::SortedUnique(std::move(keys));
}

// The normalised set of the sites as they stand; a copy that Translate would refuse is refused.
Keys RecordedKeys(const std::vector<const KMCActiveSite*>& sites) {
    Keys keys;
    for (const KMCActiveSite* site : sites) keys.push_back(site->Key());
    return Normalised(std::move(keys), [&](size_t index) {
        const KMCActiveSite& site = *sites[index];
        kmc::CheckActiveSiteDetails(site.Type(), site.SourcePattern(), site.ResultPattern());
    });
}

Keys ImageKeys(const std::vector<const KMCActiveSite*>& sites, kmc::SiteImages& images, LONG operatorIndex) {
    Keys keys;
    for (const KMCActiveSite* site : sites) {
        const PeriodicTranslation address = images.Transform(site->Specification(), operatorIndex);
        kmc::CheckActiveSiteDetails(site->Type(), site->SourcePattern(), site->ResultPattern());
        keys.push_back({address, site->SourcePattern(), site->ResultPattern()});
    }
    // The images are copies already made, and copy again without complaint.
    return Normalised(std::move(keys), [](size_t) {});
}

struct Recorded {
    size_t position;
    KMCProcess* process;
    Keys keys;
};

std::string ReplicateLine(const Recorded& later, const Recorded& earlier, LONG symmetryIndex) {
    const char* pattern = symmetryIndex == 0 ? "Process %1 (%2) is a replicate of process %3 (%4)\n"
                                             : "Process %1 (%2) is a replicate of a symmetry image of process %3 (%4)\n";
    return NoxFormat(pattern) << static_cast<LONG>(later.position + 1) << later.process->Identifier()
                              << static_cast<LONG>(earlier.position + 1) << earlier.process->Identifier();
}

}  // namespace

std::string KMCProcessList::ReplicationReport() const {
    std::vector<Recorded> recorded;
    for (size_t position = 0; position < processes_.Count(); ++position) {
        KMCProcess& process = processes_[position];
        if (process.IsEnabled()) recorded.push_back({position, &process, RecordedKeys(SitesInPlay(process))});
    }
    // Every earlier process by its set, in list order: the pairs come out in the order of a walk
    // over later process, symmetry index, earlier process.
    std::unordered_map<Keys, std::vector<size_t>, KeysHash> earlier;
    kmc::SiteImages images(ParentLattice());
    std::string report;
    for (size_t k = 0; k < recorded.size(); ++k) {
        if (k > 0) {
            const std::vector<const KMCActiveSite*> sites = SitesInPlay(*recorded[k].process);
            for (LONG symmetryIndex : recorded[k].process->SymmetryIndices(images)) {
                auto found = earlier.find(ImageKeys(sites, images, symmetryIndex));
                if (found == earlier.end()) continue;
                for (size_t j : found->second) {
                    if (report.empty())
                        report = "The following processes appear to be replications of each other,\n"
                                 "according to their active site specifications.\n\n";
                    report += ReplicateLine(recorded[k], recorded[j], symmetryIndex);
                }
            }
        }
        earlier[recorded[k].keys].push_back(k);
    }
    return report;
}

std::string KMCProcessList::ValidityReport() const {
    bool anyEnabled = false, anyNotImmediate = false;
    for (size_t position = 0; position < processes_.Count(); ++position) {
        const KMCProcess& process = processes_[position];
        if (!process.IsEnabled()) continue;
        anyEnabled = true;
        std::string message = process.ValidityMessage(static_cast<LONG>(position + 1));
        if (!message.empty()) return message;
        if (process.SpecificationType() != vxKMCRateSpecificationTypeImmediate) anyNotImmediate = true;
    }
    if (!anyEnabled) return "No processes have been specified for the calculation.";
    if (!anyNotImmediate) return "One or more processes must be specified using Rates or Arrhenius.";
    return {};
}

std::string KMCProcessList::ChargeReport() const {
    std::unordered_map<std::string_view, LONG> charges;
    std::string conflicts;
    for (const auto& process : processes_) {
        if (!process->IsEnabled()) continue;
        auto [first, inserted] = charges.emplace(process->Identifier(), process->ChargeTransfer());
        if (!inserted && first->second != process->ChargeTransfer()) conflicts += process->Identifier() + " ";
    }
    if (conflicts.empty()) return {};
    return "The following process identifiers each correspond to multiple\n"
           "processes whose charges are different:\n" +
           conflicts + "\n";
}

HRESULT KMCProcessList::get_AreProcessesUnique(BSTR* message, VARIANT_BOOL* unique) {
    return Boundary([&] {
        kmc::ClearVerdict(message, unique);
        kmc::GiveVerdict(ReplicationReport(), message, unique);
    });
}

HRESULT KMCProcessList::get_AreProcessesValid(BSTR* message, VARIANT_BOOL* valid) {
    return Boundary([&] {
        kmc::ClearVerdict(message, valid);
        kmc::GiveVerdict(ValidityReport(), message, valid);
    });
}

HRESULT KMCProcessList::get_AreProcessChargesConsistent(BSTR* message, VARIANT_BOOL* consistent) {
    return Boundary([&] {
        kmc::ClearVerdict(message, consistent);
        kmc::GiveVerdict(ChargeReport(), message, consistent);
    });
}
