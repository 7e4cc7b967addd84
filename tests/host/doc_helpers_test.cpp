// The display helpers against the host's model document, and against a fake document where the
// real one cannot fail the way a test needs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <type_traits>

#include "com/implements.h"
#include "lattice/lattice.h"
#include "lattice/lattice_site_list.h"
#include "model_document.h"
#include "nox/strings.h"
#include "vxostrel/doc_helpers.h"

namespace {

using KMCDocHelpers::Site;
using ::testing::ElementsAre;

template <class Call>
std::pair<HRESULT, std::string> Raised(Call&& call) {
    try {
        call();
        return {S_OK, ""};
    } catch (const NoxResult& failure) {
        return {failure.Code(), failure.Description()};
    }
}

NoxComPtr<KMCLattice> Lattice(double u, double v, double theta) {
    NoxComPtr<KMCLattice> lattice = KMCLattice::Create();
    lattice->SetLattice(2, "Oblique", "p 1", u, v, theta);
    return lattice;
}

void AddSite(KMCLattice& lattice, const char* category, double x, double y) {
    NoxComPtr<IVxKMCLatticeSite> site;
    ASSERT_EQ(lattice.RawLatticeSiteList()->CreateLatticeSite(NoxBSTR(category).Get(), NoxBSTR("Other").Get(),
                                                              x, y, 0, site.Put()),
              S_OK);
}

struct Details {
    std::vector<Site> sites;
    double u = 0, v = 0, theta = 0;
    std::vector<LONG> counts;
    void Read(KMCLattice& lattice) { KMCDocHelpers::GetLatticeDetails(&lattice, sites, u, v, theta, counts); }
};

TEST(GetLatticeDetailsTest, PlacesSitesByCategoryAtDepthsOfTheCellsSquareRoot) {
    NoxComPtr<KMCLattice> lattice = Lattice(2, 3, 90);
    AddSite(*lattice, "Adsorption site", 0, 0);
    AddSite(*lattice, "Substrate site", 0.5, 0.5);
    AddSite(*lattice, "Label", 0.25, 0.75);
    AddSite(*lattice, "Substrate site", 0.5, 0);
    Details details;
    details.Read(*lattice);
    EXPECT_EQ(details.u, 2);
    EXPECT_EQ(details.v, 3);
    EXPECT_DOUBLE_EQ(details.theta, std::numbers::pi / 2);
    const double d = std::sqrt(6.0);
    ASSERT_EQ(details.sites.size(), 4u);
    const double depths[] = {0, -d, -2 * d, -d};
    const LONG kinds[] = {0, 1, 2, 1};
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_DOUBLE_EQ(details.sites[k].z, depths[k]) << k;
        EXPECT_EQ(details.sites[k].kind, kinds[k]) << k;
    }
    EXPECT_FALSE(std::signbit(details.sites[0].z));
    EXPECT_EQ(details.sites[2].x, 0.25);
    EXPECT_EQ(details.sites[2].y, 0.75);
    EXPECT_EQ(details.sites[2].type, "Other");
    EXPECT_THAT(details.counts, ElementsAre(1, 2, 1));
}

TEST(GetLatticeDetailsTest, AppendsToTheSitesWhileTheCountsAreOnlyThisWalks) {
    NoxComPtr<KMCLattice> empty = Lattice(1, 1, 90), withSites = Lattice(1, 1, 90);
    AddSite(*withSites, "Adsorption site", 0, 0);
    AddSite(*withSites, "Label", 0.5, 0.5);
    Details details;
    details.counts = {7, 7, 7, 7};
    details.Read(*empty);
    EXPECT_TRUE(details.sites.empty());
    EXPECT_THAT(details.counts, ElementsAre(0, 0, 0));
    details.Read(*withSites);
    details.Read(*withSites);
    EXPECT_EQ(details.sites.size(), 4u);
    EXPECT_THAT(details.counts, ElementsAre(1, 0, 1));
    details.Read(*empty);
    EXPECT_EQ(details.sites.size(), 4u);
    EXPECT_THAT(details.counts, ElementsAre(0, 0, 0));
}

