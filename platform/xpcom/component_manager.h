// A minimal component manager: it records what modules register and creates components
// through the module that registered them.
//
// One object serves as both the nsIComponentManager and the nsIComponentRegistrar handed to a
// module's RegisterSelf. It is meant for one thread at a time.
#pragma once

#include <string>
#include <vector>

#include "com/implements.h"
#include "nox/comptr.h"
#include "xpcom/xpcom.h"

namespace nox::xpcom {

// One RegisterFactoryLocation call as the registrar received it; null texts are empty.
struct Registration {
    nsCID cid;
    std::string className;
    std::string contractId;
    nsIFile* location;  // not owned, only passed on
    std::string loaderStr;
    std::string type;

    bool operator==(const Registration&) const = default;
};

class NOX_EXPORT ComponentManager final : public Implements<nsIComponentManager, nsIComponentRegistrar> {
public:
    static NoxComPtr<ComponentManager> Create();

    // Lets `module` register itself here and remembers it as the provider of everything it
    // registered. When its RegisterSelf fails, the registrations it made are dropped, the
    // module is not kept and its result is returned.
    [[nodiscard]] nsresult RegisterModule(nsIModule* module, nsIFile* location, const char* loaderStr,
                                          const char* type);

    // Every registration in the order it was made.
    std::vector<Registration> Registrations() const;

    // nsIComponentManager. Classes registered directly rather than by a module have no
    // provider and give NS_ERROR_FACTORY_NOT_REGISTERED.
    nsresult GetClassObject(const nsCID& cid, const nsIID& iid, void** result) override;
    nsresult CreateInstance(const nsCID& cid, nsISupports* outer, const nsIID& iid, void** result) override;
    nsresult CreateInstanceByContractID(const char* contractId, nsISupports* outer, const nsIID& iid,
                                        void** result) override;

    // nsIComponentRegistrar
    nsresult RegisterFactoryLocation(const nsCID& cid, const char* className, const char* contractId,
                                     nsIFile* location, const char* loaderStr, const char* type) override;
    nsresult ContractIDToCID(const char* contractId, nsCID* result) override;

private:
    struct Entry {
        Registration registration;
        nsIModule* provider;  // one of modules_, or null until the registering module succeeds
    };

    ComponentManager() = default;
    ~ComponentManager() override = default;

    // Later registrations take earlier ones over, so lookups go from the newest.
    template <class Predicate>
    const Entry* FindLatest(Predicate matches) const;

    std::vector<Entry> entries_;
    std::vector<NoxComPtr<nsIModule>> modules_;
};

}  // namespace nox::xpcom
