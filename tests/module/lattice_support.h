// Helpers shared by the lattice tests: lattices set up by name, the sites of a list as plain
// values, and outcomes of calls.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lattice/lattice.h"
#include "lattice/lattice_site_list.h"
#include "support.h"

namespace latticetest {

using kmctest::LoadXml;
using kmctest::Outcome;
using kmctest::Raised;
using kmctest::SaveXml;
using kmctest::Text;

// An automation call's result with the description it left ("" on success).
inline Outcome Result(HRESULT hr) { return {hr, FAILED(hr) ? kmctest::TakeErrorDescription() : ""}; }

inline NoxComPtr<KMCLattice> MakeLattice(const char* type, const char* group, double u = 1, double v = 1,
                                         double theta = 90) {
    NoxComPtr<KMCLattice> lattice = KMCLattice::Create();
    lattice->SetLattice(2, type, group, u, v, theta);
    return lattice;
}

struct SiteValues {
    std::string category, type;
    double x, y;
    LONG label;
    uint32_t colour;
    friend bool operator==(const SiteValues&, const SiteValues&) = default;
};

inline std::vector<SiteValues> Sites(KMCLattice& lattice) {
    std::vector<SiteValues> sites;
    const KMCLatticeSiteList& list = *lattice.RawLatticeSiteList();
    for (LONG k = 0; k < list.Count(); ++k) {
        const KMCLatticeSite& s = list.Site(k);
        sites.push_back(
            {s.Category(), s.Type(), s.Position().x, s.Position().y, s.Label(), s.Colour().Value()});
    }
    return sites;
}

inline HRESULT CreateSite(KMCLattice& lattice, const char* category, const char* siteType, double x = 0,
                          double y = 0, LONG colour = 0) {
    NoxComPtr<IVxKMCLatticeSite> site;
    return lattice.RawLatticeSiteList()->CreateLatticeSite(Text(category).Get(), Text(siteType).Get(), x, y,
                                                           colour, site.Put());
}

}  // namespace latticetest
