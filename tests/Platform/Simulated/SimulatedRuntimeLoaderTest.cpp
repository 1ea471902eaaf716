#include "Platform/Simulated/SimulatedRuntimeLoader.h"

#include "Platform/Simulated/SimulatedRestrictionService.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::platform;

namespace {

using Fault = SimulatedRuntimeLoader::Fault;

const std::string framework(SimulatedRestrictionService::frameworkPath);
const std::string configuration(SimulatedRestrictionService::configurationClassName);
const std::string assertion(SimulatedRestrictionService::assertionClassName);
const std::string initSelector = "initWithAllowedSystemItems:allowedBundleIdentifiers:";

class SimulatedRuntimeLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { service->install(loader); }

    std::shared_ptr<SimulatedRestrictionService> service = SimulatedRestrictionService::create(nullptr);
    SimulatedRuntimeLoader loader;
};

TEST_F(SimulatedRuntimeLoaderTest, ClassesAppearOnlyOnceTheirLibraryIsOpen) {
    EXPECT_EQ(loader.lookUpClass(assertion), nullptr);
    ASSERT_TRUE(loader.openLibrary(framework, RuntimeLoader::BindingMode::now));
    auto cls = loader.lookUpClass(assertion);
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(loader.lookUpClass(assertion), cls) << "one class object per class";
    EXPECT_TRUE(loader.isSubclass(cls, "NSObject"));
    EXPECT_FALSE(loader.isSubclass(cls, configuration));

    auto configClass = loader.lookUpClass(configuration);
    EXPECT_EQ(loader.classMethod(configClass, "alloc")->argumentCount, 2u);
    EXPECT_EQ(loader.instanceMethod(configClass, initSelector)->argumentCount, 4u);
    EXPECT_EQ(loader.instanceMethod(cls, "invalidate")->argumentCount, 2u);
    EXPECT_FALSE(loader.instanceMethod(cls, "alloc")) << "class methods are not instance methods";
    EXPECT_FALSE(loader.openLibrary("/nowhere", RuntimeLoader::BindingMode::now));
}

TEST_F(SimulatedRuntimeLoaderTest, FaultsBreakTheFrameworkAsConfigured) {
    struct Case {
        const char* name;
        Fault fault;
        bool opens;
        bool assertionClassFound;
        std::optional<unsigned> invalidateArguments;
    };
    const std::vector<Case> cases{
        {"library missing",
         {Fault::Kind::libraryMissing, framework, "", "", false, 0},
         false,
         false,
         std::nullopt},
        {"class missing",
         {Fault::Kind::classMissing, "", assertion, "", false, 0},
         true,
         false,
         std::nullopt},
        {"method missing",
         {Fault::Kind::methodMissing, "", assertion, "invalidate", false, 0},
         true,
         true,
         std::nullopt},
        {"wrong count",
         {Fault::Kind::wrongArgumentCount, "", assertion, "invalidate", false, 3},
         true,
         true,
         3u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedRuntimeLoader broken;
        service->install(broken);
        broken.apply(c.fault);
        EXPECT_EQ(broken.openLibrary(framework, RuntimeLoader::BindingMode::now).has_value(), c.opens);
        auto cls = broken.lookUpClass(assertion);
        EXPECT_EQ(cls != nullptr, c.assertionClassFound);
        if (cls) {
            auto method = broken.instanceMethod(cls, "invalidate");
            EXPECT_EQ(method ? std::optional(method->argumentCount) : std::nullopt, c.invalidateArguments);
        }
    }
}

TEST_F(SimulatedRuntimeLoaderTest, InstancesFindTheirMethodsThroughTheRuntime) {
    ASSERT_TRUE(loader.openLibrary(framework, RuntimeLoader::BindingMode::now));
    auto object = loader.createInstance(loader.lookUpClass(assertion));
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(loader.methodImplementation(object, "invalidate"));
    EXPECT_FALSE(loader.methodImplementation(object, "noSuchSelector:"));
    loader.setMethodMissing(assertion, "invalidate", false);
    EXPECT_FALSE(loader.methodImplementation(object, "invalidate"));
    EXPECT_FALSE(loader.methodImplementation(nullptr, "invalidate"));
}

} // namespace
} // namespace PELLACOR_TEST_FILE
