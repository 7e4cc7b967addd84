// The module's entry points: the class table behind the standard in-process entry points and
// the component-module entry, the type library, and the message table.
#include <dlfcn.h>

#include <map>
#include <memory>
#include <vector>

#include "configuration/configuration.h"
#include "configuration/configuration_history.h"
#include "configuration/configuration_history_action.h"
#include "frame/component.h"
#include "interaction/interaction.h"
#include "interaction/interaction_detail.h"
#include "interaction/interaction_list.h"
#include "lattice/lattice.h"
#include "lattice/lattice_site.h"
#include "lattice/lattice_site_list.h"
#include "lattice/site_specification.h"
#include "process/active_site.h"
#include "process/blocking_site.h"
#include "process/process.h"
#include "process/process_list.h"
#include "species/species.h"
#include "species/species_list.h"
#include "typelib/typelib.h"
#include "vxostrel/serializer.h"
#include "xml/reader.h"
#include "xml/writer.h"
#include "xpcom/xpcom.h"

namespace {

// The creatable classes, in class-table order. Both entry paths are built from this one list.
template <class... Classes>
struct ClassList {
    static constexpr size_t kCount = sizeof...(Classes);
    static constexpr NoxClassEntry kRows[] = {
        {&Classes::kClassId, &Classes::CreateInstance, Classes::kDescription, Classes::kProgId,
         Classes::kVersionIndependentProgId, &LIBID_VxOstrel, kVxOstrelMajor, kVxOstrelMinor}...};

    template <class Class>
    static nsresult CreateThroughModule(nsISupports* outer, const nsIID& iid, void** result) {
        return nox::CreateFromRow(&Class::CreateInstance, outer, iid, result);
    }
    static constexpr NSConstructorProcPtr kModuleCreators[] = {&CreateThroughModule<Classes>...};
};
using Classes = ClassList<KMCLattice, KMCLatticeSite, KMCLatticeSiteList, KMCSpecies, KMCSpeciesList,
                          KMCSiteSpecification, KMCActiveSite, KMCBlockingSite, KMCProcess, KMCProcessList,
                          KMCInteractionDetail, KMCInteraction, KMCConfigurationHistoryAction,
                          KMCConfigurationHistory, KMCConfiguration, OstrelToXML, XMLToOstrel>;

// The interfaces of the type library, in registration order.
template <class... Interfaces>
std::vector<const nox::typelib::InterfaceDesc*> DescribeAll() {
    return {&DescribeInterface(static_cast<Interfaces*>(nullptr))...};
}
const std::vector<const nox::typelib::InterfaceDesc*>& LibraryInterfaces() {
    static const auto interfaces = DescribeAll<IVxKMCActiveSite, IVxKMCBlockingSite, IVxKMCConfiguration,
                                               IVxKMCConfigurationHistory, IVxKMCConfigurationHistoryAction,
                                               IVxKMCInteraction, IVxKMCInteractionDetail, IVxKMCInteractionList,
                                               IVxKMCLattice, IVxKMCLatticeSite, IVxKMCLatticeSiteList, IVxKMCProcess,
                                               IVxKMCProcessList, IVxKMCSerializer,
                                               IVxKMCSiteSpecification, IVxKMCSpecies, IVxKMCSpeciesList, IVxOstrelToXML,
                                               IVxXMLToOstrel>();
    return interfaces;
}

CNoxFactoryData& FactoryData() {
    static CNoxFactoryData data;
    return data;
}

int g_factoryEnabled = 0;

void EnableFactoryComponents(void* moduleInstance) {
    g_factoryEnabled = 1;
    FactoryData().EnableFactoryComponents(moduleInstance, Classes::kRows, Classes::kCount);
}

void EnsureFactoryComponents() {
    if (g_factoryEnabled == 0) EnableFactoryComponents(nullptr);
}

// The module's embedded type library: present while the module is loaded.
void RegisterLibrary() {
    // Cannot fail for a well-formed description; a failure would show as missing type information.
    (void)nox::typelib::RegisterTypeLibrary(
        {LIBID_VxOstrel, kVxOstrelMajor, kVxOstrelMinor, kVxOstrelLibraryName, LibraryInterfaces()});
}

void* ModuleInstance() {
    Dl_info info{};
    return dladdr(reinterpret_cast<void*>(&ModuleInstance), &info) != 0 ? info.dli_fbase : nullptr;
}

constexpr unsigned kProcessAttach = 1;

bool ModuleAttach(void* instance, unsigned reason, void*) {
    if (reason == kProcessAttach) EnableFactoryComponents(instance);
    return true;
}

__attribute__((constructor)) void OnModuleLoad() {
    RegisterLibrary();
    ModuleAttach(ModuleInstance(), kProcessAttach, nullptr);
}

__attribute__((destructor)) void OnModuleUnload() {
    (void)FactoryData().UnregisterAll();  // nothing is left to report to at unload
    nox::typelib::UnregisterTypeLibrary(LIBID_VxOstrel, kVxOstrelMajor);
}

std::vector<nsModuleComponentInfo>& ComponentDescriptions() {
    static std::vector<nsModuleComponentInfo> descriptions(Classes::kCount);
    return descriptions;
}

void DescribeComponents() {
    auto& descriptions = ComponentDescriptions();
    for (size_t i = 0; i < Classes::kCount; ++i) {
        const NoxClassEntry& row = Classes::kRows[i];
        descriptions[i] = nsModuleComponentInfo{};
        descriptions[i].mDescription = row.description;
        descriptions[i].mCID = *row.clsid;
        descriptions[i].mContractID = row.progId;
        descriptions[i].mConstructor = Classes::kModuleCreators[i];
    }
}

HRESULT RegisterInterfaces() {
    for (const auto* desc : LibraryInterfaces()) {
        HRESULT hr = RegisterTypeLibInterface(LIBID_VxOstrel, kVxOstrelLibraryName, *desc->iid);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace

extern "C" {

NOX_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    EnsureFactoryComponents();
    return FactoryData().GetClassObject(clsid, iid, out);
}

NOX_EXPORT HRESULT DllCanUnloadNow() {
    EnsureFactoryComponents();
    return FactoryData().CanUnloadNow();
}

NOX_EXPORT HRESULT DllRegisterServer() {
    EnsureFactoryComponents();
    return FactoryData().RegisterAll();
}

NOX_EXPORT HRESULT DllUnregisterServer() {
    EnsureFactoryComponents();
    return FactoryData().UnregisterAll();
}

NOX_EXPORT nsresult NSGetModule(nsIComponentManager* componentManager, nsIFile* location, nsIModule** out) {
    if (out == nullptr) return NS_ERROR_NULL_POINTER;
    *out = nullptr;
    DescribeComponents();
    if (HRESULT hr = RegisterInterfaces(); FAILED(hr)) return hr;
    static nsModuleInfo info;
    info = nsModuleInfo{};
    info.mVersion = NS_MODULEINFO_VERSION;
    info.mModuleName = "Ostrel";
    info.mComponents = ComponentDescriptions().data();
    info.mCount = static_cast<uint32_t>(Classes::kCount);
    nsresult rv = NS_NewGenericModule2(&info, out);
    if (NS_FAILED(rv)) return rv;
    return (*out)->RegisterSelf(componentManager, location, nullptr, nullptr);
}

// Message texts by numeric identifier. The library defines none, so every identifier gives null.
NOX_EXPORT const char* ID2MessageString(int id) {
    static const std::map<int32_t, const char*> messages;
    auto it = messages.find(id);
    return it != messages.end() ? it->second : nullptr;
}

}  // extern "C"