// The parts of a model document the helpers take.
struct Model {
    NoxComPtr<IModelDocumentRoot> root = kmcdoc::NewModelDocument();
    NoxComPtr<IVxUtility> utility;
    NoxComPtr<IVxObject> top;
    NoxComPtr<IVxObjectProperty> children;
    Model() {
        EXPECT_EQ(root->get_Utility(utility.Put()), S_OK);
        EXPECT_EQ(root->get_TopObject(top.Put()), S_OK);
        EXPECT_EQ(root->get_ChildrenProperty(children.Put()), S_OK);
    }
    LONG Atoms() const {
        LONG count = -1;
        EXPECT_EQ(root.As<IModelAtomisticContent>()->get_AtomCount(&count), S_OK);
        return count;
    }
    LONG Events() const {
        LONG count = -1;
        EXPECT_EQ(root.As<IModelDocumentEvents>()->get_EventCount(&count), S_OK);
        return count;
    }
    bool EventsOn() const {
        VARIANT_BOOL on = VARIANT_FALSE;
        EXPECT_EQ(root.As<IModelDocumentEvents>()->get_EventsEnabled(&on), S_OK);
        return on == VARIANT_TRUE;
    }
};

// A utility that counts the objects it is asked to make and leaves the making to a real one.
class CountingUtility final : public nox::Implements<IVxUtility> {
public:
    explicit CountingUtility(NoxComPtr<IVxUtility> real) : real_(std::move(real)) {}
    HRESULT CreateObject(BSTR className, IVxObject** object) override {
        ++made;
        return real_->CreateObject(className, object);
    }
    HRESULT DefineTemplate(BSTR name, double radius, LONG color, IVxProperty** property) override {
        return real_->DefineTemplate(name, radius, color, property);
    }
    HRESULT GetTemplate(BSTR name, IVxProperty** property) override {
        return real_->GetTemplate(name, property);
    }
    int made = 0;

private:
    NoxComPtr<IVxUtility> real_;
};

TEST(CreateAtomTest, MissingArgumentsAreRefusedBeforeAnythingIsMade) {
    Model model;
    auto counting = NoxComPtr<CountingUtility>::Attach(new CountingUtility(model.utility));
    const NoxComPtr<IVxObjectProperty> none;
    const struct {
        IVxUtility* utility;
        IVxObject* parent;
        const NoxComPtr<IVxObjectProperty>& property;
        const char* message;
    } cases[] = {
        {nullptr, model.top.Get(), model.children, "Value not given for utility object."},
        {counting.Get(), nullptr, model.children, "Value not given for parent object."},
        {counting.Get(), model.top.Get(), none, "Value not given for object property."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Raised([&] { KMCDocHelpers::CreateAtom(c.utility, c.parent, c.property); }),
                  std::make_pair(E_INVALIDARG, std::string(c.message)));
    }
    EXPECT_EQ(counting->made, 0);
    EXPECT_EQ(model.Atoms(), 0);
}

TEST(CreateAtomTest, AttachesANewAtomBelowTheParent) {
    Model model;
    NoxComPtr<IVxObject> atom =
        KMCDocHelpers::CreateAtom(model.utility.Get(), model.top.Get(), model.children);
    ASSERT_TRUE(atom);
    NoxBSTR className;
    ASSERT_EQ(atom->get_ClassName(className.Put()), S_OK);
    EXPECT_EQ(className.ToTString(), "Atom3d");
    NoxComPtr<IVxObject> parent;
    ASSERT_EQ(atom->get_Parent(parent.Put()), S_OK);
    EXPECT_EQ(parent.Get(), model.top.Get());
    EXPECT_EQ(model.Atoms(), 1);
}

