// The process-wide registry of type libraries.
#include <algorithm>
#include <mutex>

#include "typelib/internal.h"
#include "typelib/objects.h"

namespace nox::typelib {
namespace {

using detail::TypeLibObject;

struct Registration {
    NoxComPtr<TypeLibObject> library;
    std::vector<IID> registeredInterfaces;  // by id, so that a replaced description is looked up afresh
};

struct Registry {
    std::mutex mutex;
    std::vector<Registration> libraries;

    Registration* Find(REFGUID libid, WORD major) {
        for (Registration& entry : libraries) {
            const LibraryDesc& desc = entry.library->Library();
            if (desc.libid == libid && desc.major == major) return &entry;
        }
        return nullptr;
    }
    // Interface registration names no version; the newest major version answers.
    Registration* FindNewest(REFGUID libid) {
        Registration* newest = nullptr;
        for (Registration& entry : libraries) {
            const LibraryDesc& desc = entry.library->Library();
            if (desc.libid == libid && (newest == nullptr || desc.major > newest->library->Library().major))
                newest = &entry;
        }
        return newest;
    }
};

// Deliberately never destroyed: modules unregister from their own teardown, which may run
// after this translation unit's static objects are gone.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

bool HasNullInterface(const LibraryDesc& library) {
    return std::ranges::any_of(library.interfaces, [](const InterfaceDesc* desc) { return desc == nullptr; });
}

}  // namespace

HRESULT RegisterTypeLibrary(const LibraryDesc& library) {
    if (HasNullInterface(library)) return E_INVALIDARG;
    return detail::Allocating([&] {
        NoxComPtr<TypeLibObject> object = TypeLibObject::Create(library);
        Registry& registry = TheRegistry();
        std::lock_guard lock(registry.mutex);
        if (Registration* existing = registry.Find(library.libid, library.major)) {
            // The previous object is released after the lock, when `object` goes out of scope.
            existing->library.Swap(object);
        } else {
            registry.libraries.push_back({std::move(object), {}});
        }
        return S_OK;
    });
}

void UnregisterTypeLibrary(REFGUID libid, WORD major) {
    NoxComPtr<TypeLibObject> released;  // dropped after the lock: clients may hold the last reference
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    Registration* entry = registry.Find(libid, major);
    if (entry == nullptr) return;
    released.Swap(entry->library);
    registry.libraries.erase(registry.libraries.begin() + (entry - registry.libraries.data()));
}

std::vector<const InterfaceDesc*> RegisteredInterfaces(REFGUID libid, WORD major) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    std::vector<const InterfaceDesc*> result;
    const Registration* entry = registry.Find(libid, major);
    if (entry == nullptr) return result;
    for (const IID& iid : entry->registeredInterfaces)
        if (const detail::TypeInfoObject* info = entry->library->InfoFor(iid))
            result.push_back(&info->Description());
    return result;
}

}  // namespace nox::typelib

using nox::typelib::TheRegistry;

extern "C" HRESULT LoadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID, ITypeLib** out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    auto& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const auto* entry = registry.Find(libid, major);
    if (entry == nullptr || entry->library->Library().minor < minor) return TYPE_E_LIBNOTREGISTERED;
    entry->library->AddRef();
    *out = entry->library.Get();
    return S_OK;
}

extern "C" HRESULT RegisterTypeLibInterface(REFGUID libid, const char* libraryName, REFIID iid) {
    if (libraryName == nullptr) return E_INVALIDARG;
    auto& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto* entry = registry.FindNewest(libid);
    if (entry == nullptr) return TYPE_E_LIBNOTREGISTERED;
    if (entry->library->InfoFor(iid) == nullptr) return TYPE_E_ELEMENTNOTFOUND;
    if (std::ranges::find(entry->registeredInterfaces, iid) != entry->registeredInterfaces.end()) return S_OK;
    return nox::typelib::detail::Allocating([&] {
        entry->registeredInterfaces.push_back(iid);
        return S_OK;
    });
}
