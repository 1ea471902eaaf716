#include "MenuBarSystem/Watching/PointerSensor.h"

#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/SensorFakes.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using pellacor::testing::FakeInputState;
using pellacor::testing::FakeScreens;
using pellacor::testing::FakeStatusBar;
using pellacor::testing::FakeWindowList;
using Band = PointerSensor::ScreenBand;
using Box = PointerSensor::WindowBox;

namespace {

// A 1512 by 982 screen whose menu bar is 24 points: its strip runs from y 958 to 982.
const Band laptop{core::Rect(0, 0, 1512, 982), 958, 0};

platform::Screen screen(core::Rect frame, double visibleMaxY, double safeTop = 0) {
    platform::Screen result;
    result.frame = frame;
    result.visibleFrame = core::Rect(frame.minX(), frame.minY(), frame.width(), visibleMaxY - frame.minY());
    result.safeAreaInsets.top = safeTop;
    return result;
}

} // namespace

TEST(PointerSensorTest, TheMenuBarStripOfTheScreenThatHoldsThePoint) {
    const Band noGap{core::Rect(0, 0, 1000, 800), 800, 0};
    const Band tallGap{core::Rect(-1000, 0, 1000, 800), 750, 0};
    const Band notched{core::Rect(0, 0, 1512, 982), 958, 37};
    const Band wideGap{core::Rect(0, 0, 1000, 1000), 900, 0};
    const struct Case {
        const char* what;
        std::vector<Band> bands;
        double thickness;
        core::Point point;
        bool expected;
    } cases[] = {
        {"no screens", {}, 24, {100, 970}, false},
        {"the strip's lower edge", {laptop}, 24, {100, 958}, true},
        {"just below the strip", {laptop}, 24, {100, 957.9}, false},
        {"the top edge belongs to the screen", {laptop}, 24, {100, 982}, true},
        {"above the screen", {laptop}, 24, {100, 982.1}, false},
        {"the left edge belongs to the screen", {laptop}, 24, {0, 970}, true},
        {"the right edge does not", {laptop}, 24, {1512, 970}, false},
        {"no gap: a strip of 40 points", {noGap}, 24, {10, 760}, true},
        {"no gap: not 41 points", {noGap}, 24, {10, 759.9}, false},
        {"no gap: a thicker status bar counts", {noGap}, 44, {10, 756}, true},
        {"no gap: the largest gap of any screen counts", {noGap, tallGap}, 24, {10, 750}, true},
        {"the largest gap does not widen a screen's own gap", {laptop, tallGap}, 24, {100, 957}, false},
        {"a taller safe area widens the strip", {notched}, 24, {100, 945}, true},
        {"but no further", {notched}, 24, {100, 944.9}, false},
        {"the first screen that holds the point decides", {laptop, wideGap}, 24, {100, 950}, false},
        {"a point on no screen", {noGap}, 24, {1200, 790}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PointerSensor::isInMenuBar(c.point, c.bands, c.thickness), c.expected) << c.what;
    }
}

TEST(PointerSensorTest, PanelsAreWindowsOfLayersOneTo999ExceptTheDocksUnderThePoint) {
    const core::Rect under(100, 0, 200, 300);
    const core::Point point{150, 10};
    const struct Case {
        std::int64_t layer;
        core::Rect bounds;
        bool expected;
    } cases[] = {
        {0, under, false},
        {1, under, true},
        {3, under, true},
        {20, under, false},
        {101, under, true},
        {999, under, true},
        {1000, under, false},
        {-1, under, false},
        {3, core::Rect::null(), false},
        {3, core::Rect(0, 0, 150, 300), false}, // the right edge is outside
        {3, core::Rect(150, 10, 5, 5), true},   // the top-left corner is inside
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PointerSensor::isPanelUnderCursor(point, {Box{c.layer, c.bounds}}), c.expected)
            << "layer " << c.layer << " " << c.bounds.description();
    }
    EXPECT_FALSE(PointerSensor::isPanelUnderCursor(point, {}));
}

TEST(PointerSensorTest, OnScreenWindowsKeepThoseWithALayerAndAskForOnScreenNonDesktopWindows) {
    FakeWindowList list;
    platform::WindowDescription noLayer = FakeWindowList::window(3, core::Rect(1, 2, 3, 4));
    noLayer.layer.reset();
    platform::WindowDescription noBounds = FakeWindowList::window(101, core::Rect());
    noBounds.bounds.reset();
    list.windows = std::vector{FakeWindowList::window(0, core::Rect(1, 2, 3, 4)), noLayer, noBounds};

    const auto windows = PointerSensor::onScreenWindows(list);
    ASSERT_TRUE(windows);
    EXPECT_EQ(*windows, (std::vector<Box>{Box{0, core::Rect(1, 2, 3, 4)}, Box{101, core::Rect::null()}}));
    ASSERT_EQ(list.asked.size(), 1U);
    EXPECT_EQ(list.asked[0].first, 17U) << "on screen only, without desktop elements";
    EXPECT_EQ(list.asked[0].second, 0U) << "relative to no window";

    list.windows.reset();
    EXPECT_EQ(PointerSensor::onScreenWindows(list), std::nullopt);
}

