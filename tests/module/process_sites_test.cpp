// Active and enabling sites: their patterns and types, comparison, images under the lattice's
// operators, and their elements.
#include <gtest/gtest.h>

#include <limits>

#include "process_support.h"

using namespace kmctest;

namespace {

using ProcessSitesTest = ModelFixture;

std::string Pattern(IVxKMCActiveSite* site, HRESULT (IVxKMCActiveSite::*get)(BSTR*)) {
    NoxBSTR text;
    EXPECT_EQ((site->*get)(text.Put()), S_OK);
    return text.ToTString();
}

bool Flag(IVxKMCActiveSite* site, IVxKMCActiveSite* other,
          HRESULT (IVxKMCActiveSite::*ask)(IVxKMCActiveSite*, VARIANT_BOOL*)) {
    VARIANT_BOOL flag = 7;
    EXPECT_EQ((site->*ask)(other, &flag), S_OK) << TakeErrorDescription();
    return flag == VARIANT_TRUE;
}

TEST_F(ProcessSitesTest, TypesDecideWhichPatternsASiteMayHold) {
    NoxComPtr<IVxKMCProcess> process = NewProcess("Reaction");
    NoxComPtr<IVxKMCActiveSite> site;
    ASSERT_EQ(process->AddActiveSite(vxKMCActiveSiteTypeReaction, site.Put()), S_OK);
    VARIANT_BOOL used = VARIANT_TRUE;
    EXPECT_EQ(site->get_IsUsed(&used), S_OK);
    EXPECT_EQ(used, VARIANT_FALSE);

    NoxComPtr<IVxKMCSiteSpecification> spec;
    ASSERT_EQ(site->get_SiteSpecification(spec.Put()), S_OK);
    // The details stay stored even when they are refused.
    EXPECT_EQ(Result(site->SetSiteDetails(vxKMCActiveSiteTypeSource, spec.Get(), Text("CO").Get(), Text("O").Get())),
              Outcome(E_UNEXPECTED, "Result species should not be specified for a source site."));
    EXPECT_EQ(Pattern(site.Get(), &IVxKMCActiveSite::get_ResultPattern), "O");
    EXPECT_EQ(Result(site->SetSiteDetails(static_cast<vxKMCActiveSiteType>(5), spec.Get(), Text("").Get(),
                                          Text("").Get())),
              Outcome(E_UNEXPECTED, "Input active site type is invalid in KMCActiveSite::SetSiteDetails"));
    EXPECT_EQ(Result(site->put_ResultPattern(Text("CO").Get())),
              Outcome(E_UNEXPECTED, "Result species may not be set for a source site."));
    ASSERT_EQ(site->SetSiteDetails(vxKMCActiveSiteTypeDestination, spec.Get(), Text("").Get(), Text("O").Get()),
              S_OK);
    EXPECT_EQ(Result(site->put_SourcePattern(Text("CO").Get())),
              Outcome(E_UNEXPECTED, "Source pattern may not be set for a destination site."));
    EXPECT_EQ(Pattern(site.Get(), &IVxKMCActiveSite::get_SourcePattern), "");
    vxKMCActiveSiteType type = vxKMCActiveSiteTypeSource;
    EXPECT_EQ(Result(site->get_Type(nullptr)),
              Outcome(E_POINTER, "Output argument for KMCActiveSite::get_Type is not set."));
    EXPECT_EQ(site->get_Type(&type), S_OK);
    EXPECT_EQ(type, vxKMCActiveSiteTypeDestination);
    NoxComPtr<IVxKMCSpecies> species;
    EXPECT_EQ(site->get_ResultSpecies(species.Put()), S_OK);
    EXPECT_TRUE(species);
    EXPECT_EQ(site->get_SourceSpecies(species.Put()), S_OK);
    EXPECT_FALSE(species);
}

TEST_F(ProcessSitesTest, AnEnablingSiteHoldsASpeciesTheVacancyOrNothing) {
    NoxComPtr<IVxKMCProcess> process = NewProcess("Reaction");
    NoxComPtr<IVxKMCBlockingSite> site = AddEnabling(process.Get(), "( 0 , 0 / 1 )", "CO");
    for (auto [given, stored] : {std::pair{"O", "O"}, {"V", "V"}, {"N2", ""}, {"co", "co"}}) {
        EXPECT_EQ(site->put_SourcePattern(Text(given).Get()), S_OK);
        NoxBSTR pattern;
        EXPECT_EQ(site->get_SourcePattern(pattern.Put()), S_OK);
        EXPECT_EQ(pattern.ToTString(), stored) << given;
    }
}

// Sites compare by address, then source pattern, then result pattern; the type takes no part.
TEST_F(ProcessSitesTest, SitesCompareByAddressAndPatternsButNotType) {
    NoxComPtr<IVxKMCProcess> process = NewProcess("Reaction");
    std::vector<NoxComPtr<IVxKMCActiveSite>> sites(4);
    for (auto& site : sites) ASSERT_EQ(process->AddActiveSite(vxKMCActiveSiteTypeReaction, site.Put()), S_OK);
    Shape(sites[0].Get(), vxKMCActiveSiteTypeSource, "( 0 , 0 / 1 )", "A", "");
    Shape(sites[1].Get(), vxKMCActiveSiteTypeReaction, "( 0 , 0 / 1 )", "A", "");
    Shape(sites[2].Get(), vxKMCActiveSiteTypeSource, "( 0 , 0 / 1 )", "B", "");
    Shape(sites[3].Get(), vxKMCActiveSiteTypeSource, "( 0 , 0 / 2 )", "A", "");
    auto equivalent = &IVxKMCActiveSite::get_IsEquivalent;
    auto less = &IVxKMCActiveSite::get_IsLessThan;
    EXPECT_TRUE(Flag(sites[0].Get(), sites[1].Get(), equivalent));
    EXPECT_FALSE(Flag(sites[0].Get(), sites[1].Get(), less));
    EXPECT_FALSE(Flag(sites[1].Get(), sites[0].Get(), less));
    EXPECT_TRUE(Flag(sites[0].Get(), sites[2].Get(), less));
    EXPECT_TRUE(Flag(sites[2].Get(), sites[3].Get(), less));
    EXPECT_FALSE(Flag(sites[3].Get(), sites[0].Get(), less));
    EXPECT_EQ(Result(sites[0]->get_IsEquivalent(nullptr, nullptr)),
              Outcome(E_POINTER, "No pointer supplied for output argument."));
}

TEST_F(ProcessSitesTest, ImagesAreNewSitesWithoutParentsAndFailLikeTheirAddresses) {
    NoxComPtr<IVxKMCProcess> process = Diffusion("Hop", "CO", "( 0 , 0 / 2 )", "( 1 , 0 / 2 )");
    NoxComPtr<IVxKMCActiveSite> source = ActiveSite(process.Get(), 0), image, moved;
    // Operator 1 of "p 4 m m", the half turn, takes the bridge at (0.5, 0) to the one a cell back.
    ASSERT_EQ(source->Transform(1, image.Put()), S_OK);
    NoxComPtr<IVxKMCSiteSpecification> spec;
    ASSERT_EQ(image->get_SiteSpecification(spec.Put()), S_OK);
    NoxBSTR address;
    ASSERT_EQ(spec->get_SiteDetailsAsString(address.Put()), S_OK);
    EXPECT_EQ(address.ToTString(), "( -1 , 0 / 2 )");
    EXPECT_EQ(Pattern(image.Get(), &IVxKMCActiveSite::get_SourcePattern), "CO");
    EXPECT_EQ(dynamic_cast<KMCActiveSite&>(*image.Get()).ParentDocument(), nullptr);
    NoxComPtr<IVxKMCSpecies> species;
    EXPECT_EQ(image->get_SourceSpecies(species.Put()), S_OK);  // no species list: names no species
    EXPECT_FALSE(species);
    ASSERT_EQ(source->Translate(-3, 2, moved.Put()), S_OK);
    EXPECT_EQ(dynamic_cast<KMCActiveSite&>(*moved.Get()).AddressText(), "( -3 , 2 / 2 )");
    EXPECT_EQ(Result(source->Transform(8, image.Put())),
              Outcome(E_UNEXPECTED, "Invalid symmetry index for KMCLattice::TransformPosition"));
    NoxComPtr<IVxKMCActiveSite> far;
    EXPECT_EQ(Result(moved->Translate(std::numeric_limits<LONG>::min(), 0, far.Put())),
              Outcome(E_UNEXPECTED, "Site address is out of range."));
}

// A site specification a host implemented itself: it answers with its address and nothing else.
class HostAddress : public IVxKMCSiteSpecification {
public:
    HRESULT QueryInterface(REFIID iid, void** out) override {
        const bool known = iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IVxKMCSiteSpecification;
        *out = known ? this : nullptr;
        return known ? S_OK : E_NOINTERFACE;  // lives on the stack: references are not counted
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT SetSiteDetails(LONG, LONG, LONG) override { return E_NOTIMPL; }
    HRESULT GetSiteDetails(LONG* i, LONG* j, LONG* n) override {
        *i = 2, *j = -1, *n = 1;
        return S_OK;
    }
    HRESULT put_SiteDetailsAsString(BSTR) override { return E_NOTIMPL; }
    HRESULT get_SiteDetailsAsString(BSTR* text) override {
        *text = Text("( 2 , -1 / 1 )").Detach();
        return S_OK;
    }
    HRESULT Transform(LONG, IVxKMCSiteSpecification**) override { return E_NOTIMPL; }
    HRESULT Translate(LONG, LONG, IVxKMCSiteSpecification**) override { return E_NOTIMPL; }
    HRESULT get_Distance(IVxKMCSiteSpecification*, double*) override { return E_NOTIMPL; }
    HRESULT FractionalCoordinate(double*, double*) override { return E_NOTIMPL; }
    HRESULT get_IsEquivalent(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT get_SiteDetailsAsVelkorString(BSTR*) override { return E_NOTIMPL; }
};

TEST_F(ProcessSitesTest, ASiteSavesTheAddressOfASpecificationAHostImplemented) {
    static HostAddress address;  // outlives the fixture's process list, which keeps the site
    NoxComPtr<IVxKMCProcess> process = NewProcess("Reaction");
    NoxComPtr<IVxKMCActiveSite> site;
    ASSERT_EQ(process->AddActiveSite(vxKMCActiveSiteTypeReaction, site.Put()), S_OK);
    ASSERT_EQ(site->SetSiteDetails(vxKMCActiveSiteTypeSource, &address, Text("CO").Get(), Text("").Get()),
              S_OK);
    EXPECT_NE(SaveXml(site.Get()).find(R"x(SiteDetails="( 2 , -1 / 1 )")x"), std::string::npos);
}

TEST_F(ProcessSitesTest, SiteElementsReadOnlyThePatternsTheirTypeHas) {
    NoxComPtr<IVxKMCProcess> process = NewProcess("Reaction");
    NoxComPtr<IVxKMCActiveSite> site;
    ASSERT_EQ(process->AddActiveSite(vxKMCActiveSiteTypeReaction, site.Put()), S_OK);
    const auto load = [&](const std::string& attributes) {
        return LoadXml(site.Get(), "<Doc><ActiveSite " + attributes + "/></Doc>");
    };
    auto& raw = dynamic_cast<KMCActiveSite&>(*site.Get());
    ASSERT_EQ(load(R"x(SiteType="Destination" SiteDetails="( 1 , 2 / 3 )" ResultSpecies="CO")x"), Outcome(S_OK, ""));
    EXPECT_EQ(raw.Key(), (kmc::ActiveSiteKey{{1, 2, 3}, "", "CO"}));
    ASSERT_EQ(load(R"x(SiteType="Source" SiteDetails="( 0 , 0 / 1 )" SourcePattern="O" ResultSpecies="X")x"),
              Outcome(S_OK, ""));
    EXPECT_EQ(raw.Key(), (kmc::ActiveSiteKey{{0, 0, 1}, "O", "CO"}));  // a source reads no result
    ASSERT_EQ(load(R"x(SiteType="Sideways" SiteDetails="( 0 , 0 / 1 )" SourcePattern="CO")x"), Outcome(S_OK, ""));
    EXPECT_EQ(raw.Type(), vxKMCActiveSiteTypeSource);  // an unknown type text changes nothing
    EXPECT_EQ(LoadXml(site.Get(), "<Doc><BlockingSite/></Doc>"),
              Outcome(E_UNEXPECTED, "Failed to open ActiveSite element"));
    EXPECT_NE(SaveXml(site.Get()).find(R"x(<ActiveSite SiteType="Source" SiteDetails="( 0 , 0 / 1 )" )x"
                                       R"(SourcePattern="CO" ResultSpecies="CO"/>)"),
              std::string::npos);
}

}  // namespace
