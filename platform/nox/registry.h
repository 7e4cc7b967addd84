// Factory support and the process-wide class registry.
//
// A module describes its creatable classes in a class table and hands it to its
// CNoxFactoryData. The factory data hands out class factories for the table's rows, tells
// whether the module can be unloaded, and registers the rows (class id, description, ProgID,
// version-independent ProgID, type library) in the class registry, through which hosts create
// objects by class id or ProgID.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com/interfaces.h"
#include "nox/unknown.h"

// Creates one object and returns its framework base with the creation reference.
using NoxCreateInstanceFn = HRESULT (*)(CNoxUnknown** out);

struct NoxClassEntry {
    const CLSID* clsid;
    NoxCreateInstanceFn createInstance;
    const char* description;
    const char* progId;
    const char* versionIndependentProgId;
    const GUID* libid;
    WORD libraryMajor;
    WORD libraryMinor;
};

class NOX_EXPORT CNoxFactoryData {
public:
    // Remembers the module's class table (not copied; it must outlive the factory data).
    void EnableFactoryComponents(void* moduleInstance, const NoxClassEntry* table, size_t count);
    bool Enabled() const { return table_ != nullptr; }

    // CLASS_E_CLASSNOTAVAILABLE (and *out null) for a class id that has no row.
    [[nodiscard]] HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out);
    // S_OK when no component object and no server lock remain, else S_FALSE.
    [[nodiscard]] HRESULT CanUnloadNow();
    [[nodiscard]] HRESULT RegisterAll();
    [[nodiscard]] HRESULT UnregisterAll();

    const NoxClassEntry* Find(REFCLSID clsid) const;

private:
    void* moduleInstance_ = nullptr;
    const NoxClassEntry* table_ = nullptr;
    size_t count_ = 0;
};

namespace nox {

// Creates an object of a row: refuses an outer object (CLASS_E_NOAGGREGATION), calls the
// row's CreateInstance and FinalConstruct, asks for `iid` and drops the creation reference.
// Failures are converted with null identifiers as the error source.
[[nodiscard]] NOX_EXPORT HRESULT CreateFromRow(NoxCreateInstanceFn create, IUnknown* outer, REFIID iid, void** out);

// Server locks taken through IClassFactory::LockServer.
NOX_EXPORT long ServerLocks();

struct RegisteredClass {
    CLSID clsid;
    std::string description;
    std::string progId;
    std::string versionIndependentProgId;
    GUID libid;
};

// The class id registered for a ProgID or version-independent ProgID (exact spelling).
NOX_EXPORT std::optional<CLSID> ClassIdFromProgId(std::string_view progId);
NOX_EXPORT std::optional<RegisteredClass> FindRegisteredClass(REFCLSID clsid);
NOX_EXPORT std::vector<RegisteredClass> RegisteredClasses();

// The error source text of a class: its ProgID when registered, else its class id; empty for
// the null id.
NOX_EXPORT std::string ClassSourceName(REFCLSID clsid);

}  // namespace nox

// Creates an object through the class registry. `context` is accepted for compatibility (only
// in-process servers exist here). With `throwOnError` a failure is raised as the last error,
// otherwise it is returned.
[[nodiscard]] NOX_EXPORT HRESULT NoxCreateImpl(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** out,
                                 bool throwOnError);
[[nodiscard]] NOX_EXPORT HRESULT NoxCreateImpl(std::string_view progId, IUnknown* outer, DWORD context, REFIID iid,
                                 void** out, bool throwOnError);

// Completes the creation of an object made by a class's CreateInstance (`created` is what it
// returned): runs FinalConstruct. On failure the object is released and the failure raised as
// the last error; on success the caller owns the creation reference of `base`.
NOX_EXPORT void NoxCreateInstanceImpl(HRESULT created, CNoxUnknown* base);
