#include "Platform/Simulated/SimulatedBundles.h"

#include "Platform/PropertyListFile.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>
#include <string>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::platform;
namespace fs = std::filesystem;

namespace {

SimulatedApplication app(std::optional<std::string> id, std::string name, std::string path) {
    SimulatedApplication result;
    result.bundleIdentifier = std::move(id);
    result.localizedName = std::move(name);
    result.bundlePath = std::move(path);
    return result;
}

std::optional<std::string> declared(const fs::path& bundle, const char* key) {
    const auto read = PropertyListFile::read(bundle / "Contents" / "Info.plist");
    const auto found = read.dictionary.find(key);
    if (found == read.dictionary.end() || found->second.stringValue() == nullptr) {
        return std::nullopt;
    }
    return *found->second.stringValue();
}

TEST(SimulatedBundlesTest, TheApplicationsFolderHoldsABundleForEachApplicationInstalledThere) {
    pellacor::testing::TempDir root;
    fs::create_directories(root / "Applications");
    const std::vector<SimulatedApplication> apps = {
        app("com.example.foo", "Foo", "/Applications/Foo.app"),
        app("com.example.quill", "Quill Sync", "/Applications/Quill Sync.app"),
        app("com.apple.controlcenter", "Control Center", "/System/Library/CoreServices/ControlCenter.app"),
        app("com.example.helper", "Helper", "/Applications/Foo.app/Contents/Helper.app"),
        app(std::nullopt, "tool", "/Applications/Tool.app"),
        app("com.example.agent", "agent", "/usr/local/libexec/agent"),
    };
    EXPECT_EQ(SimulatedBundles::install(root.path(), apps), 2U);
    EXPECT_EQ(declared(root / "Applications/Foo.app", "CFBundleIdentifier"), "com.example.foo");
    EXPECT_EQ(declared(root / "Applications/Quill Sync.app", "CFBundleName"), "Quill Sync");
    EXPECT_FALSE(fs::exists(root / "System"));
    EXPECT_FALSE(fs::exists(root / "Applications/Tool.app"));
    EXPECT_FALSE(fs::exists(root / "Applications/Foo.app/Contents/Helper.app"));

    // A bundle already there is kept as it is.
    ASSERT_TRUE(PropertyListFile::write(root / "Applications/Foo.app/Contents/Info.plist",
                                        {{"CFBundleIdentifier", "com.example.edited"}}));
    EXPECT_EQ(SimulatedBundles::install(root.path(), apps), 0U);
    EXPECT_EQ(declared(root / "Applications/Foo.app", "CFBundleIdentifier"), "com.example.edited");
}

TEST(SimulatedBundlesTest, NothingIsWrittenWithoutAnApplicationsFolderOrOnTheRealRoot) {
    pellacor::testing::TempDir root;
    const std::vector<SimulatedApplication> apps = {app("com.example.foo", "Foo", "/Applications/Foo.app")};
    EXPECT_EQ(SimulatedBundles::install(root.path(), apps), 0U);
    EXPECT_FALSE(fs::exists(root / "Applications"));
    EXPECT_EQ(SimulatedBundles::install("/", apps), 0U);
}

TEST(SimulatedBundlesTest, ThePlatformInstallsTheScenariosApplicationsBelowItsRoot) {
    pellacor::testing::TempDir root;
    fs::create_directories(root / "Applications");
    Scenario scenario = Scenario::defaultScenario();
    scenario.root = root.path();
    const SimulatedPlatform platform(scenario);
    EXPECT_EQ(declared(root / "Applications/Pebblemail.app", "CFBundleIdentifier"), "com.example.pebblemail");
}

} // namespace

} // namespace PELLACOR_TEST_FILE
