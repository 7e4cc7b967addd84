// Shared helpers for the module's tests: outcomes of calls, XML save and load, a mock document,
// calls by name, and readers and fixtures for species and lattices.
#pragma once

#include <gmock/gmock.h>

#include <locale.h>
#include <clocale>
#include <cstdlib>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "com/oleauto.h"
#include "lattice/lattice.h"
#include "lattice/lattice_site_list.h"
#include "nox/comptr.h"
#include "nox/strings.h"
#include "nox/variant.h"
#include "platform/com_fake_object.h"
#include "species/species_list.h"
#include "vxostrel/document.h"
#include "xml/reader.h"
#include "xml/utils.h"
#include "xml/writer.h"

namespace kmctest {

// Identity and dispatch for a test double that lives on the stack and offers one interface.
template <class Interface>
class StackObject : public Interface {
public:
    HRESULT QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IDispatch || iid == IidOf<Interface>() ? this : nullptr;
        return *out != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
};

// The description of the calling thread's pending error information ("" when none), taking it.
inline std::string TakeErrorDescription() {
    NoxComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Put()) != S_OK || !info) return {};
    NoxBSTR text;
    if (FAILED(info->GetDescription(text.Put()))) return {};
    return text.ToTString();
}

inline NoxBSTR Text(const char* utf8) { return NoxBSTR(utf8); }
inline VARIANT Long(LONG value) { return nox::testing::MakeVariant(VT_I4, value); }

using Outcome = std::pair<HRESULT, std::string>;

// An automation call's result with the description it left ("" on success).
inline Outcome Result(HRESULT hr) { return {hr, FAILED(hr) ? TakeErrorDescription() : ""}; }

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

// The text of a processes document that holds only `object`.
inline std::string SaveXml(IDispatch* object) {
    xmlTree tree;
    NoxComPtr<OstrelToXML> writer = OstrelToXML::Create();
    writer->Initialize(&tree);
    EXPECT_EQ(writer->InitializeSaver(Text("ProcessesDocument").Get(), Text("1.0").Get()), S_OK);
    OstrelUtils::SaveXML(object, writer.Get());
    writer->Finalize();
    return tree.SaveString();
}

// Loads `object` from the first element below the root of `document`.
inline Outcome LoadXml(IDispatch* object, const std::string& document) {
    std::unique_ptr<xmlTree> tree = xmlTree::ParseString(document);
    NoxComPtr<XMLToOstrel> reader = XMLToOstrel::Create();
    reader->Initialize(tree.get());
    NoxBSTR root, version;
    EXPECT_EQ(reader->InitializeLoader(root.Put(), version.Put()), S_OK);
    return Raised([&] { OstrelUtils::LoadXML(object, reader.Get()); });
}

// Names a locale with a decimal comma in LC_ALL while it lives; the localization scope reads it.
// Available() is false on a machine without that locale (build.sh generates it).
class DecimalCommaLocale {
public:
    DecimalCommaLocale() {
        locale_t probe = newlocale(LC_ALL_MASK, kName, static_cast<locale_t>(0));
        if (probe == static_cast<locale_t>(0)) return;
        freelocale(probe);
        if (const char* old = std::getenv("LC_ALL")) saved_ = old;
        setenv("LC_ALL", kName, 1);
        available_ = true;
    }
    ~DecimalCommaLocale() {
        if (available_) saved_ ? setenv("LC_ALL", saved_->c_str(), 1) : unsetenv("LC_ALL");
    }
    DecimalCommaLocale(const DecimalCommaLocale&) = delete;
    DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;
    bool Available() const { return available_; }
    static constexpr const char* kName = "de_DE.UTF-8";

private:
    std::optional<std::string> saved_;
    bool available_ = false;
};

class MockDocument : public CKMCDocumentsBase {
public:
    MOCK_METHOD(bool, IsLoading, (), (override));
    MOCK_METHOD(void, HostReserved, (), (override));
    MOCK_METHOD(NoxResult, CanEdit, (), (override));
    MOCK_METHOD(void, SetEditing, (bool), (override));
    MOCK_METHOD(void, SetModified, (bool), (override));
};

// A member called by name through IDispatch with positional arguments (given first to last).
struct DispatchCall {
    HRESULT hr = S_OK;
    NoxVariant result;
    EXCEPINFO exception{};
    DispatchCall(IDispatch* object, const char16_t* name, WORD flags, std::vector<VARIANT> args = {}) {
        DISPID id = DISPID_UNKNOWN, named = DISPID_PROPERTYPUT;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        const bool put = flags == DISPATCH_PROPERTYPUT;
        DISPPARAMS params{reversed.data(), put ? &named : nullptr, static_cast<UINT>(reversed.size()),
                          put ? 1u : 0u};
        UINT argErr = 0;
        hr = object->Invoke(id, IID_NULL, 0, flags, &params, result.Put(), &exception, &argErr);
    }
    ~DispatchCall() {
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
    }
    std::string Description() const { return BSTRToTString(exception.bstrDescription); }
};

