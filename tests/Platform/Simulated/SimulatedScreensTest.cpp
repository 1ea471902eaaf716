#include "Platform/Simulated/SimulatedScreens.h"

#include "Platform/Simulated/Scenario.h"
#include "Platform/Simulated/SimulatedPlatform.h"

#include <gtest/gtest.h>
#include <string>
#include <variant>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;

namespace {

TEST(SimulatedScreensTest, ANotchedScreenHasAuxiliaryAreasBesideTheHousingAndAnUnsafeTopStrip) {
    // A built-in screen to the left of the first one, so that every x is shifted.
    const Screen screen =
        SimulatedScreens::describe(SimulatedScreen{core::Rect(-1512, 0, 1512, 982), 32, 200});
    EXPECT_EQ(screen.frame, core::Rect(-1512, 0, 1512, 982));
    EXPECT_EQ(screen.visibleFrame, core::Rect(-1512, 0, 1512, 950));
    EXPECT_EQ(screen.safeAreaInsets, (Screen::EdgeInsets{32, 0, 0, 0}));
    ASSERT_TRUE(screen.auxiliaryTopLeftArea && screen.auxiliaryTopRightArea);
    EXPECT_EQ(*screen.auxiliaryTopLeftArea, core::Rect(-1512, 950, 656, 32));
    EXPECT_EQ(*screen.auxiliaryTopRightArea, core::Rect(-656, 950, 656, 32));
    EXPECT_EQ(screen.auxiliaryTopRightArea->minX() - screen.auxiliaryTopLeftArea->maxX(), 200)
        << "the gap between the areas is the housing";
}

TEST(SimulatedScreensTest, APlainScreenHasNoAuxiliaryAreasAndNoUnsafeMargins) {
    const Screen screen = SimulatedScreens::describe(SimulatedScreen{core::Rect(1512, -200, 1920, 1080), 24});
    EXPECT_EQ(screen.visibleFrame, core::Rect(1512, -200, 1920, 1056));
    EXPECT_EQ(screen.safeAreaInsets, Screen::EdgeInsets{});
    EXPECT_EQ(screen.auxiliaryTopLeftArea, std::nullopt);
    EXPECT_EQ(screen.auxiliaryTopRightArea, std::nullopt);
}

TEST(SimulatedScreensTest, AHousingAsWideAsTheScreenLeavesEmptyAreas) {
    for (double housing : {800.0, 5000.0}) {
        SCOPED_TRACE(housing);
        const Screen screen =
            SimulatedScreens::describe(SimulatedScreen{core::Rect(0, 0, 800, 600), 24, housing});
        ASSERT_TRUE(screen.auxiliaryTopRightArea);
        EXPECT_TRUE(screen.auxiliaryTopLeftArea->isEmpty());
        EXPECT_TRUE(screen.auxiliaryTopRightArea->isEmpty());
        EXPECT_EQ(screen.auxiliaryTopRightArea->minX(), 800);
    }
}

TEST(SimulatedScreensTest, FollowsTheDesktopsScreensInOrder) {
    auto desktop = std::make_shared<SimulatedDesktop>();
    SimulatedScreens screens(desktop);
    desktop->setScreens({SimulatedScreen{core::Rect(0, 0, 1512, 982), 24, 180},
                         SimulatedScreen{core::Rect(-300, 982, 2560, 1440), 24}});
    const auto described = screens.screens();
    ASSERT_EQ(described.size(), 2u);
    EXPECT_TRUE(described[0].auxiliaryTopRightArea);
    EXPECT_EQ(described[1].frame, core::Rect(-300, 982, 2560, 1440));
    EXPECT_EQ(described[1].auxiliaryTopRightArea, std::nullopt);
}

TEST(SimulatedScreensTest, TheDefaultDesktopIsANotchedLaptopScreen) {
    SimulatedPlatform platform;
    const auto described = platform.services().screens->screens();
    ASSERT_EQ(described.size(), 1u);
    EXPECT_EQ(described[0].frame, core::Rect(0, 0, 1512, 982));
    ASSERT_TRUE(described[0].auxiliaryTopLeftArea && described[0].auxiliaryTopRightArea);
    EXPECT_EQ(described[0].auxiliaryTopLeftArea->maxX(), 666);
    EXPECT_EQ(described[0].auxiliaryTopRightArea->minX(), 846);
    EXPECT_GT(described[0].safeAreaInsets.top, 0);
}

TEST(SimulatedScreensTest, AScenarioDescribesTheCameraHousingOfEachScreen) {
    auto result = Scenario::decode(R"({"applications": [], "screens": [
        {"frame": {"x": 0, "y": 0, "width": 1512, "height": 982}, "menuBarHeight": 32, "cameraHousingWidth": 200},
        {"frame": {"x": 0, "y": 982, "width": 1920, "height": 1080}}]})");
    const auto* scenario = std::get_if<Scenario>(&result);
    ASSERT_NE(scenario, nullptr) << std::get<ScenarioError>(result).message;
    EXPECT_EQ(scenario->screens, (std::vector<SimulatedScreen>{{core::Rect(0, 0, 1512, 982), 32, 200},
                                                               {core::Rect(0, 982, 1920, 1080), 24}}));

    auto refused = Scenario::decode(R"({"applications": [], "screens": [
        {"frame": {"x": 0, "y": 0, "width": 800, "height": 600}, "cameraHousingWidth": -1}]})");
    ASSERT_TRUE(std::holds_alternative<ScenarioError>(refused));
    EXPECT_NE(std::get<ScenarioError>(refused).message.find("screens[0].cameraHousingWidth"),
              std::string::npos)
        << std::get<ScenarioError>(refused).message;
}

} // namespace
} // namespace PELLACOR_TEST_FILE
