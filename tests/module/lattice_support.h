// Helpers shared by the lattice tests: lattices set up by name, the sites of a list as plain
// values, outcomes of calls, and saving to and loading from XML text.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "lattice/lattice.h"
#include "lattice/lattice_site_list.h"
#include "support.h"
#include "xml/reader.h"
#include "xml/utils.h"
#include "xml/writer.h"

namespace latticetest {

using kmctest::Text;
using Outcome = std::pair<HRESULT, std::string>;

// An automation call's result with the description it left ("" on success).
inline Outcome Result(HRESULT hr) { return {hr, FAILED(hr) ? kmctest::TakeErrorDescription() : ""}; }

// What a library call raised, or S_OK.
template <class Call>
Outcome Raised(Call&& call) {
    try {
        call();
        return {S_OK, ""};
    } catch (const NoxResult& failure) {
        return {failure.Code(), failure.Description()};
    }
}

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

inline std::string Save(IDispatch* object) {
    xmlTree tree;
    NoxComPtr<OstrelToXML> writer = OstrelToXML::Create();
    writer->Initialize(&tree);
    EXPECT_EQ(writer->InitializeSaver(Text("ProcessesDocument").Get(), Text("1.0").Get()), S_OK);
    OstrelUtils::SaveXML(object, writer.Get());
    writer->Finalize();
    return tree.SaveString();
}

inline Outcome Load(IDispatch* object, const std::string& document) {
    std::unique_ptr<xmlTree> tree = xmlTree::ParseString(document);
    NoxComPtr<XMLToOstrel> reader = XMLToOstrel::Create();
    reader->Initialize(tree.get());
    NoxBSTR root, version;
    EXPECT_EQ(reader->InitializeLoader(root.Put(), version.Put()), S_OK);
    return Raised([&] { OstrelUtils::LoadXML(object, reader.Get()); });
}

}  // namespace latticetest