TEST(PointerSensorTest, ASampleSeesTheMenuBarAndAnythingOpen) {
    auto screens = std::make_shared<FakeScreens>();
    screens->attached = {screen(core::Rect(0, 0, 1512, 982), 958)};
    auto input = std::make_shared<FakeInputState>();
    auto statusBar = std::make_shared<FakeStatusBar>();
    auto list = std::make_shared<FakeWindowList>();
    PointerSensor sensor(screens, input, statusBar, list);

    const auto panel = FakeWindowList::window(3, core::Rect(100, 30, 300, 400));
    const struct Case {
        const char* what;
        core::Point location;
        std::uint64_t buttons;
        std::optional<std::vector<platform::WindowDescription>> windows;
        std::optional<core::Point> eventLocation;
        PointerSample expected;
    } cases[] = {
        {"in the bar, nothing open",
         {500, 970},
         0,
         std::vector<platform::WindowDescription>{},
         core::Point{500, 12},
         {true, false}},
        {"below the bar",
         {500, 900},
         0,
         std::vector<platform::WindowDescription>{},
         core::Point{500, 82},
         {false, false}},
        {"a button down",
         {500, 900},
         1,
         std::vector<platform::WindowDescription>{},
         core::Point{500, 82},
         {false, true}},
        {"another button down",
         {500, 900},
         0b100,
         std::vector<platform::WindowDescription>{},
         core::Point{500, 82},
         {false, true}},
        {"an unreadable window list", {500, 900}, 0, std::nullopt, core::Point{500, 82}, {false, true}},
        {"a menu anywhere",
         {500, 900},
         0,
         std::vector{FakeWindowList::window(101, core::Rect(1000, 30, 10, 10))},
         core::Point{500, 82},
         {false, true}},
        {"a panel under the pointer, top-down",
         {200, 900},
         0,
         std::vector{panel},
         core::Point{200, 82},
         {false, true}},
        {"a panel elsewhere", {500, 500}, 0, std::vector{panel}, core::Point{500, 482}, {false, false}},
        {"no event: the origin is tested",
         {500, 500},
         0,
         std::vector{FakeWindowList::window(3, core::Rect(0, 0, 10, 10))},
         std::nullopt,
         {false, true}},
    };
    for (const auto& c : cases) {
        input->location = c.location;
        input->buttons = c.buttons;
        input->eventLocation = c.eventLocation;
        list->windows = c.windows;
        EXPECT_EQ(sensor.sample(), c.expected) << c.what;
    }
}

TEST(PointerSensorTest, TheCursorTestReadsTheScreensBandsAndTheStatusBar) {
    FakeScreens screens;
    screens.attached = {screen(core::Rect(0, 0, 1512, 982), 982, 0),
                        screen(core::Rect(1512, 0, 800, 600), 570, 0)};
    EXPECT_EQ(PointerSensor::screenBands(screens.attached),
              (std::vector<Band>{Band{core::Rect(0, 0, 1512, 982), 982, 0},
                                 Band{core::Rect(1512, 0, 800, 600), 570, 0}}));
    FakeInputState input;
    FakeStatusBar statusBar;
    statusBar.value = 50;
    input.location = {100, 933};
    EXPECT_TRUE(PointerSensor::cursorInMenuBar(screens, input, statusBar)) << "a 50-point fallback strip";
    statusBar.value = 24;
    EXPECT_FALSE(PointerSensor::cursorInMenuBar(screens, input, statusBar)) << "a 40-point fallback strip";
}

TEST(PointerSensorDesktopTest, OverTheSimulatedDesktopPanelsUnderThePointerAndMenusAnywhereCount) {
    platform::SimulatedPlatform platform;
    PointerSensor sensor(platform.services());
    const double top = platform.desktop()->mainScreen().frame.maxY();
    // The pointer in screen coordinates; the windows in top-down ones, around (300, 12).
    platform.input()->moveMouse({300, top - 12});
    EXPECT_EQ(sensor.sample(), (PointerSample{true, false}));

    const auto dock =
        platform.desktop()->openWindow(531, PointerSensor::dockLayer, core::Rect(250, 0, 100, 30));
    ASSERT_TRUE(dock);
    EXPECT_EQ(sensor.sample(), (PointerSample{true, false})) << "the Dock's layer is no panel";

    const auto panel = platform.desktop()->openWindow(531, 3, core::Rect(250, 0, 100, 30));
    ASSERT_TRUE(panel);
    EXPECT_EQ(sensor.sample(), (PointerSample{true, true}));
    platform.input()->moveMouse({300, top - 60});
    EXPECT_EQ(sensor.sample(), (PointerSample{false, false})) << "the panel is not under the pointer";
    ASSERT_TRUE(platform.desktop()->closeWindow(*panel));

    ASSERT_TRUE(platform.desktop()->openWindow(531, PointerSensor::menuLayer, core::Rect(900, 30, 100, 100)));
    EXPECT_EQ(sensor.sample(), (PointerSample{false, true})) << "a menu anywhere";
}

} // namespace PELLACOR_TEST_FILE
