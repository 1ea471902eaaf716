#include "MenuBarCore/Support/AppIdentity.h"
#include "Platform/Simulated/SimulatedPlatform.h"

#include <gtest/gtest.h>
#include <string>
#include <variant>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::platform;
namespace fs = std::filesystem;

namespace {

Scenario decoded(const std::string& json) {
    auto result = Scenario::decode(json);
    if (auto* error = std::get_if<ScenarioError>(&result)) {
        ADD_FAILURE() << error->message;
        return Scenario{};
    }
    return std::get<Scenario>(result);
}

std::string errorOf(const std::string& json) {
    auto result = Scenario::decode(json);
    auto* error = std::get_if<ScenarioError>(&result);
    return error != nullptr ? error->message : "";
}

} // namespace

TEST(ScenarioFilesTest, TheRootHoldsTheApplicationsFolderAndTheOwnBundle) {
    const Scenario scenario = decoded(
        R"({"applications": [], "root": "/srv/mac", "ownBundlePath": "/Users/me/Downloads/Pellacor.app"})");
    EXPECT_EQ(scenario.root, fs::path("/srv/mac"));
    SimulatedPlatform platform(scenario);
    EXPECT_EQ(platform.desktop()->rootFolder(), fs::path("/srv/mac"));
    EXPECT_EQ(platform.desktop()->applicationsFolder(), fs::path("/srv/mac/Applications"));
    EXPECT_EQ(platform.desktop()->ownBundlePath(), fs::path("/srv/mac/Users/me/Downloads/Pellacor.app"));
}

TEST(ScenarioFilesTest, WithoutKeysTheBundleIsTheOwnApplicationsOrTheUsualOne) {
    SimulatedPlatform plain(decoded(R"({"applications": []})"));
    EXPECT_EQ(plain.desktop()->applicationsFolder(), fs::path("/Applications"));
    EXPECT_EQ(plain.desktop()->ownBundlePath(), fs::path("/Applications/Pellacor.app"));

    const Scenario withOwnApp = decoded(R"({"root": "/srv/mac", "applications": [
        {"bundleIdentifier": "com.example.other", "bundlePath": "/Applications/Other.app"},
        {"bundleIdentifier": ")" + std::string(pellacor::core::bundleIdentifier) +
                                        R"(", "bundlePath": "/Users/me/Pellacor.app"}]})");
    EXPECT_EQ(withOwnApp.ownBundlePath, std::nullopt);
    EXPECT_EQ(SimulatedPlatform(withOwnApp).desktop()->ownBundlePath(),
              fs::path("/srv/mac/Users/me/Pellacor.app"));

    EXPECT_EQ(SimulatedPlatform(Scenario::defaultScenario()).desktop()->ownBundlePath(),
              fs::path("/Applications/Pellacor.app"));
}

TEST(ScenarioFilesTest, PathsMustBeAbsolute) {
    EXPECT_EQ(errorOf(R"({"applications": [], "root": "mac"})"), "root: expected an absolute path");
    EXPECT_EQ(errorOf(R"({"applications": [], "ownBundlePath": "Pellacor.app"})"),
              "ownBundlePath: expected an absolute path");
    EXPECT_EQ(errorOf(R"({"applications": [], "root": 3})"), "root: expected a string");
}

} // namespace PELLACOR_TEST_FILE
