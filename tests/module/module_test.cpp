// The module's entry points: both paths to its class table and the type library registration.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support.h"
#include "typelib/typelib.h"
#include "vxostrel/module.h"
#include "xpcom/component_manager.h"

namespace {

// The published orders of the class table and of the type library's interfaces.
const std::vector<CLSID> kTableOrder = {CLSID_KMCLattice,
                                        CLSID_KMCLatticeSite,
                                        CLSID_KMCLatticeSiteList,
                                        CLSID_KMCSpecies,
                                        CLSID_KMCSpeciesList,
                                        CLSID_KMCSiteSpecification,
                                        CLSID_KMCActiveSite,
                                        CLSID_KMCBlockingSite,
                                        CLSID_KMCProcess,
                                        CLSID_KMCProcessList,
                                        CLSID_KMCInteractionDetail,
                                        CLSID_KMCInteraction,
                                        CLSID_KMCConfigurationHistoryAction,
                                        CLSID_KMCConfigurationHistory,
                                        CLSID_KMCConfiguration,
                                        CLSID_OstrelToXML,
                                        CLSID_XMLToOstrel};
const std::vector<std::string> kTypeLibraryOrder = {"IVxKMCActiveSite",
                                                    "IVxKMCBlockingSite",
                                                    "IVxKMCConfiguration",
                                                    "IVxKMCConfigurationHistory",
                                                    "IVxKMCConfigurationHistoryAction",
                                                    "IVxKMCInteraction",
                                                    "IVxKMCInteractionDetail",
                                                    "IVxKMCInteractionList",
                                                    "IVxKMCLattice",
                                                    "IVxKMCLatticeSite",
                                                    "IVxKMCLatticeSiteList",
                                                    "IVxKMCProcess",
                                                    "IVxKMCProcessList",
                                                    "IVxKMCSerializer",
                                                    "IVxKMCSiteSpecification",
                                                    "IVxKMCSpecies",
                                                    "IVxKMCSpeciesList",
                                                    "IVxOstrelToXML",
                                                    "IVxXMLToOstrel"};

template <class T>
bool IsSubsequence(const std::vector<T>& whole, const std::vector<T>& part) {
    auto next = whole.begin();
    for (const T& item : part) {
        next = std::find(next, whole.end(), item);
        if (next == whole.end()) return false;
        ++next;
    }
    return true;
}

NoxComPtr<IClassFactory> FactoryFor(REFCLSID clsid) {
    NoxComPtr<IClassFactory> factory;
    EXPECT_EQ(DllGetClassObject(clsid, IID_IClassFactory, factory.PutVoid()), S_OK);
    return factory;
}

TEST(ModuleTest, FactoryCreatesWithOneReferenceAndRefusesAggregationAndClassesWithoutRow) {
    for (const CLSID* clsid : {&CLSID_OstrelToXML, &CLSID_XMLToOstrel}) {
        NoxComPtr<IClassFactory> factory = FactoryFor(*clsid);
        ASSERT_TRUE(factory);
        IDispatch* object = nullptr;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object)), S_OK);
        EXPECT_EQ(object->AddRef(), 2u);
        EXPECT_EQ(object->Release(), 1u);
        EXPECT_EQ(object->Release(), 0u);
    }
    NoxComPtr<IClassFactory> factory = FactoryFor(CLSID_OstrelToXML);
    NoxComPtr<OstrelToXML> outer = OstrelToXML::Create();
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(outer.As<IUnknown>().Get(), IID_IUnknown, &object),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IVxXMLToOstrel, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(DllGetClassObject(CLSID_KMCInteractionList, IID_IClassFactory, &object),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
}

TEST(ModuleTest, CanUnloadOnlyWithoutObjectsAndLocks) {
    ASSERT_EQ(DllCanUnloadNow(), S_OK);
    {
        NoxComPtr<XMLToOstrel> reader = XMLToOstrel::Create();
        EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    }
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    NoxComPtr<IClassFactory> factory = FactoryFor(CLSID_XMLToOstrel);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST(ModuleTest, RegisteredClassesAreCreatedByProgId) {
    ASSERT_EQ(DllRegisterServer(), S_OK);
    for (const char* progId :
         {"VxDocuments.OstrelToXML.1", "VxDocuments.OstrelToXML", "VxDocuments.XMLToOstrel.1"}) {
        NoxComPtr<IDispatch> object;
        EXPECT_EQ(NoxCreateImpl(progId, nullptr, 0, IID_IDispatch, object.PutVoid(), false), S_OK) << progId;
    }
    auto entry = nox::FindRegisteredClass(CLSID_XMLToOstrel);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->description, "Orvanta XML To KMC Type");
    EXPECT_EQ(entry->versionIndependentProgId, "VxDocuments.XMLToOstrel");

    ASSERT_EQ(DllUnregisterServer(), S_OK);
    NoxComPtr<IDispatch> object;
    EXPECT_EQ(NoxCreateImpl("VxDocuments.XMLToOstrel.1", nullptr, 0, IID_IDispatch, object.PutVoid(), false),
              CO_E_CLASSSTRING);
    ASSERT_EQ(DllRegisterServer(), S_OK);
}

TEST(ModuleTest, ComponentModuleRegistersTheTableEveryTime) {
    auto manager = nox::xpcom::ComponentManager::Create();
    for (int call = 0; call < 2; ++call) {
        nsIModule* module = nullptr;
        ASSERT_EQ(NSGetModule(manager.Get(), nullptr, &module), NS_OK);
        ASSERT_NE(module, nullptr);

        void* object = reinterpret_cast<void*>(1);
        NoxComPtr<nsIFactory> factory;
        ASSERT_EQ(
            module->GetClassObject(manager.Get(), CLSID_XMLToOstrel, IID_IClassFactory, factory.PutVoid()),
            NS_OK);
        NoxComPtr<XMLToOstrel> outer = XMLToOstrel::Create();
        EXPECT_EQ(factory->CreateInstance(outer.As<IUnknown>().Get(), IID_IVxXMLToOstrel, &object),
                  CLASS_E_NOAGGREGATION);
        EXPECT_EQ(object, nullptr);
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IVxXMLToOstrel, &object), S_OK);
        static_cast<IVxXMLToOstrel*>(object)->Release();
        module->Release();
    }
    // Each call registers the whole table once, in table order; the table grows as classes do.
    auto registrations = manager->Registrations();
    ASSERT_EQ(registrations.size() % 2, 0u);
    const size_t rows = registrations.size() / 2;
    ASSERT_GE(rows, 2u);
    std::vector<CLSID> ids;
    for (size_t i = 0; i < rows; ++i) {
        EXPECT_EQ(registrations[i], registrations[rows + i]);
        ids.push_back(registrations[i].cid);
    }
    EXPECT_TRUE(IsSubsequence(kTableOrder, ids));
    EXPECT_EQ(registrations[rows - 2].className, "Orvanta KMC Type To XML");
    EXPECT_EQ(registrations[rows - 2].contractId, "VxDocuments.OstrelToXML.1");
    EXPECT_EQ(registrations[rows - 1].contractId, "VxDocuments.XMLToOstrel.1");

    std::vector<std::string> names;
    for (const auto* desc : nox::typelib::RegisteredInterfaces(LIBID_VxOstrel, 1))
        names.push_back(desc->name);
    EXPECT_TRUE(IsSubsequence(kTypeLibraryOrder, names));
    EXPECT_EQ(names.back(), "IVxXMLToOstrel");
}

}  // namespace