// An atom the document would not attach (below another document's object) is not handed out as
// if it had been.
TEST(CreateAtomTest, ARefusedAttachIsRaised) {
    Model model, other;
    EXPECT_EQ(
        Raised([&] { KMCDocHelpers::CreateAtom(model.utility.Get(), other.top.Get(), model.children); }),
        std::make_pair(E_INVALIDARG, std::string("The object does not belong to this model document.")));
    EXPECT_EQ(model.Atoms() + other.Atoms(), 0);
}

TEST(GetNamedTemplateTest, FindsDefinedTemplatesAndPassesTheRefusalOn) {
    Model model;
    NoxComPtr<IVxProperty> defined;
    ASSERT_EQ(model.utility->DefineTemplate(NoxBSTR("Pt").Get(), 1.4, 0x3366CC, defined.Put()), S_OK);
    EXPECT_EQ(KMCDocHelpers::GetNamedTemplate(model.utility.Get(), NoxBSTR("Pt")).Get(), defined.Get());
    EXPECT_EQ(Raised([&] { KMCDocHelpers::GetNamedTemplate(model.utility.Get(), NoxBSTR("Au")); }),
              std::make_pair(E_INVALIDARG, std::string("The model document has no template named \"Au\".")));
}

NoxComPtr<IVxObject> Add(Model& model, const char* className, IVxObject* parent, bool selected,
                         bool visible) {
    NoxComPtr<IVxObject> object, attached;
    EXPECT_EQ(model.utility->CreateObject(NoxBSTR(className).Get(), object.Put()), S_OK);
    EXPECT_EQ(model.children->Attach(object.Get(), parent, attached.Put()), S_OK);
    EXPECT_EQ(object->put_Selected(selected ? VARIANT_TRUE : VARIANT_FALSE), S_OK);
    EXPECT_EQ(object->put_Visible(visible ? VARIANT_TRUE : VARIANT_FALSE), S_OK);
    return object;
}

TEST(SelectedAtomsScopeTest, KeepsTheSelectedVisibleAtomsAtAndBelowTheScopeInDocumentOrder) {
    Model model;
    NoxComPtr<IVxObject> group = Add(model, "Group", model.top.Get(), true, true);
    NoxComPtr<IVxObject> hidden = Add(model, "Atom3d", group.Get(), true, false);
    NoxComPtr<IVxObject> first = Add(model, "Atom3d", group.Get(), true, true);
    NoxComPtr<IVxObject> unselected = Add(model, "Atom3d", model.top.Get(), false, true);
    NoxComPtr<IVxObject> second = Add(model, "Atom3d", model.top.Get(), true, true);
    NoxComPtr<IVxObject> below = Add(model, "Atom3d", second.Get(), true, true);
    NoxComPtr<IModelScopeManager> manager;
    ASSERT_EQ(model.root->get_ScopeManager(manager.Put()), S_OK);
    NoxComPtr<IModelScope> whole;
    ASSERT_EQ(manager->get_DocumentScope(whole.Put()), S_OK);
    NoxComPtr<IModelScope> selected = KMCDocHelpers::SelectedAtomsScope(manager.Get(), whole.Get());
    LONG count = 0;
    ASSERT_EQ(selected->get_Count(&count), S_OK);
    std::vector<IVxObject*> found;
    for (LONG index = 0; index < count; ++index) {
        NoxComPtr<IVxObject> object;
        ASSERT_EQ(selected->get_Item(index, object.Put()), S_OK);
        found.push_back(object.Get());
    }
    EXPECT_THAT(found, ElementsAre(first.Get(), second.Get(), below.Get()));
}

static_assert(!std::is_copy_constructible_v<KMCDocHelpers::CEventDisabler> &&
              !std::is_copy_assignable_v<KMCDocHelpers::CEventDisabler>);

