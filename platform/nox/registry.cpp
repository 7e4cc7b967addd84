#include "nox/registry.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>

#include "com/implements.h"
#include "nox/result.h"

namespace {

std::atomic<long> g_serverLocks{0};

struct ClassRegistry {
    std::mutex mutex;
    std::vector<std::pair<nox::RegisteredClass, CNoxFactoryData*>> classes;

    auto FindLocked(REFCLSID clsid) {
        return std::find_if(classes.begin(), classes.end(),
                            [&](const auto& c) { return c.first.clsid == clsid; });
    }
};

// Never destroyed: objects may still be created or report errors while the process exits.
ClassRegistry& Registry() {
    static auto* registry = new ClassRegistry;
    return *registry;
}

class ClassFactory final : public nox::Implements<IClassFactory> {
public:
    explicit ClassFactory(NoxCreateInstanceFn create) : create_(create) {}

    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        return nox::CreateFromRow(create_, outer, iid, out);
    }
    HRESULT LockServer(BOOL lock) override {
        lock ? ++g_serverLocks : --g_serverLocks;
        return S_OK;
    }

private:
    ~ClassFactory() override = default;
    NoxCreateInstanceFn create_;
};

// Drops a reference when the creation fails part-way.
struct CreationReference {
    CNoxUnknown* base;
    ~CreationReference() {
        if (base != nullptr) base->DelegatedRelease();
    }
};

}  // namespace

void CNoxFactoryData::EnableFactoryComponents(void* moduleInstance, const NoxClassEntry* table,
                                              size_t count) {
    moduleInstance_ = moduleInstance;
    table_ = table;
    count_ = count;
}

const NoxClassEntry* CNoxFactoryData::Find(REFCLSID clsid) const {
    for (size_t i = 0; i < count_; ++i)
        if (*table_[i].clsid == clsid) return &table_[i];
    return nullptr;
}

HRESULT CNoxFactoryData::GetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    const NoxClassEntry* entry = Find(clsid);
    if (entry == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new (std::nothrow) ClassFactory(entry->createInstance);
    if (factory == nullptr) return E_OUTOFMEMORY;
    HRESULT hr = factory->QueryInterface(iid, out);
    factory->Release();
    return hr;
}

HRESULT CNoxFactoryData::CanUnloadNow() {
    return CNoxUnknown::LiveObjects() == 0 && g_serverLocks == 0 ? S_OK : S_FALSE;
}

HRESULT CNoxFactoryData::RegisterAll() {
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    for (size_t i = 0; i < count_; ++i) {
        const NoxClassEntry& row = table_[i];
        nox::RegisteredClass entry{*row.clsid, row.description, row.progId, row.versionIndependentProgId,
                                   *row.libid};
        if (auto it = registry.FindLocked(*row.clsid); it != registry.classes.end())
            *it = {std::move(entry), this};
        else
            registry.classes.emplace_back(std::move(entry), this);
    }
    return S_OK;
}

HRESULT CNoxFactoryData::UnregisterAll() {
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    std::erase_if(registry.classes, [this](const auto& c) { return c.second == this; });
    return S_OK;
}

namespace nox {

HRESULT CreateFromRow(NoxCreateInstanceFn create, IUnknown* outer, REFIID iid, void** out) {
    return Boundary(GUID_NULL, GUID_NULL, [&] {
        if (out == nullptr) throw NoxResult::StandardDescription(E_POINTER);
        *out = nullptr;
        if (outer != nullptr) throw NoxResult::StandardDescription(CLASS_E_NOAGGREGATION);
        CNoxUnknown* base = nullptr;
        HRESULT created = create(&base);
        NoxCreateInstanceImpl(created, base);
        CreationReference creation{base};
        HRESULT hr = base->DelegatedQueryInterface(iid, out);
        if (FAILED(hr)) throw NoxResult::QueryInterfaceFailure(hr, iid);
    });
}

long ServerLocks() { return g_serverLocks.load(); }

std::optional<CLSID> ClassIdFromProgId(std::string_view progId) {
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    for (const auto& [entry, owner] : registry.classes)
        if (entry.progId == progId || entry.versionIndependentProgId == progId) return entry.clsid;
    return std::nullopt;
}

std::optional<RegisteredClass> FindRegisteredClass(REFCLSID clsid) {
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.FindLocked(clsid);
    if (it == registry.classes.end()) return std::nullopt;
    return it->first;
}

std::vector<RegisteredClass> RegisteredClasses() {
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    std::vector<RegisteredClass> result;
    for (const auto& entry : registry.classes) result.push_back(entry.first);
    return result;
}

std::string ClassSourceName(REFCLSID clsid) {
    if (clsid == GUID_NULL) return {};
    if (auto entry = FindRegisteredClass(clsid)) return entry->progId;
    return FormatGuid(clsid);
}

}  // namespace nox

void NoxCreateInstanceImpl(HRESULT created, CNoxUnknown* base) {
    if (FAILED(created) || base == nullptr) {
        if (base != nullptr) base->DelegatedRelease();
        NoxResult::SetLastError(FAILED(created) ? created : E_OUTOFMEMORY);
        throw NoxResult::LastErrorCheckNotS_OK();
    }
    HRESULT hr = base->FinalConstruct();
    if (FAILED(hr)) {
        base->DelegatedRelease();
        NoxResult::SetLastError(hr);
        throw NoxResult::LastErrorCheckNotS_OK();
    }
}

HRESULT NoxCreateImpl(REFCLSID clsid, IUnknown* outer, DWORD, REFIID iid, void** out, bool throwOnError) {
    if (out != nullptr) *out = nullptr;
    CNoxFactoryData* owner = nullptr;
    {
        auto& registry = Registry();
        std::lock_guard lock(registry.mutex);
        if (auto it = registry.FindLocked(clsid); it != registry.classes.end()) owner = it->second;
    }
    const NoxClassEntry* row = owner != nullptr ? owner->Find(clsid) : nullptr;
    if (row == nullptr) {
        if (throwOnError)
            throw NoxResult(REGDB_E_CLASSNOTREG, "Class " + nox::FormatGuid(clsid) + " is not registered.");
        return REGDB_E_CLASSNOTREG;
    }
    HRESULT hr = nox::CreateFromRow(row->createInstance, outer, iid, out);
    if (FAILED(hr) && throwOnError) nox::Check(hr);
    return hr;
}

HRESULT NoxCreateImpl(std::string_view progId, IUnknown* outer, DWORD context, REFIID iid, void** out,
                      bool throwOnError) {
    auto clsid = nox::ClassIdFromProgId(progId);
    if (!clsid) {
        if (out != nullptr) *out = nullptr;
        if (throwOnError)
            throw NoxResult(CO_E_CLASSSTRING,
                            "No class is registered under the name \"" + std::string(progId) + "\".");
        return CO_E_CLASSSTRING;
    }
    return NoxCreateImpl(*clsid, outer, context, iid, out, throwOnError);
}
