// The generic module and the component manager, driven by a static module description the
// way a component module's NSGetModule builds one.
#include <gtest/gtest.h>

#include <vector>

#include "com/implements.h"
#include "nox/comptr.h"
#include "xpcom/component_manager.h"
#include "xpcom/xpcom.h"

struct ICounter : nsISupports {
    virtual nsresult Next(int32_t* value) = 0;
};
NOX_DECLARE_IID(ICounter, "{3be43138-ffd5-4cfc-8274-0b432d2900a1}");

namespace {

using nox::Implements;
using nox::xpcom::ComponentManager;
using nox::xpcom::Registration;

int liveCounters = 0;

class Counter final : public Implements<ICounter> {
public:
    Counter() { ++liveCounters; }
    nsresult Next(int32_t* value) override {
        *value = ++count_;
        return NS_OK;
    }

private:
    ~Counter() override { --liveCounters; }
    int32_t count_ = 0;
};

nsresult CreateCounter(nsISupports* outer, const nsIID& iid, void** result) {
    if (outer != nullptr) return NS_ERROR_NO_AGGREGATION;
    const auto counter = NoxComPtr<Counter>::Attach(new Counter());
    return counter->QueryInterface(iid, result);
}

struct ModuleHooks {
    int constructorCalls = 0;
    int destructorCalls = 0;
    int failuresLeft = 0;
};
ModuleHooks hooks;

nsresult ConstructModule(nsIModule*) {
    ++hooks.constructorCalls;
    if (hooks.failuresLeft == 0) return NS_OK;
    --hooks.failuresLeft;
    return NS_ERROR_UNEXPECTED;
}
void DestructModule(nsIModule*) { ++hooks.destructorCalls; }

constexpr nsCID kCounterCid = MakeGuid("{6364a8f8-7bc0-4a01-905a-a19f543c70cb}");
constexpr nsCID kInertCid = MakeGuid("{bb6190c1-2e46-4817-aab5-f3befef619af}");
constexpr nsCID kSecondCid = MakeGuid("{6364a8f8-7bc0-4a01-905a-a19f543c70cc}");

const nsModuleComponentInfo kComponents[] = {
    {"Counter", kCounterCid, "@test.org/counter;1", CreateCounter},
    {"Inert", kInertCid, "@test.org/inert;1", nullptr},
    {"Second counter", kSecondCid, nullptr, CreateCounter},
};
const nsModuleInfo kModuleInfo{NS_MODULEINFO_VERSION, "test module", kComponents, 3,
                               ConstructModule,       DestructModule};

nsIFile* const kLocation = reinterpret_cast<nsIFile*>(0x1000);

class XpcomModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        hooks = {};
        liveCounters = 0;
        ASSERT_EQ(NS_NewGenericModule2(&kModuleInfo, module_.Put()), NS_OK);
    }
    void TearDown() override {
        if (module_) {
            EXPECT_EQ(module_.Detach()->Release(), 0u);
        }
        EXPECT_EQ(liveCounters, 0);
    }

    NoxComPtr<nsIFactory> FactoryFor(const nsCID& cid) {
        NoxComPtr<nsIFactory> factory;
        EXPECT_EQ(module_->GetClassObject(nullptr, cid, NS_GET_IID(nsIFactory), factory.PutVoid()), NS_OK);
        return factory;
    }

    NoxComPtr<nsIModule> module_;
};

TEST(XpcomGenericModule, CreationRejectsBadDescriptions) {
    nsIModule* module = reinterpret_cast<nsIModule*>(0x1);
    EXPECT_EQ(NS_NewGenericModule2(&kModuleInfo, nullptr), NS_ERROR_NULL_POINTER);
    EXPECT_EQ(NS_NewGenericModule2(nullptr, &module), NS_ERROR_NULL_POINTER);
    EXPECT_EQ(module, nullptr);

    nsModuleInfo otherRevision = kModuleInfo;
    otherRevision.mVersion = NS_MODULEINFO_VERSION + 1;
    EXPECT_EQ(NS_NewGenericModule2(&otherRevision, &module), NS_ERROR_ILLEGAL_VALUE);
    nsModuleInfo missingComponents = kModuleInfo;
    missingComponents.mComponents = nullptr;
    EXPECT_EQ(NS_NewGenericModule2(&missingComponents, &module), NS_ERROR_ILLEGAL_VALUE);
    EXPECT_EQ(module, nullptr);
}