TEST(ClearAtomisticContentTest, RemovesTheAtomsWithEventsOffAndSwitchesThemOnAgain) {
    Model model;
    NoxComPtr<IVxObject> group = Add(model, "Group", model.top.Get(), false, true);
    Add(model, "Atom3d", group.Get(), false, true);
    Add(model, "Atom3d", model.top.Get(), false, true);
    const LONG events = model.Events();
    KMCDocHelpers::ClearAtomisticContent(model.root.Get());
    EXPECT_EQ(model.Atoms(), 0);
    LONG children = 0;
    ASSERT_EQ(model.top->get_ChildCount(&children), S_OK);
    EXPECT_EQ(children, 1);  // the group stays
    EXPECT_EQ(model.Events(), events);
    EXPECT_TRUE(model.EventsOn());
}

// A document whose parts fail or are missing as a test asks.
class FakeRoot : public IModelDocumentRoot, public IModelDocumentEvents, public IModelAtomisticContent {
public:
    explicit FakeRoot(bool hasContent) : hasContent_(hasContent) {}
    HRESULT QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IModelDocumentRoot) *out = static_cast<IModelDocumentRoot*>(this);
        if (iid == IID_IModelDocumentEvents) *out = static_cast<IModelDocumentEvents*>(this);
        if (iid == IID_IModelAtomisticContent && hasContent_) *out = static_cast<IModelAtomisticContent*>(this);
        return *out != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }  // lives on the test's stack
    ULONG Release() override { return 1; }
    HRESULT get_Utility(IVxUtility**) override { return E_NOTIMPL; }
    HRESULT get_ScopeManager(IModelScopeManager**) override { return E_NOTIMPL; }
    HRESULT get_TopObject(IVxObject**) override { return E_NOTIMPL; }
    HRESULT get_ChildrenProperty(IVxObjectProperty**) override { return E_NOTIMPL; }
    MOCK_METHOD(HRESULT, put_EventsEnabled, (VARIANT_BOOL), (override));
    HRESULT get_EventsEnabled(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT get_EventCount(LONG*) override { return E_NOTIMPL; }
    HRESULT get_AtomCount(LONG*) override { return E_NOTIMPL; }
    HRESULT get_Atom(LONG, IVxObject**) override { return E_NOTIMPL; }
    MOCK_METHOD(HRESULT, ClearContent, (), (override));

private:
    bool hasContent_;
};

TEST(ClearAtomisticContentTest, ADocumentWithoutAtomisticContentIsLeftAlone) {
    ::testing::StrictMock<FakeRoot> root(false);
    KMCDocHelpers::ClearAtomisticContent(&root);
}

TEST(ClearAtomisticContentTest, EventsComeBackOnWhenClearingFails) {
    ::testing::StrictMock<FakeRoot> root(true);
    ::testing::InSequence order;
    EXPECT_CALL(root, put_EventsEnabled(VARIANT_FALSE)).WillOnce(::testing::Return(S_OK));
    EXPECT_CALL(root, ClearContent()).WillOnce(::testing::Return(E_ACCESSDENIED));
    EXPECT_CALL(root, put_EventsEnabled(VARIANT_TRUE)).WillOnce(::testing::Return(S_OK));
    EXPECT_EQ(Raised([&] { KMCDocHelpers::ClearAtomisticContent(&root); }).first, E_ACCESSDENIED);
}

TEST(CEventDisablerTest, ARefusedSwitchIsRecordedAndFailsNothing) {
    ::testing::StrictMock<FakeRoot> root(true);
    EXPECT_CALL(root, put_EventsEnabled(VARIANT_FALSE)).WillOnce(::testing::Return(E_ACCESSDENIED));
    EXPECT_CALL(root, put_EventsEnabled(VARIANT_TRUE)).WillOnce(::testing::Return(E_UNEXPECTED));
    NoxResult::SetLastError(NoxResult(S_OK));
    {
        const KMCDocHelpers::CEventDisabler quiet(&root);
        EXPECT_EQ(NoxResult::LastError().Code(), E_ACCESSDENIED);
    }
    EXPECT_EQ(NoxResult::LastError().Code(), E_UNEXPECTED);
    const KMCDocHelpers::CEventDisabler none(nullptr);  // no document, nothing to switch
}

}  // namespace
