// The generic module: an nsIModule driven entirely by a static nsModuleInfo, handing out one
// generic factory per component constructor.
#include <algorithm>
#include <mutex>
#include <new>
#include <span>
#include <utility>

#include "com/implements.h"
#include "nox/comptr.h"
#include "xpcom/xpcom.h"

namespace nox::xpcom {
namespace {

// Nothing here may throw across the module boundary, so allocation failure becomes a code.
template <class T, class... Args>
nsresult NewAndQuery(const nsIID& iid, void** result, Args&&... args) {
    T* created = new (std::nothrow) T(std::forward<Args>(args)...);
    if (created == nullptr) return NS_ERROR_OUT_OF_MEMORY;
    const auto creation = NoxComPtr<T>::Attach(created);
    return creation->QueryInterface(iid, result);
}

// Creates instances of one component. It holds its module so that whatever the module
// constructor set up for the component constructors stays in place while a factory exists.
class GenericFactory final : public Implements<nsIFactory> {
public:
    GenericFactory(NoxComPtr<nsIModule> module, const nsModuleComponentInfo& component)
        : module_(std::move(module)), component_(component) {}

    nsresult CreateInstance(nsISupports* outer, const nsIID& iid, void** result) override {
        if (result == nullptr) return NS_ERROR_NULL_POINTER;
        *result = nullptr;
        return component_.mConstructor(outer, iid, result);
    }
    nsresult LockFactory(bool lock) override { return NS_OK; }

private:
    ~GenericFactory() override = default;

    NoxComPtr<nsIModule> module_;
    const nsModuleComponentInfo& component_;
};

class GenericModule final : public Implements<nsIModule> {
public:
    explicit GenericModule(const nsModuleInfo& info) : info_(info) {}

    nsresult GetClassObject(nsIComponentManager* compMgr, const nsCID& cid, const nsIID& iid,
                            void** result) override {
        if (result == nullptr) return NS_ERROR_NULL_POINTER;
        *result = nullptr;
        if (const nsresult rv = Initialize(); NS_FAILED(rv)) return rv;
        const nsModuleComponentInfo* component = FindCreatable(cid);
        if (component == nullptr) return NS_ERROR_FACTORY_NOT_REGISTERED;
        return NewAndQuery<GenericFactory>(iid, result, NoxComPtr<nsIModule>(this), *component);
    }

    nsresult RegisterSelf(nsIComponentManager* compMgr, nsIFile* location, const char* loaderStr,
                          const char* type) override {
        if (compMgr == nullptr) return NS_ERROR_NULL_POINTER;
        NoxComPtr<nsIComponentRegistrar> registrar;
        const nsresult rv = compMgr->QueryInterface(NS_GET_IID(nsIComponentRegistrar), registrar.PutVoid());
        if (NS_FAILED(rv)) return rv;
        for (const nsModuleComponentInfo& component : Components()) {
            if (component.mConstructor == nullptr) continue;
            // A successful query hands back a registrar; Get() rather than -> because this must not raise.
            const nsresult registered = registrar.Get()->RegisterFactoryLocation(
                component.mCID, component.mDescription, component.mContractID, location, loaderStr, type);
            if (NS_FAILED(registered)) return registered;
        }
        return NS_OK;
    }

    nsresult UnregisterSelf(nsIComponentManager* compMgr, nsIFile* location, const char* loaderStr) override {
        return NS_OK;
    }

    // Components may hold on to code of this module at any time, so it never offers to go.
    nsresult CanUnload(nsIComponentManager* compMgr, bool* result) override {
        if (result == nullptr) return NS_ERROR_NULL_POINTER;
        *result = false;
        return NS_ERROR_FAILURE;
    }

private:
    ~GenericModule() override {
        if (initialized_ && info_.mDtor != nullptr) info_.mDtor(this);
    }

    // Runs the module constructor before the first class object is handed out. A failed
    // constructor leaves the module uninitialised so that the next request tries again. The
    // constructor must not ask this module for a class object itself.
    nsresult Initialize() {
        const std::lock_guard lock(initializing_);
        if (initialized_) return NS_OK;
        if (info_.mCtor != nullptr) {
            if (const nsresult rv = info_.mCtor(this); NS_FAILED(rv)) return rv;
        }
        initialized_ = true;
        return NS_OK;
    }

    std::span<const nsModuleComponentInfo> Components() const { return {info_.mComponents, info_.mCount}; }

    // The first component with `cid`, when it can be created.
    const nsModuleComponentInfo* FindCreatable(const nsCID& cid) const {
        const auto components = Components();
        const auto found = std::ranges::find_if(
            components, [&](const nsModuleComponentInfo& component) { return component.mCID == cid; });
        if (found == components.end() || found->mConstructor == nullptr) return nullptr;
        return &*found;
    }

    const nsModuleInfo& info_;
    std::mutex initializing_;
    bool initialized_ = false;
};

}  // namespace
}  // namespace nox::xpcom

extern "C" nsresult NS_NewGenericModule2(const nsModuleInfo* info, nsIModule** result) {
    if (result == nullptr) return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    if (info == nullptr) return NS_ERROR_NULL_POINTER;
    if (info->mVersion != NS_MODULEINFO_VERSION) return NS_ERROR_ILLEGAL_VALUE;
    if (info->mComponents == nullptr && info->mCount != 0) return NS_ERROR_ILLEGAL_VALUE;
    *result = new (std::nothrow) nox::xpcom::GenericModule(*info);
    return *result == nullptr ? NS_ERROR_OUT_OF_MEMORY : NS_OK;
}
