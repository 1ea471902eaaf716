#include "Platform/Simulated/SimulatedIcons.h"

#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>
#include <png.h>
#include <set>
#include <string>
#include <variant>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::platform;
using pellacor::testing::TempDir;

namespace {

// A small PNG of one colour, written with libpng.
ApplicationIcon writePng(const std::filesystem::path& file, int width, int height) {
    ApplicationIcon icon{width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        icon.rgba.insert(icon.rgba.end(), {200, 40, static_cast<std::uint8_t>(i % 256), 255});
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    EXPECT_NE(png_image_write_to_file(&image, file.c_str(), 0, icon.rgba.data(), 0, nullptr), 0);
    return icon;
}

SimulatedApplication application(std::string bundleID, std::string name) {
    SimulatedApplication app;
    app.bundleIdentifier = std::move(bundleID);
    app.localizedName = std::move(name);
    return app;
}

// A fingerprint of the pixels (FNV-1a), to tell icons apart.
std::uint64_t fingerprint(const ApplicationIcon& icon) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const std::uint8_t byte : icon.rgba) {
        hash = (hash ^ byte) * 0x100000001b3ULL;
    }
    return hash;
}

std::uint8_t alphaAt(const ApplicationIcon& icon, int x, int y) {
    return icon.rgba[(static_cast<std::size_t>(y) * icon.width + x) * 4 + 3];
}

} // namespace

TEST(SimulatedIconsTest, EveryApplicationOfTheDefaultDesktopLooksDistinctAndTheSameEachTime) {
    const Scenario scenario = Scenario::defaultScenario();
    std::set<std::uint64_t> seen;
    for (const auto& app : scenario.applications) {
        const ApplicationIcon icon = SimulatedIcons::of(app);
        ASSERT_TRUE(icon.isWellFormed()) << app.localizedName;
        EXPECT_EQ(icon.width, SimulatedIcons::side);
        EXPECT_EQ(icon, SimulatedIcons::of(app)) << "made up the same way every time";
        EXPECT_TRUE(seen.insert(fingerprint(icon)).second)
            << app.localizedName << " looks like another application";
        // A rounded square: clear corners, a solid middle.
        EXPECT_EQ(alphaAt(icon, 1, 1), 0);
        EXPECT_EQ(alphaAt(icon, icon.width / 2, 8), 255);
    }
    EXPECT_FALSE(seen.contains(fingerprint(SimulatedIcons::genericApplication())));
}

TEST(SimulatedIconsTest, NameAndIdentifierBothChangeTheMadeUpIcon) {
    const ApplicationIcon base = SimulatedIcons::generated(application("com.example.one", "One"));
    EXPECT_NE(base, SimulatedIcons::generated(application("com.example.two", "One")));
    EXPECT_NE(base, SimulatedIcons::generated(application("com.example.one", "Uno")));
    // The scenario's colour wins over the colour of its own.
    SimulatedApplication green = application("com.example.one", "One");
    green.iconColor = "#00ff00";
    const ApplicationIcon coloured = SimulatedIcons::generated(green);
    // Above the tiles, at the top middle.
    const std::size_t top = (static_cast<std::size_t>(10) * coloured.width + coloured.width / 2) * 4;
    EXPECT_GT(coloured.rgba[top + 1], coloured.rgba[top]) << "green dominates";
    EXPECT_GT(coloured.rgba[top + 1], coloured.rgba[top + 2]);
}

TEST(SimulatedIconsTest, AnIconFileIsReadAndAnUnreadableOneFallsBackToTheMadeUpIcon) {
    TempDir folder;
    SimulatedApplication app = application("com.example.one", "One");
    const ApplicationIcon picture = writePng(folder / "one.png", 16, 12);

    app.iconFile = folder / "one.png";
    EXPECT_EQ(SimulatedIcons::of(app), picture);

    const auto notAPicture = folder.write("broken.png", "not a png at all");
    const auto huge = folder / "huge.png";
    writePng(huge, SimulatedIcons::largestFileSide + 1, 1);
    for (const auto& file : {notAPicture, folder / "missing.png", huge}) {
        app.iconFile = file;
        EXPECT_EQ(SimulatedIcons::of(app), SimulatedIcons::generated(app)) << file;
    }
}

