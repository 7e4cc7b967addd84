// Helpers shared by the lattice tests: lattices set up by name, the sites of a list as plain
// values, and saving to and loading from XML text.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lattice/lattice.h"
#include "lattice/lattice_site_list.h"
#include "support.h"
#include "xml/reader.h"
#include "xml/utils.h"
#include "xml/writer.h"

namespace latticetest {

using kmctest::Text;

inline NoxComPtr<KMCLattice> MakeLattice(const char* type, const char* group, double u = 1.0, double v = 1.0,
                                         double theta = 90.0) {
    NoxComPtr<KMCLattice> lattice = KMCLattice::Create();
    lattice->SetLattice(2, type, group, u, v, theta);
    return lattice;
}

struct SiteValues {
    std::string category;
    std::string type;
    double x = 0.0;
    double y = 0.0;
    LONG label = 0;
};

inline std::vector<SiteValues> Sites(KMCLattice& lattice) {
    std::vector<SiteValues> sites;
    for (LONG k = 0; k < lattice.RawLatticeSiteList()->Count(); ++k) {
        const KMCLatticeSite& site = lattice.RawLatticeSiteList()->Site(k);
        sites.push_back({site.Category(), site.Type(), site.Position().x, site.Position().y, site.Label()});
    }
    return sites;
}

inline HRESULT CreateSite(KMCLattice& lattice, const char* category, const char* siteType, double x = 0.0,
                          double y = 0.0, LONG colour = 0) {
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

// Loads `object` from a document text; the failure's code and description, or S_OK and "".
inline std::pair<HRESULT, std::string> Load(IDispatch* object, const std::string& document) {
    std::unique_ptr<xmlTree> tree = xmlTree::ParseString(document);
    NoxComPtr<XMLToOstrel> reader = XMLToOstrel::Create();
    reader->Initialize(tree.get());
    NoxBSTR root, version;
    EXPECT_EQ(reader->InitializeLoader(root.Put(), version.Put()), S_OK);
    try {
        OstrelUtils::LoadXML(object, reader.Get());
        return {S_OK, ""};
    } catch (const NoxResult& failure) {
        return {failure.Code(), failure.Description()};
    }
}

}  // namespace latticetest