TEST_F(XpcomModuleTest, ClassObjectsOnlyForCreatableComponents) {
    EXPECT_EQ(module_->GetClassObject(nullptr, kCounterCid, NS_GET_IID(nsIFactory), nullptr),
              NS_ERROR_NULL_POINTER);
    const nsCID unknownCid = MakeGuid("{6364a8f8-7bc0-4a01-905a-a19f543c70cd}");
    for (const nsIID* cid : {&kInertCid, &unknownCid}) {
        void* factory = module_.Get();
        EXPECT_EQ(module_->GetClassObject(nullptr, *cid, NS_GET_IID(nsIFactory), &factory),
                  NS_ERROR_FACTORY_NOT_REGISTERED);
        EXPECT_EQ(factory, nullptr);
    }
    void* wrongInterface = nullptr;
    EXPECT_EQ(module_->GetClassObject(nullptr, kCounterCid, NS_GET_IID(nsIModule), &wrongInterface),
              NS_ERROR_NO_INTERFACE);
    EXPECT_EQ(wrongInterface, nullptr);
}

TEST_F(XpcomModuleTest, FactoryCallsTheComponentConstructor) {
    const NoxComPtr<nsIFactory> factory = FactoryFor(kCounterCid);
    ASSERT_TRUE(factory);
    NoxComPtr<ICounter> counter;
    ASSERT_EQ(factory->CreateInstance(nullptr, NS_GET_IID(ICounter), counter.PutVoid()), NS_OK);
    int32_t value = 0;
    EXPECT_EQ(counter->Next(&value), NS_OK);
    EXPECT_EQ(value, 1);

    void* refused = nullptr;
    EXPECT_EQ(factory->CreateInstance(counter.Get(), NS_GET_IID(ICounter), &refused),
              NS_ERROR_NO_AGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, NS_GET_IID(nsIModule), &refused), NS_ERROR_NO_INTERFACE);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(liveCounters, 1);
}

TEST_F(XpcomModuleTest, DestructorRunsOnlyAfterTheConstructorSucceeded) {
    NoxComPtr<nsIModule> unused;
    ASSERT_EQ(NS_NewGenericModule2(&kModuleInfo, unused.Put()), NS_OK);
    EXPECT_EQ(unused.Detach()->Release(), 0u);
    EXPECT_EQ(hooks.destructorCalls, 0);

    hooks.failuresLeft = 1;
    void* factory = nullptr;
    EXPECT_EQ(module_->GetClassObject(nullptr, kCounterCid, NS_GET_IID(nsIFactory), &factory),
              NS_ERROR_UNEXPECTED);
    EXPECT_EQ(factory, nullptr);
    EXPECT_TRUE(FactoryFor(kCounterCid));
    EXPECT_TRUE(FactoryFor(kSecondCid));
    EXPECT_EQ(hooks.constructorCalls, 2);

    EXPECT_EQ(module_.Detach()->Release(), 0u);
    EXPECT_EQ(hooks.destructorCalls, 1);
}

TEST_F(XpcomModuleTest, FactoryKeepsItsModuleAlive) {
    NoxComPtr<nsIFactory> factory = FactoryFor(kCounterCid);
    EXPECT_EQ(module_.Detach()->Release(), 1u);
    NoxComPtr<ICounter> counter;
    EXPECT_EQ(factory->CreateInstance(nullptr, NS_GET_IID(ICounter), counter.PutVoid()), NS_OK);
    EXPECT_EQ(hooks.destructorCalls, 0);
    EXPECT_EQ(factory.Detach()->Release(), 0u);
    EXPECT_EQ(hooks.destructorCalls, 1);
}

