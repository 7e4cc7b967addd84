// The component-module binary interface: result codes, identifiers, the module, factory,
// component manager and registrar interfaces, and the static module description that a
// module's NSGetModule entry point turns into a generic module.
//
// Identifiers and interfaces share the automation layout (nsID is GUID, nsISupports is
// IUnknown), so one object can be handed to both kinds of client.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "com/interfaces.h"

using nsresult = HRESULT;

inline constexpr nsresult NS_OK = S_OK;
inline constexpr nsresult NS_ERROR_NOT_IMPLEMENTED = E_NOTIMPL;
inline constexpr nsresult NS_ERROR_NO_INTERFACE = E_NOINTERFACE;
inline constexpr nsresult NS_ERROR_NULL_POINTER = E_POINTER;
inline constexpr nsresult NS_ERROR_FAILURE = E_FAIL;
inline constexpr nsresult NS_ERROR_UNEXPECTED = E_UNEXPECTED;
inline constexpr nsresult NS_ERROR_OUT_OF_MEMORY = E_OUTOFMEMORY;
inline constexpr nsresult NS_ERROR_ILLEGAL_VALUE = E_INVALIDARG;
inline constexpr nsresult NS_ERROR_NO_AGGREGATION = CLASS_E_NOAGGREGATION;
inline constexpr nsresult NS_ERROR_FACTORY_NOT_REGISTERED = MakeHResult(0x80040154);

constexpr bool NS_SUCCEEDED(nsresult rv) { return SUCCEEDED(rv); }
constexpr bool NS_FAILED(nsresult rv) { return FAILED(rv); }

using nsID = GUID;
using nsIID = nsID;
using nsCID = nsID;
using nsISupports = IUnknown;

#define NS_GET_IID(Interface) IidOf<Interface>()

// A location in the file system; only ever passed through, never looked into.
struct nsIFile;

struct nsIComponentManager;

// Same identifier and slot layout as IClassFactory.
struct nsIFactory : nsISupports {
    [[nodiscard]] virtual nsresult CreateInstance(nsISupports* outer, const nsIID& iid, void** result) = 0;
    [[nodiscard]] virtual nsresult LockFactory(bool lock) = 0;
};
NOX_DECLARE_IID(nsIFactory, "{00000001-0000-0000-c000-000000000046}");

struct nsIModule : nsISupports {
    [[nodiscard]] virtual nsresult GetClassObject(nsIComponentManager* compMgr, const nsCID& cid, const nsIID& iid,
                                    void** result) = 0;
    [[nodiscard]] virtual nsresult RegisterSelf(nsIComponentManager* compMgr, nsIFile* location, const char* loaderStr,
                                  const char* type) = 0;
    [[nodiscard]] virtual nsresult UnregisterSelf(nsIComponentManager* compMgr, nsIFile* location,
                                    const char* loaderStr) = 0;
    [[nodiscard]] virtual nsresult CanUnload(nsIComponentManager* compMgr, bool* result) = 0;
};
NOX_DECLARE_IID(nsIModule, "{7392d032-5371-11d3-994e-00805fd26fee}");

// Creation of registered components, by class id or by contract id. Every method clears
// `*result` first; an unknown class or contract id gives NS_ERROR_FACTORY_NOT_REGISTERED.
struct nsIComponentManager : nsISupports {
    [[nodiscard]] virtual nsresult GetClassObject(const nsCID& cid, const nsIID& iid, void** result) = 0;
    [[nodiscard]] virtual nsresult CreateInstance(const nsCID& cid, nsISupports* outer, const nsIID& iid,
                                    void** result) = 0;
    [[nodiscard]] virtual nsresult CreateInstanceByContractID(const char* contractId, nsISupports* outer, const nsIID& iid,
                                                void** result) = 0;
};
NOX_DECLARE_IID(nsIComponentManager, "{090bb8a3-80ab-449d-a007-d9037e95b786}");

