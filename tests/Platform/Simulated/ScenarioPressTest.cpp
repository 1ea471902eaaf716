#include "Platform/Simulated/Scenario.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;
using namespace std::chrono_literals;

namespace {

TEST(ScenarioPressTest, ReadsActionsMenusPlacementDelaysAndWindows) {
    auto decoded = Scenario::decode(R"({
        "applications": [{"bundleIdentifier": "com.example.a", "placementDelayMilliseconds": 250,
                          "windows": [{"layer": 3, "bounds": {"x": 10, "y": 30, "width": 200, "height": 100},
                                       "onScreen": false},
                                      {}],
                          "statusItems": [{"identifier": "a",
                                           "accessibility": {"actions": ["AXPress", "AXShowMenu"],
                                                             "actionErrors": {"AXPress": -25204},
                                                             "actionNamesError": -25200},
                                           "menu": {"opens": "always", "openDelayMilliseconds": 40,
                                                    "openForMilliseconds": 900, "owner": "com.example.b",
                                                    "width": 120, "height": 60}},
                                          {"identifier": "b", "menu": {"opens": "never", "staysOpen": true}},
                                          {"identifier": "c"}]}]
    })");
    ASSERT_TRUE(std::holds_alternative<Scenario>(decoded)) << std::get<ScenarioError>(decoded).message;
    const auto& app = std::get<Scenario>(decoded).applications.at(0);
    EXPECT_EQ(app.placementDelay, 250ms);
    EXPECT_EQ(app.windows, (std::vector<SimulatedWindow>{{3, core::Rect(10, 30, 200, 100), false}, {}}));

    const auto& first = app.statusItems.at(0);
    EXPECT_EQ(first.accessibility.actions, (std::vector<std::string>{"AXPress", "AXShowMenu"}));
    EXPECT_EQ(first.accessibility.actionErrors, (std::map<std::string, std::int32_t>{{"AXPress", -25204}}));
    EXPECT_EQ(first.accessibility.actionNamesError, -25200);
    SimulatedMenu menu;
    menu.opens = SimulatedMenu::Opening::always;
    menu.openDelay = 40ms;
    menu.openFor = 900ms;
    menu.ownerBundleIdentifier = "com.example.b";
    menu.size = core::Size{120, 60};
    EXPECT_EQ(first.menu, menu);

    EXPECT_EQ(app.statusItems.at(1).menu.opens, SimulatedMenu::Opening::never);
    EXPECT_EQ(app.statusItems.at(1).menu.openFor, std::nullopt);
    EXPECT_EQ(app.statusItems.at(2).menu, SimulatedMenu{});
    EXPECT_EQ(app.statusItems.at(2).accessibility.actions, (std::vector<std::string>{"AXPress"}));
}

TEST(ScenarioPressTest, RefusesPressBehavioursOutOfShape) {
    struct Case {
        const char* json;
        const char* message;
    };
    const std::vector<Case> cases = {
        {R"({"applications": [{"statusItems": [{"accessibility": {"actions": ["AXPress", 3]}}]}]})",
         "applications[0].statusItems[0].accessibility.actions[1]: expected a string"},
        {R"({"applications": [{"statusItems": [{"menu": {"opens": "sometimes"}}]}]})",
         "applications[0].statusItems[0].menu.opens: expected one of \"always\", \"whenPlaced\", \"never\""},
        {R"({"applications": [{"statusItems": [{"menu": {"openDelayMilliseconds": -5}}]}]})",
         "applications[0].statusItems[0].menu.openDelayMilliseconds: expected a whole number from 0 to "
         "600000"},
        {R"({"applications": [{"placementDelayMilliseconds": "soon"}]})",
         "applications[0].placementDelayMilliseconds: expected a whole number from 0 to 600000"},
        {R"({"applications": [{"windows": [{"bounds": {"x": 0, "y": 0, "width": 10}}]}]})",
         "applications[0].windows[0].bounds.height: missing"},
    };
    for (const Case& c : cases) {
        auto decoded = Scenario::decode(c.json);
        ASSERT_TRUE(std::holds_alternative<ScenarioError>(decoded)) << c.json;
        EXPECT_EQ(std::get<ScenarioError>(decoded).message, c.message);
    }
}

} // namespace
} // namespace PELLACOR_TEST_FILE