TEST_F(XpcomModuleTest, RegisterSelfRecordsEveryCreatableComponentInOrder) {
    const NoxComPtr<ComponentManager> manager = ComponentManager::Create();
    ASSERT_EQ(module_->RegisterSelf(manager.Get(), kLocation, "loader", "type"), NS_OK);
    const std::vector<Registration> expected{
        {kCounterCid, "Counter", "@test.org/counter;1", kLocation, "loader", "type"},
        {kSecondCid, "Second counter", "", kLocation, "loader", "type"},
    };
    EXPECT_EQ(manager->Registrations(), expected);
    EXPECT_EQ(hooks.constructorCalls, 0);
    EXPECT_EQ(module_->RegisterSelf(nullptr, kLocation, "loader", "type"), NS_ERROR_NULL_POINTER);
}

// Its registrar refuses the first registration.
class RefusingManager final : public Implements<nsIComponentManager, nsIComponentRegistrar> {
public:
    int calls = 0;

    nsresult GetClassObject(const nsCID&, const nsIID&, void**) override { return NS_ERROR_NOT_IMPLEMENTED; }
    nsresult CreateInstance(const nsCID&, nsISupports*, const nsIID&, void**) override {
        return NS_ERROR_NOT_IMPLEMENTED;
    }
    nsresult CreateInstanceByContractID(const char*, nsISupports*, const nsIID&, void**) override {
        return NS_ERROR_NOT_IMPLEMENTED;
    }
    nsresult RegisterFactoryLocation(const nsCID&, const char*, const char*, nsIFile*, const char*,
                                     const char*) override {
        ++calls;
        return NS_ERROR_OUT_OF_MEMORY;
    }
    nsresult ContractIDToCID(const char*, nsCID*) override { return NS_ERROR_NOT_IMPLEMENTED; }

private:
    ~RefusingManager() override = default;
};

TEST_F(XpcomModuleTest, RegisterSelfStopsAtTheFirstRefusal) {
    const auto refusing = NoxComPtr<RefusingManager>::Attach(new RefusingManager());
    EXPECT_EQ(module_->RegisterSelf(refusing.Get(), kLocation, "loader", "type"), NS_ERROR_OUT_OF_MEMORY);
    EXPECT_EQ(refusing->calls, 1);
}

TEST_F(XpcomModuleTest, NeverOffersToUnload) {
    bool canUnload = true;
    EXPECT_EQ(module_->CanUnload(nullptr, &canUnload), NS_ERROR_FAILURE);
    EXPECT_FALSE(canUnload);
    EXPECT_EQ(module_->CanUnload(nullptr, nullptr), NS_ERROR_NULL_POINTER);
    EXPECT_EQ(module_->UnregisterSelf(nullptr, kLocation, "loader"), NS_OK);
}

TEST_F(XpcomModuleTest, ManagerCreatesByContractIdThroughTheModule) {
    NoxComPtr<ComponentManager> manager = ComponentManager::Create();
    ASSERT_EQ(manager->RegisterModule(module_.Get(), kLocation, "loader", "type"), NS_OK);
    NoxComPtr<ICounter> counter;
    ASSERT_EQ(manager->CreateInstanceByContractID("@test.org/counter;1", nullptr, NS_GET_IID(ICounter),
                                                  counter.PutVoid()),
              NS_OK);
    int32_t value = 0;
    EXPECT_EQ(counter->Next(&value), NS_OK);

    void* missing = module_.Get();
    EXPECT_EQ(
        manager->CreateInstanceByContractID("@test.org/inert;1", nullptr, NS_GET_IID(ICounter), &missing),
        NS_ERROR_FACTORY_NOT_REGISTERED);
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(manager->CreateInstanceByContractID(nullptr, nullptr, NS_GET_IID(ICounter), &missing),
              NS_ERROR_NULL_POINTER);
    EXPECT_EQ(manager->CreateInstanceByContractID("", nullptr, NS_GET_IID(ICounter), &missing),
              NS_ERROR_ILLEGAL_VALUE);

    // Once the test lets go, the manager holds the module's last reference.
    EXPECT_EQ(module_.Detach()->Release(), 1u);
    counter.Reset();
    EXPECT_EQ(manager.Detach()->Release(), 0u);
    EXPECT_EQ(hooks.destructorCalls, 1);
}

