#include "xpcom/component_manager.h"

#include <algorithm>
#include <new>

namespace nox::xpcom {
namespace {

std::string TextOrEmpty(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

// Callers across the interface get a code, never an exception.
template <class Action>
nsresult CodeOfAllocation(Action&& action) {
    try {
        action();
        return NS_OK;
    } catch (const std::bad_alloc&) {
        return NS_ERROR_OUT_OF_MEMORY;
    }
}

}  // namespace

NoxComPtr<ComponentManager> ComponentManager::Create() {
    return NoxComPtr<ComponentManager>::Attach(new ComponentManager());
}

nsresult ComponentManager::RegisterModule(nsIModule* module, nsIFile* location, const char* loaderStr,
                                          const char* type) {
    if (module == nullptr) return NS_ERROR_NULL_POINTER;
    // Reserved first so that keeping the module cannot fail once it has registered.
    if (const nsresult rv = CodeOfAllocation([&] { modules_.reserve(modules_.size() + 1); }); NS_FAILED(rv))
        return rv;
    const auto first = static_cast<std::ptrdiff_t>(entries_.size());
    if (const nsresult rv = module->RegisterSelf(this, location, loaderStr, type); NS_FAILED(rv)) {
        entries_.erase(entries_.begin() + first, entries_.end());
        return rv;
    }
    modules_.push_back(NoxComPtr<nsIModule>(module));
    std::for_each(entries_.begin() + first, entries_.end(), [&](Entry& entry) { entry.provider = module; });
    return NS_OK;
}

std::vector<Registration> ComponentManager::Registrations() const {
    std::vector<Registration> registrations;
    registrations.reserve(entries_.size());
    for (const Entry& entry : entries_) registrations.push_back(entry.registration);
    return registrations;
}

nsresult ComponentManager::GetClassObject(const nsCID& cid, const nsIID& iid, void** result) {
    if (result == nullptr) return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    const Entry* entry = FindLatest([&](const Entry& candidate) {
        return candidate.provider != nullptr && candidate.registration.cid == cid;
    });
    if (entry == nullptr) return NS_ERROR_FACTORY_NOT_REGISTERED;
    return entry->provider->GetClassObject(this, cid, iid, result);
}

nsresult ComponentManager::CreateInstance(const nsCID& cid, nsISupports* outer, const nsIID& iid,
                                          void** result) {
    if (result == nullptr) return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    NoxComPtr<nsIFactory> factory;
    if (const nsresult rv = GetClassObject(cid, NS_GET_IID(nsIFactory), factory.PutVoid()); NS_FAILED(rv))
        return rv;
    // A successful call hands back a factory; Get() rather than -> because this path must not raise.
    return factory.Get()->CreateInstance(outer, iid, result);
}

nsresult ComponentManager::CreateInstanceByContractID(const char* contractId, nsISupports* outer,
                                                      const nsIID& iid, void** result) {
    if (result == nullptr) return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    nsCID cid{};
    if (const nsresult rv = ContractIDToCID(contractId, &cid); NS_FAILED(rv)) return rv;
    return CreateInstance(cid, outer, iid, result);
}

nsresult ComponentManager::RegisterFactoryLocation(const nsCID& cid, const char* className,
                                                   const char* contractId, nsIFile* location,
                                                   const char* loaderStr, const char* type) {
    return CodeOfAllocation([&] {
        entries_.push_back({Registration{cid, TextOrEmpty(className), TextOrEmpty(contractId), location,
                                         TextOrEmpty(loaderStr), TextOrEmpty(type)},
                            nullptr});
    });
}

// An empty contract id stands for "none" in the records, so it is no name to look up.
nsresult ComponentManager::ContractIDToCID(const char* contractId, nsCID* result) {
    if (contractId == nullptr || result == nullptr) return NS_ERROR_NULL_POINTER;
    if (*contractId == '\0') return NS_ERROR_ILLEGAL_VALUE;
    const Entry* entry =
        FindLatest([&](const Entry& candidate) { return candidate.registration.contractId == contractId; });
    if (entry == nullptr) return NS_ERROR_FACTORY_NOT_REGISTERED;
    *result = entry->registration.cid;
    return NS_OK;
}

template <class Predicate>
const ComponentManager::Entry* ComponentManager::FindLatest(Predicate matches) const {
    const auto found = std::find_if(entries_.rbegin(), entries_.rend(), matches);
    return found == entries_.rend() ? nullptr : &*found;
}

}  // namespace nox::xpcom