// Everything a species shows through its interface.
struct SpeciesValues {
    std::string name, category;
    double radius = 0;
    LONG charge = 0, color = 0;
    friend bool operator==(const SpeciesValues&, const SpeciesValues&) = default;
    friend std::ostream& operator<<(std::ostream& out, const SpeciesValues& v) {
        return out << v.name << '/' << v.category << '/' << v.radius << '/' << v.charge << '/' << v.color;
    }
};

inline SpeciesValues ValuesOf(IVxKMCSpecies* species) {
    SpeciesValues values;
    NoxBSTR name, category;
    EXPECT_EQ(species->get_Name(name.Put()), S_OK);
    EXPECT_EQ(species->get_Category(category.Put()), S_OK);
    EXPECT_EQ(species->get_Radius(&values.radius), S_OK);
    EXPECT_EQ(species->get_Charge(&values.charge), S_OK);
    EXPECT_EQ(species->get_Color(&values.color), S_OK);
    values.name = name.ToTString();
    values.category = category.ToTString();
    return values;
}

// A species list linked to a document that allows every edit.
class SpeciesFixture : public ::testing::Test {
protected:
    SpeciesFixture() {
        ON_CALL(document_, CanEdit()).WillByDefault(::testing::Return(NoxResult(S_OK)));
        list_->SetParent(&document_, nullptr, nullptr, nullptr);
    }

    static HRESULT Create(IVxKMCSpeciesList* list, const char* name,
                          NoxComPtr<IVxKMCSpecies>* created = nullptr) {
        NoxComPtr<IVxKMCSpecies> species;
        HRESULT hr = list->CreateSpecies(Text(name).Get(), species.Put());
        if (created != nullptr) *created = species;
        return hr;
    }
    // A new species of this fixture's list; the creation must succeed.
    NoxComPtr<IVxKMCSpecies> Add(const char* name) {
        NoxComPtr<IVxKMCSpecies> species;
        EXPECT_EQ(Create(list_.Get(), name, &species), S_OK) << TakeErrorDescription();
        return species;
    }
    NoxComPtr<IVxKMCSpecies> Item(LONG index) {
        NoxComPtr<IVxKMCSpecies> species;
        EXPECT_EQ(list_->get_Item(index, species.Put()), S_OK);
        return species;
    }
    static KMCSpecies& Raw(const NoxComPtr<IVxKMCSpecies>& species) {
        return KMCSpecies::FromInterface(species.Get());
    }
    static std::vector<std::string> Names(IVxKMCSpeciesList* list) {
        LONG count = 0;
        EXPECT_EQ(list->get_Count(&count), S_OK);
        std::vector<std::string> names;
        for (LONG i = 0; i < count; ++i) {
            NoxComPtr<IVxKMCSpecies> species;
            EXPECT_EQ(list->get_Item(i, species.Put()), S_OK);
            names.push_back(ValuesOf(species.Get()).name);
        }
        return names;
    }
    std::vector<std::string> Names() { return Names(list_.Get()); }
    // A text property of the list, such as get_VacancySymbol.
    std::string Read(HRESULT (IVxKMCSpeciesList::*get)(BSTR*)) {
        NoxBSTR text;
        EXPECT_EQ((list_.Get()->*get)(text.Put()), S_OK);
        return text.ToTString();
    }

    ::testing::NiceMock<MockDocument> document_;
    NoxComPtr<KMCSpeciesList> list_ = KMCSpeciesList::Create();
};

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
    uint32_t color;
    friend bool operator==(const SiteValues&, const SiteValues&) = default;
};

inline std::vector<SiteValues> Sites(KMCLattice& lattice) {
    std::vector<SiteValues> sites;
    const KMCLatticeSiteList& list = *lattice.RawLatticeSiteList();
    for (LONG k = 0; k < list.Count(); ++k) {
        const KMCLatticeSite& s = list.Site(k);
        sites.push_back(
            {s.Category(), s.Type(), s.Position().x, s.Position().y, s.Label(), s.Color().Value()});
    }
    return sites;
}

inline HRESULT CreateSite(KMCLattice& lattice, const char* category, const char* siteType, double x = 0,
                          double y = 0, LONG color = 0) {
    NoxComPtr<IVxKMCLatticeSite> site;
    return lattice.RawLatticeSiteList()->CreateLatticeSite(Text(category).Get(), Text(siteType).Get(), x, y,
                                                           color, site.Put());
}

}  // namespace kmctest
