#include "Platform/PropertyListFile.h"
#include "Platform/Simulated/MenuBarLayout.h"
#include "Platform/Simulated/MenuBarLayoutFile.h"
#include "Platform/Simulated/Scenario.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>
#include <limits>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;
using pellacor::testing::TempDir;
using Dictionary = PropertyListValue::Dictionary;

namespace {

SimulatedStatusItem item(std::string id, std::optional<std::string> name = std::nullopt) {
    SimulatedStatusItem result;
    result.identifier = std::move(id);
    result.name = std::move(name);
    result.width = 10;
    return result;
}

SimulatedApplication app(std::optional<std::string> bundle, std::int32_t pid,
                         std::vector<SimulatedStatusItem> items) {
    SimulatedApplication result;
    result.bundleIdentifier = std::move(bundle);
    result.processIdentifier = pid;
    result.statusItems = std::move(items);
    return result;
}

std::vector<std::string> identifiers(const std::vector<PlacedStatusItem>& placed) {
    std::vector<std::string> ids;
    for (const auto& p : placed) {
        ids.push_back(p.item.identifier.value_or("?"));
    }
    return ids;
}

TEST(MenuBarLayoutOrderTest, UnnamedItemsAreNumberedByTheirOwner) {
    const std::vector<SimulatedStatusItem> items{item("a"), item("b", "Named"), item("c"), item("d")};
    EXPECT_EQ(MenuBarLayout::itemName(items, 0), "Item-0");
    EXPECT_EQ(MenuBarLayout::itemName(items, 1), "Named");
    EXPECT_EQ(MenuBarLayout::itemName(items, 2), "Item-1");
    EXPECT_EQ(MenuBarLayout::itemName(items, 3), "Item-2");
}

class MenuBarLayoutOrderPlaceTest : public ::testing::Test {
protected:
    std::vector<PlacedStatusItem> place(const std::map<std::string, double>& positions) const {
        return MenuBarLayout::place(screen, screen.frame, apps, std::nullopt, positions);
    }

    SimulatedScreen screen{core::Rect(0, 0, 1000, 800), 24};
    std::vector<SimulatedApplication> apps{
        app("com.example.a", 11, {item("a0"), item("a1")}),
        app("com.apple.controlcenter", 12,
            [] {
                auto clock = item("clock");
                clock.kind = SimulatedStatusItem::Kind::system;
                return std::vector{clock};
            }()),
        app("com.example.b", 13, {item("b0"), item("bSwitch", "Switcher")}),
        app(std::nullopt, 14, {item("anon")}),
        app("com.example.c", 15, {item("c0")}),
    };
};

TEST_F(MenuBarLayoutOrderPlaceTest, ItemsStandByTheirPositionsWithTheUnlistedOnesFurtherLeft) {
    // Without a table, the application list gives the order, right to left.
    EXPECT_EQ(identifiers(place({})),
              (std::vector<std::string>{"c0", "anon", "bSwitch", "b0", "a1", "a0", "clock"}));

    const std::map<std::string, double> positions{
        {"status:com.example.c::Item-0", 1.0},    {"status:com.example.a::Item-1", 4.5},
        {"status:com.example.b::Switcher", 2.0},  {"status:com.example.a::Item-0", 2.0},
        {"status:com.example.gone::Item-0", 9.0}, {"unparsable", 3.0},
    };
    // Larger positions further left; the tie (a0, bSwitch) keeps list order; the
    // clock stays rightmost; b0 and the item without a bundle identifier have no
    // position and stand left of all others.
    EXPECT_EQ(identifiers(place(positions)),
              (std::vector<std::string>{"anon", "b0", "a1", "bSwitch", "a0", "c0", "clock"}));
}

TEST(MenuBarLayoutFileTest, TheBarTakesFiniteNumbersOnly) {
    const Dictionary contents{
        {std::string(MenuBarLayoutFile::positionsKey),
         PropertyListValue(
             Dictionary{{"real", PropertyListValue::real(1.5)},
                        {"integer", PropertyListValue::integer(2)},
                        {"boolean", PropertyListValue::boolean(true)},
                        {"text", PropertyListValue("3")},
                        {"nan", PropertyListValue::real(std::numeric_limits<double>::quiet_NaN())},
                        {"infinity", PropertyListValue::real(std::numeric_limits<double>::infinity())}})},
        {"other", PropertyListValue::integer(1)},
    };
    EXPECT_EQ(MenuBarLayoutFile::positions(contents),
              (MenuBarLayoutFile::Positions{{"real", 1.5}, {"integer", 2}}));
    EXPECT_TRUE(MenuBarLayoutFile::positions(
                    {{std::string(MenuBarLayoutFile::positionsKey), PropertyListValue::integer(1)}})
                    .empty());
}

TEST(MenuBarLayoutFileTest, ScenarioNamesTheHomeFolderTheGrantAndItemNames) {
    TempDir home;
    const std::string json = R"({
        "home": {"folder": ")" +
                             home.path().string() + R"(", "menuBarContainerGranted": true},
        "applications": [
            {"bundleIdentifier": "com.example.a", "statusItems": [{"identifier": "a0"}, {"identifier": "a1"}]},
            {"bundleIdentifier": "com.example.b", "statusItems": [{"identifier": "b0", "name": "Switcher"}]}
        ]})";
    ASSERT_TRUE(PropertyListFile::write(
        home.write(MenuBarLayoutFile::location(home.path()).lexically_relative(home.path()).string(), ""),
        Dictionary{
            {std::string(MenuBarLayoutFile::positionsKey),
             PropertyListValue(Dictionary{{"status:com.example.b::Switcher", PropertyListValue::real(5)},
                                          {"status:com.example.a::Item-1", PropertyListValue::real(1)}})}}));

    auto decoded = Scenario::decode(json);
    const auto* scenario = std::get_if<Scenario>(&decoded);
    ASSERT_NE(scenario, nullptr) << std::get<ScenarioError>(decoded).message;
    EXPECT_EQ(scenario->home.folder, home.path());
    EXPECT_TRUE(scenario->home.menuBarContainerGranted);
    EXPECT_EQ(scenario->applications[1].statusItems[0].name, "Switcher");

    // The platform hands the home to the desktop, which reads its table at once.
    SimulatedPlatform platform(*scenario);
    EXPECT_EQ(platform.desktop()->homeFolder(), home.path());
    EXPECT_TRUE(platform.desktop()->isMenuBarContainerGranted());
    EXPECT_EQ(identifiers(platform.desktop()->menuBarItems()), (std::vector<std::string>{"a0", "b0", "a1"}));
    EXPECT_EQ(platform.services().fileManager->homeDirectory(), home.path());
    EXPECT_NE(platform.services().preferencesDomain, nullptr);

    // Without "home" there is no home folder and nothing is granted.
    auto bare = Scenario::decode(R"({"applications": []})");
    ASSERT_TRUE(std::holds_alternative<Scenario>(bare));
    EXPECT_TRUE(std::get<Scenario>(bare).home.folder.empty());
    EXPECT_FALSE(std::get<Scenario>(bare).home.menuBarContainerGranted);

    for (const char* wrong :
         {R"({"applications": [], "home": {"folder": "relative/home"}})",
          R"({"applications": [], "home": {"menuBarContainerGranted": true}})",
          R"({"applications": [], "home": {"folder": "/h", "menuBarContainerGranted": 1}})"}) {
        EXPECT_TRUE(std::holds_alternative<ScenarioError>(Scenario::decode(wrong))) << wrong;
    }
}

} // namespace
} // namespace PELLACOR_TEST_FILE