TEST(SimulatedIconsTest, ScenarioNamesTheIconFileBesideTheScenario) {
    TempDir folder;
    std::filesystem::create_directories(folder / "icons");
    const ApplicationIcon picture = writePng(folder / "icons" / "one.png", 4, 4);
    const auto file = folder.write("scenario.json", R"({"applications": [
        {"bundleIdentifier": "com.example.one", "bundlePath": "/Applications/One.app",
         "icon": {"file": "icons/one.png"}},
        {"bundleIdentifier": "com.example.two", "icon": {"file": "/elsewhere/two.png"}}]})");
    auto loaded = Scenario::load(file);
    ASSERT_TRUE(std::holds_alternative<Scenario>(loaded)) << std::get<ScenarioError>(loaded).message;
    const auto& apps = std::get<Scenario>(loaded).applications;
    EXPECT_EQ(apps[0].iconFile, folder / "icons/one.png");
    EXPECT_EQ(apps[1].iconFile, std::filesystem::path("/elsewhere/two.png"));

    SimulatedPlatform platform(std::get<Scenario>(loaded));
    EXPECT_EQ(platform.workspace()->iconForFile("/Applications/One.app"), picture);

    auto empty = Scenario::decode(R"({"applications": [{"icon": {"file": ""}}]})");
    ASSERT_TRUE(std::holds_alternative<ScenarioError>(empty));
    EXPECT_NE(std::get<ScenarioError>(empty).message.find("applications[0].icon.file"), std::string::npos);
}

TEST(SimulatedWorkspaceLocationTest, InstalledApplicationsAreFoundRunningOrNot) {
    SimulatedPlatform platform;
    const auto& workspace = *platform.workspace();
    struct Case {
        std::string bundleID;
        std::optional<std::string> location;
    };
    const std::vector<Case> cases{
        {"com.example.fernlight", "/Applications/Fernlight.app"},
        {"com.example.pebblemail", "/Applications/Pebblemail.app"}, // installed, not running
        {"com.example.nowhere", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(workspace.urlForApplication(c.bundleID), c.location) << c.bundleID;
    }

    // A running copy elsewhere is found before the one in the Applications folder.
    SimulatedApplication copy = application("com.example.pebblemail", "Pebblemail");
    copy.bundlePath = "/Users/me/Pebblemail.app";
    ASSERT_TRUE(platform.workspace()->launch(copy));
    EXPECT_EQ(workspace.urlForApplication("com.example.pebblemail"), "/Users/me/Pebblemail.app");
}

TEST(SimulatedWorkspaceLocationTest, IconsFollowTheApplicationAtThePath) {
    SimulatedPlatform platform;
    const auto& workspace = *platform.workspace();
    const auto fernlight = platform.desktop()->runningApplication("com.example.fernlight");
    ASSERT_TRUE(fernlight);
    EXPECT_EQ(workspace.iconForFile("/Applications/Fernlight.app"), SimulatedIcons::of(*fernlight));
    EXPECT_EQ(workspace.iconForFile("/Applications/Unknown.app"), SimulatedIcons::genericApplication());
    EXPECT_EQ(workspace.iconForApplicationBundleType(), SimulatedIcons::genericApplication());
}

TEST(SimulatedFileManagerTest, DisplayNameIsTheLastComponentWithItsExtension) {
    SimulatedPlatform platform;
    const auto& files = *platform.fileManager();
    const std::vector<std::pair<std::string, std::string>> cases{
        {"/Applications/Quillow Sync.app", "Quillow Sync.app"},
        {"/Applications/Notes.app/", "Notes.app"},
        {"/usr/local/libexec/gaugeling-agent", "gaugeling-agent"},
        {"/", ""},
    };
    for (const auto& [path, name] : cases) {
        EXPECT_EQ(files.displayName(path), name) << path;
    }
}

} // namespace PELLACOR_TEST_FILE