TEST_F(XpcomModuleTest, ManagerLetsALaterRegistrationTakeAContractIdOver) {
    const NoxComPtr<ComponentManager> manager = ComponentManager::Create();
    ASSERT_EQ(manager->RegisterModule(module_.Get(), kLocation, "loader", "type"), NS_OK);
    ASSERT_EQ(manager->RegisterFactoryLocation(kSecondCid, nullptr, "@test.org/counter;1", nullptr, nullptr,
                                               nullptr),
              NS_OK);
    nsCID cid{};
    ASSERT_EQ(manager->ContractIDToCID("@test.org/counter;1", &cid), NS_OK);
    EXPECT_EQ(cid, kSecondCid);

    // Registered directly, with no module behind it: known, but not creatable.
    constexpr nsCID kOrphanCid = MakeGuid("{00000000-0000-0000-0000-00000000000f}");
    ASSERT_EQ(manager->RegisterFactoryLocation(kOrphanCid, "Orphan", nullptr, nullptr, nullptr, nullptr),
              NS_OK);
    void* orphan = nullptr;
    EXPECT_EQ(manager->CreateInstance(kOrphanCid, nullptr, NS_GET_IID(ICounter), &orphan),
              NS_ERROR_FACTORY_NOT_REGISTERED);
}

// Registers one component, then fails.
class HalfRegisteringModule final : public Implements<nsIModule> {
public:
    nsresult GetClassObject(nsIComponentManager*, const nsCID&, const nsIID&, void**) override {
        return NS_ERROR_NOT_IMPLEMENTED;
    }
    nsresult RegisterSelf(nsIComponentManager* compMgr, nsIFile*, const char*, const char*) override {
        NoxComPtr<nsIComponentRegistrar> registrar;
        EXPECT_EQ(compMgr->QueryInterface(NS_GET_IID(nsIComponentRegistrar), registrar.PutVoid()), NS_OK);
        EXPECT_EQ(registrar->RegisterFactoryLocation(kInertCid, "Half", "@test.org/half;1", nullptr, nullptr,
                                                     nullptr),
                  NS_OK);
        return NS_ERROR_FAILURE;
    }
    nsresult UnregisterSelf(nsIComponentManager*, nsIFile*, const char*) override { return NS_OK; }
    nsresult CanUnload(nsIComponentManager*, bool*) override { return NS_ERROR_NOT_IMPLEMENTED; }

private:
    ~HalfRegisteringModule() override = default;
};

TEST_F(XpcomModuleTest, ManagerDropsWhatAFailedModuleRegistered) {
    const NoxComPtr<ComponentManager> manager = ComponentManager::Create();
    ASSERT_EQ(manager->RegisterModule(module_.Get(), kLocation, "loader", "type"), NS_OK);
    NoxComPtr<nsIModule> failing = NoxComPtr<nsIModule>::Attach(new HalfRegisteringModule());

    EXPECT_EQ(manager->RegisterModule(failing.Get(), nullptr, nullptr, nullptr), NS_ERROR_FAILURE);
    EXPECT_EQ(manager->Registrations().size(), 2u);
    EXPECT_EQ(failing.Detach()->Release(), 0u);
    EXPECT_EQ(manager->RegisterModule(nullptr, nullptr, nullptr, nullptr), NS_ERROR_NULL_POINTER);
}

}  // namespace
