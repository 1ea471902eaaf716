#include "MenuBarSystem/Private/MenuBarClientCoreShim.h"

#include "MenuBarSystem/Private/MenuBarClientCoreNames.h"
#include "Platform/Simulated/SimulatedPlatform.h"

#include <atomic>
#include <cstdint>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;
using namespace pellacor::system;

namespace {

using Fault = SimulatedRuntimeLoader::Fault;
using Names = MenuBarClientCoreNames;

const std::string configClass(Names::configurationClass);
const std::string assertionClass(Names::assertionClass);

Scenario oneApplication() {
    Scenario scenario;
    SimulatedApplication app;
    app.bundleIdentifier = "com.example.a";
    app.processIdentifier = 10;
    app.statusItems = {SimulatedStatusItem{}};
    scenario.applications = {app};
    return scenario;
}

TEST(MenuBarClientCoreShimTest, LoadFailsWhenAnyPartOfTheFrameworkIsMissingOrShapedDifferently) {
    struct Case {
        const char* name;
        std::vector<Fault> faults;
    };
    const std::vector<Case> cases{
        {"framework missing",
         {{Fault::Kind::libraryMissing, std::string(Names::libraryPath), "", "", false, 0}}},
        {"configuration class missing", {{Fault::Kind::classMissing, "", configClass, "", false, 0}}},
        {"assertion class missing", {{Fault::Kind::classMissing, "", assertionClass, "", false, 0}}},
        {"alloc missing", {{Fault::Kind::methodMissing, "", configClass, "alloc", true, 0}}},
        {"alloc with 3 arguments", {{Fault::Kind::wrongArgumentCount, "", configClass, "alloc", true, 3}}},
        {"initialiser with 3 arguments",
         {{Fault::Kind::wrongArgumentCount, "", configClass, std::string(Names::initSelector), false, 3}}},
        {"activation with 5 arguments",
         {{Fault::Kind::wrongArgumentCount, "", assertionClass, std::string(Names::activateSelector), false,
           5}}},
        {"invalidate with 3 arguments",
         {{Fault::Kind::wrongArgumentCount, "", assertionClass, "invalidate", false, 3}}},
        {"invalidate missing", {{Fault::Kind::methodMissing, "", assertionClass, "invalidate", false, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario scenario = oneApplication();
        scenario.loaderFaults = c.faults;
        SimulatedPlatform platform(scenario);
        EXPECT_EQ(MenuBarClientCoreShim::load(platform.runtimeLoader()), nullptr);
    }
    SimulatedPlatform healthy(oneApplication());
    EXPECT_NE(MenuBarClientCoreShim::load(healthy.runtimeLoader()), nullptr);
    EXPECT_EQ(MenuBarClientCoreShim::load(nullptr), nullptr);
}

TEST(MenuBarClientCoreShimTest, LoadFailsForAnAssertionClassOutsideTheRootClassOrWithoutImplementations) {
    const std::string library(Names::libraryPath);
    auto make = [&](std::string assertionSuperclass, bool withActivateImplementation) {
        auto loader = std::make_shared<SimulatedRuntimeLoader>();
        loader->registerLibrary(library);
        auto noop = [](const RuntimeObjectRef&, const std::string&, const std::vector<RuntimeArgument>&) {
            return RuntimeObjectRef{};
        };
        SimulatedRuntimeLoader::ClassDefinition config;
        config.name = configClass;
        config.libraryPath = library;
        config.classMethods["alloc"] = {2, noop};
        config.instanceMethods[std::string(Names::initSelector)] = {4, noop};
        loader->registerClass(config);
        SimulatedRuntimeLoader::ClassDefinition base;
        base.name = "Unrooted";
        base.superclassName = "";
        loader->registerClass(base);
        SimulatedRuntimeLoader::ClassDefinition assertion;
        assertion.name = assertionClass;
        assertion.superclassName = std::move(assertionSuperclass);
        assertion.libraryPath = library;
        assertion.instanceMethods[std::string(Names::activateSelector)] = {
            4, withActivateImplementation ? Implementation(noop) : Implementation{}};
        assertion.instanceMethods["invalidate"] = {2, noop};
        loader->registerClass(assertion);
        return loader;
    };
    EXPECT_NE(MenuBarClientCoreShim::load(make("NSObject", true)), nullptr);
    EXPECT_EQ(MenuBarClientCoreShim::load(make("Unrooted", true)), nullptr);
    EXPECT_EQ(MenuBarClientCoreShim::load(make("NSObject", false)), nullptr);
}

TEST(MenuBarClientCoreShimTest, ActivatesWithEverySystemItemAndInvalidatesOnceUnlessAskedAgain) {
    SimulatedPlatform platform(oneApplication());
    auto& service = *platform.restrictionService();
    service.setCompletionMode(SimulatedRestrictionService::CompletionMode::held);
    auto shim = MenuBarClientCoreShim::load(platform.runtimeLoader());
    ASSERT_NE(shim, nullptr);

    std::atomic<int> completions{0};
    std::atomic<std::uint64_t> reported{99};
    auto token = shim->activate({"app.trayvane.pellacor", "com.example.a"}, [&](std::uint64_t error) {
        reported = error;
        ++completions;
    });
    ASSERT_NE(token, nullptr);
    ASSERT_EQ(service.assertions().size(), 1u);
    auto record = service.assertions()[0];
    EXPECT_EQ(record.allowedBundleIdentifiers,
              (std::vector<std::string>{"app.trayvane.pellacor", "com.example.a"}));
    EXPECT_EQ(record.allowedSystemItems.size(), 64u);
    EXPECT_EQ(record.allowedSystemItems.front(), 0);
    EXPECT_EQ(record.allowedSystemItems.back(), 63);
    EXPECT_EQ(service.releasePendingCompletions(), 1u);
    EXPECT_EQ(completions.load(), 1);
    EXPECT_EQ(reported.load(), 0u) << "an activation that took effect reports no error";
    EXPECT_EQ(service.activeAssertionCount(), 1u);

    token->invalidateOnce();
    token->invalidateOnce();
    EXPECT_EQ(service.invalidationCount(), 1);
    EXPECT_EQ(service.activeAssertionCount(), 0u);
    token->invalidateAgain();
    EXPECT_EQ(service.invalidationCount(), 2);

    // Releasing a token that was never invalidated ends its assertion once.
    auto second = shim->activate({"com.example.a"}, [](std::uint64_t) {});
    service.releasePendingCompletions();
    EXPECT_EQ(service.activeAssertionCount(), 1u);
    second.reset();
    EXPECT_EQ(service.invalidationCount(), 3);
    EXPECT_EQ(service.activeAssertionCount(), 0u);

    // The framework's error reaches the caller: the assertion never took effect.
    service.setCompletionError(7);
    auto failed = shim->activate({"com.example.a"}, [&](std::uint64_t error) { reported = error; });
    ASSERT_NE(failed, nullptr);
    service.releasePendingCompletions();
    EXPECT_EQ(reported.load(), 7u);
    EXPECT_EQ(service.activeAssertionCount(), 0u);

    service.setCompletionError(0);
    service.setRefusesConfiguration(true);
    EXPECT_EQ(shim->activate({"com.example.a"}, [](std::uint64_t) {}), nullptr);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