// Where modules record their components. A later registration of a contract id takes the
// contract id over; `className` and `contractId` may be null.
struct nsIComponentRegistrar : nsISupports {
    [[nodiscard]] virtual nsresult RegisterFactoryLocation(const nsCID& cid, const char* className, const char* contractId,
                                             nsIFile* location, const char* loaderStr, const char* type) = 0;
    [[nodiscard]] virtual nsresult ContractIDToCID(const char* contractId, nsCID* result) = 0;
};
NOX_DECLARE_IID(nsIComponentRegistrar, "{2e6ef7a4-62f0-4a36-9abe-532dabc479a3}");

struct nsModuleComponentInfo;

using NSConstructorProcPtr = nsresult (*)(nsISupports* outer, const nsIID& iid, void** result);
using NSRegisterSelfProcPtr = nsresult (*)(nsIComponentManager* compMgr, nsIFile* location,
                                           const char* loaderStr, const char* type,
                                           const nsModuleComponentInfo* info);
using NSUnregisterSelfProcPtr = nsresult (*)(nsIComponentManager* compMgr, nsIFile* location,
                                             const char* loaderStr, const nsModuleComponentInfo* info);
using NSFactoryDestructorProcPtr = void (*)();
using NSGetInterfacesProcPtr = nsresult (*)(uint32_t* count, nsIID*** array);
using NSGetLanguageHelperProcPtr = nsresult (*)(uint32_t language, nsISupports** helper);

// One component of a module. The generic module uses the description, class id, contract id
// and constructor; the fields after the constructor keep the layout and stay zero, which
// their defaults make the case when a description lists only the first four.
struct nsModuleComponentInfo {
    const char* mDescription;
    nsCID mCID;
    const char* mContractID;
    NSConstructorProcPtr mConstructor;
    NSRegisterSelfProcPtr mRegisterSelfProc = nullptr;
    NSUnregisterSelfProcPtr mUnregisterSelfProc = nullptr;
    NSFactoryDestructorProcPtr mFactoryDestructor = nullptr;
    NSGetInterfacesProcPtr mGetInterfacesProc = nullptr;
    NSGetLanguageHelperProcPtr mGetLanguageHelperProc = nullptr;
    void** mClassInfoGlobal = nullptr;
    uint32_t mFlags = 0;
};
static_assert(offsetof(nsModuleComponentInfo, mCID) == 8);
static_assert(offsetof(nsModuleComponentInfo, mConstructor) == 32);
static_assert(offsetof(nsModuleComponentInfo, mFlags) == 88);
static_assert(sizeof(nsModuleComponentInfo) == 96);
static_assert(std::is_standard_layout_v<nsModuleComponentInfo> && std::is_aggregate_v<nsModuleComponentInfo>);

using nsModuleConstructorProc = nsresult (*)(nsIModule* self);
using nsModuleDestructorProc = void (*)(nsIModule* self);

// The layout revision of nsModuleInfo that this platform reads.
inline constexpr uint32_t NS_MODULEINFO_VERSION = 0x00015000;

struct nsModuleInfo {
    uint32_t mVersion;
    const char* mModuleName;
    const nsModuleComponentInfo* mComponents;
    uint32_t mCount;
    nsModuleConstructorProc mCtor = nullptr;
    nsModuleDestructorProc mDtor = nullptr;
};
static_assert(offsetof(nsModuleInfo, mComponents) == 16);
static_assert(offsetof(nsModuleInfo, mCtor) == 32);
static_assert(sizeof(nsModuleInfo) == 48);
static_assert(std::is_standard_layout_v<nsModuleInfo> && std::is_aggregate_v<nsModuleInfo>);

extern "C" {
// Makes the generic module for `info`, which must outlive it, and hands the caller its one
// reference. NS_ERROR_NULL_POINTER for a null argument; NS_ERROR_ILLEGAL_VALUE for another
// layout revision or components missing while the count is not zero.
[[nodiscard]] NOX_EXPORT nsresult NS_NewGenericModule2(const nsModuleInfo* info, nsIModule** result);
}
