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
    return NoxComPtr<Counter>::Attach(new Counter())->QueryInterface(iid, result);
}

struct ModuleHooks {
    int constructorCalls = 0;
    int destructorCalls = 0;
    int failuresLeft = 0;
} hooks;

nsresult ConstructModule(nsIModule*) {
    ++hooks.constructorCalls;
    return hooks.failuresLeft-- > 0 ? NS_ERROR_UNEXPECTED : NS_OK;
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
}

TEST_F(XpcomModuleTest, FactoryCallsTheComponentConstructorWhichRefusesAggregation) {
    const NoxComPtr<nsIFactory> factory = FactoryFor(kCounterCid);
    ASSERT_TRUE(factory);
    NoxComPtr<ICounter> counter;
    ASSERT_EQ(factory->CreateInstance(nullptr, NS_GET_IID(ICounter), counter.PutVoid()), NS_OK);
    int32_t value = 0;
    EXPECT_EQ(counter->Next(&value), NS_OK);
    EXPECT_EQ(value, 1);

    void* refused = module_.Get();
    EXPECT_EQ(factory->CreateInstance(counter.Get(), NS_GET_IID(ICounter), &refused),
              NS_ERROR_NO_AGGREGATION);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, NS_GET_IID(nsIModule), &refused), NS_ERROR_NO_INTERFACE);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(liveCounters, 1);
}

TEST_F(XpcomModuleTest, ConstructorRunsOnceAndTheDestructorAfterTheLastFactoryGoes) {
    NoxComPtr<nsIModule> unused;
    ASSERT_EQ(NS_NewGenericModule2(&kModuleInfo, unused.Put()), NS_OK);
    EXPECT_EQ(unused.Detach()->Release(), 0u);
    EXPECT_EQ(hooks.destructorCalls, 0);  // never constructed

    hooks.failuresLeft = 1;
    void* failed = module_.Get();
    EXPECT_EQ(module_->GetClassObject(nullptr, kCounterCid, NS_GET_IID(nsIFactory), &failed),
              NS_ERROR_UNEXPECTED);
    EXPECT_EQ(failed, nullptr);
    NoxComPtr<nsIFactory> factory = FactoryFor(kCounterCid);
    EXPECT_TRUE(FactoryFor(kSecondCid));
    EXPECT_EQ(hooks.constructorCalls, 2);
    EXPECT_EQ(module_.Detach()->Release(), 1u);  // the factory keeps its module alive
    NoxComPtr<ICounter> counter;
    EXPECT_EQ(factory->CreateInstance(nullptr, NS_GET_IID(ICounter), counter.PutVoid()), NS_OK);
    EXPECT_EQ(hooks.destructorCalls, 0);
    EXPECT_EQ(factory.Detach()->Release(), 0u);
    EXPECT_EQ(hooks.destructorCalls, 1);
}

TEST_F(XpcomModuleTest, RegisterSelfRecordsEveryCreatableComponentInOrderAndNeverOffersToUnload) {
    const NoxComPtr<ComponentManager> manager = ComponentManager::Create();
    ASSERT_EQ(module_->RegisterSelf(manager.Get(), kLocation, "loader", "type"), NS_OK);
    const std::vector<Registration> expected{
        {kCounterCid, "Counter", "@test.org/counter;1", kLocation, "loader", "type"},
        {kSecondCid, "Second counter", "", kLocation, "loader", "type"},
    };
    EXPECT_EQ(manager->Registrations(), expected);
    EXPECT_EQ(hooks.constructorCalls, 0);

    bool canUnload = true;
    EXPECT_EQ(module_->CanUnload(nullptr, &canUnload), NS_ERROR_FAILURE);
    EXPECT_FALSE(canUnload);
    EXPECT_EQ(module_->UnregisterSelf(nullptr, kLocation, "loader"), NS_OK);
}

// Its registrar refuses every registration.
class RefusingManager final : public Implements<nsIComponentManager, nsIComponentRegistrar> {
public:
    int calls = 0;

    nsresult GetClassObject(const nsCID&, const nsIID&, void**) override { return E_NOTIMPL; }
    nsresult CreateInstance(const nsCID&, nsISupports*, const nsIID&, void**) override { return E_NOTIMPL; }
    nsresult CreateInstanceByContractID(const char*, nsISupports*, const nsIID&, void**) override {
        return E_NOTIMPL;
    }
    nsresult RegisterFactoryLocation(const nsCID&, const char*, const char*, nsIFile*, const char*,
                                     const char*) override {
        return ++calls, NS_ERROR_OUT_OF_MEMORY;
    }
    nsresult ContractIDToCID(const char*, nsCID*) override { return E_NOTIMPL; }

private:
    ~RefusingManager() override = default;
};

TEST_F(XpcomModuleTest, RegisterSelfStopsAtTheFirstRefusal) {
    const auto refusing = NoxComPtr<RefusingManager>::Attach(new RefusingManager());
    EXPECT_EQ(module_->RegisterSelf(refusing.Get(), kLocation, "loader", "type"), NS_ERROR_OUT_OF_MEMORY);
    EXPECT_EQ(refusing->calls, 1);
}

TEST_F(XpcomModuleTest, ManagerCreatesThroughTheLatestRegistrationAndKeepsTheModule) {
    NoxComPtr<ComponentManager> manager = ComponentManager::Create();
    ASSERT_EQ(manager->RegisterModule(module_.Get(), kLocation, "loader", "type"), NS_OK);
    NoxComPtr<ICounter> counter;
    ASSERT_EQ(manager->CreateInstanceByContractID("@test.org/counter;1", nullptr, NS_GET_IID(ICounter),
                                                  counter.PutVoid()),
              NS_OK);
    void* missing = module_.Get();
    EXPECT_EQ(
        manager->CreateInstanceByContractID("@test.org/inert;1", nullptr, NS_GET_IID(ICounter), &missing),
        NS_ERROR_FACTORY_NOT_REGISTERED);
    EXPECT_EQ(missing, nullptr);

    // A later registration takes the contract id over; one with no module behind it is known
    // but cannot be created.
    ASSERT_EQ(manager->RegisterFactoryLocation(kInertCid, nullptr, "@test.org/counter;1", nullptr, nullptr,
                                               nullptr),
              NS_OK);
    nsCID cid{};
    ASSERT_EQ(manager->ContractIDToCID("@test.org/counter;1", &cid), NS_OK);
    EXPECT_EQ(cid, kInertCid);
    EXPECT_EQ(manager->CreateInstance(kInertCid, nullptr, NS_GET_IID(ICounter), &missing),
              NS_ERROR_FACTORY_NOT_REGISTERED);

    // Once the test lets go, the manager holds the module's last reference.
    EXPECT_EQ(module_.Detach()->Release(), 1u);
    counter.Reset();
    EXPECT_EQ(manager.Detach()->Release(), 0u);
    EXPECT_EQ(hooks.destructorCalls, 1);
}

}  // namespace
