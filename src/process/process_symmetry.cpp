// The symmetry analysis of a process: which lattice operators give distinct copies of it. The
// sites taken into account are the active sites in play and the enabling sites (as sites whose
// species stays); two copies are the same when they hold the same sites, compared by address
// and patterns, whatever their types and counts.
#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "com/holders.h"
#include "lattice/lattice.h"
#include "process/process.h"
#include "process/site_images.h"

namespace kmc {

std::vector<ActiveSiteKey> SortedUnique(std::vector<ActiveSiteKey> keys) {
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

}  // namespace kmc

namespace {

// A site of the analysis; an enabling site takes part as a reaction site of its own pattern.
struct AnalysisSite {
    IVxKMCSiteSpecification* spec;
    vxKMCActiveSiteType type;
    const std::string& source;
    const std::string& result;
};

std::vector<AnalysisSite> AnalysisSites(const KMCProcess& process) {
    std::vector<AnalysisSite> sites;
    for (size_t index = 0; index < process.NumActiveSites(); ++index) {
        const KMCActiveSite& site = process.ActiveSiteInPlay(index);
        sites.push_back({site.Specification(), site.Type(), site.SourcePattern(), site.ResultPattern()});
    }
    for (const auto& site : process.BlockingSites())
        sites.push_back({site->Specification(), vxKMCActiveSiteTypeReaction, site->SourcePattern(),
                         site->SourcePattern()});
    return sites;
}

// The sites as they stand, and as operator `k` takes them (each site's address mapped, then its
// copy made, in order, failing where that would).
std::vector<kmc::ActiveSiteKey> Keys(const std::vector<AnalysisSite>& sites) {
    std::vector<kmc::ActiveSiteKey> keys;
    for (const AnalysisSite& site : sites) keys.push_back({kmc::ReadAddress(site.spec), site.source, site.result});
    return kmc::SortedUnique(std::move(keys));
}

std::vector<kmc::ActiveSiteKey> ImageKeys(const std::vector<AnalysisSite>& sites, kmc::SiteImages& images,
                                          LONG k) {
    std::vector<kmc::ActiveSiteKey> keys;
    for (const AnalysisSite& site : sites) {
        const PeriodicTranslation address = images.Transform(site.spec, k);
        kmc::CheckActiveSiteDetails(site.type, site.source, site.result);
        keys.push_back({address, site.source, site.result});
    }
    return kmc::SortedUnique(std::move(keys));
}

}  // namespace

std::vector<LONG> KMCProcess::SymmetryIndices(kmc::SiteImages& images) const {
    if (activeSites_.Empty()) return {};
    const std::vector<AnalysisSite> sites = AnalysisSites(*this);
    const size_t operators = CheckNullDereference(ParentLattice())->OperatorCount();
    std::vector<LONG> indices{0};
    // The sites as they stand are read only when a first image needs comparing.
    std::vector<std::vector<kmc::ActiveSiteKey>> known;
    for (size_t k = 1; k < operators; ++k) {
        std::vector<kmc::ActiveSiteKey> image = ImageKeys(sites, images, static_cast<LONG>(k));
        if (known.empty()) known.push_back(Keys(sites));
        if (std::find(known.begin(), known.end(), image) != known.end()) continue;
        indices.push_back(static_cast<LONG>(k));
        known.push_back(std::move(image));
    }
    return indices;
}

std::vector<LONG> KMCProcess::SymmetryIndices() const {
    kmc::SiteImages images(ParentLattice());
    return SymmetryIndices(images);
}

HRESULT KMCProcess::get_NumberSymmetryImages(LONG* count) {
    return Boundary([&] {
        kmc::Out(count);
        RequireInitialised();
        *count = static_cast<LONG>(SymmetryIndices().size());
    });
}

HRESULT KMCProcess::get_DistinctSymmetryIndices(SAFEARRAY** indices) {
    return Boundary([&] {
        kmc::Out(indices);
        RequireInitialised();
        const std::vector<LONG> distinct = SymmetryIndices();
        if (distinct.size() > std::numeric_limits<ULONG>::max())
            throw NoxResult(E_INVALIDARG, "Requested SAFEARRAY size too long");
        nox::UniqueSafeArray array(SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(distinct.size())));
        if (!array) throw NoxResult(E_OUTOFMEMORY, "Unable to create SafeArray");
        void* data = nullptr;
        nox::CheckStandard(SafeArrayAccessData(array.get(), &data));
        if (!distinct.empty()) std::memcpy(data, distinct.data(), distinct.size() * sizeof(LONG));
        nox::CheckStandard(SafeArrayUnaccessData(array.get()));
        *indices = array.release();
    });
}
