#include "Trayvane/Windows/AuxiliaryWindowPlacement.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace PELLACOR_TEST_FILE {

using pellacor::app::AuxiliaryWindowPlacement;
using pellacor::platform::Screen;
namespace core = pellacor::core;

namespace {

// A screen in the platform's upward coordinates whose visible area is the
// frame less the menu bar at its top and `left` points of a side dock.
Screen screen(core::Rect frame, double menuBar = 24, double left = 0) {
    Screen s;
    s.frame = frame;
    s.visibleFrame =
        core::Rect(frame.minX() + left, frame.minY(), frame.width() - left, frame.height() - menuBar);
    return s;
}

// A main screen, a second one to its right whose bottom is higher, and a
// third, small one to the left with a dock.
const std::vector<Screen> desk{screen(core::Rect(0, 0, 1000, 800)), screen(core::Rect(1000, 100, 600, 500)),
                               screen(core::Rect(-1200, 0, 1200, 724), 24, 80)};

} // namespace

TEST(AuxiliaryWindowPlacementTest, CentredOnTheScreenUnderThePointerAGapBelowTheTopOfItsVisibleArea) {
    // Expected frames are top-down: the first screen's top is y = 0 and its
    // menu bar ends at y = 24; the second's visible area starts at y = 224,
    // the third's at y = 100.
    const struct {
        const char* name;
        AuxiliaryWindowPlacement placement;
        core::Point pointer;
        core::Size size;
        core::Rect expected;
    } cases[] = {
        {"the guide on the main screen",
         AuxiliaryWindowPlacement::permissionGuide(),
         {300, 300},
         {560, 400},
         {220, 24 + 60, 560, 400}},
        {"a notice on the second screen",
         AuxiliaryWindowPlacement::notice(),
         {1200, 300},
         {400, 200},
         {1100, 224 + 60, 400, 200}},
        {"About, its gap the widest",
         AuxiliaryWindowPlacement::about(),
         {300, 300},
         {300, 200},
         {350, 24 + 120, 300, 200}},
        {"help on the third screen: centred on its visible area, beside the dock",
         AuxiliaryWindowPlacement::help(),
         {-600, 10},
         {500, 400},
         {-1120 + 560 - 250, 76 + 24 + 40, 500, 400}},
        // The left and top edges of a frame belong to its screen, the right
        // and bottom ones do not; a pointer on no screen picks the first.
        {"the main screen's right edge is the second's left",
         AuxiliaryWindowPlacement::notice(),
         {1000, 300},
         {400, 200},
         {1100, 284, 400, 200}},
        {"the second screen's top edge",
         AuxiliaryWindowPlacement::notice(),
         {1200, 600},
         {400, 200},
         {1100, 284, 400, 200}},
        {"the second screen's bottom edge is no screen's",
         AuxiliaryWindowPlacement::notice(),
         {1200, 100},
         {400, 200},
         {300, 84, 400, 200}},
        {"the pointer on no screen",
         AuxiliaryWindowPlacement::settings(),
         {5000, 5000},
         {560, 600},
         {220, 24 + 40, 560, 600}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.placement.frame(desk, c.pointer, c.size), c.expected);
    }
}

TEST(AuxiliaryWindowPlacementTest, OnlyTheSidesAWindowAsksForAreShrunkToTheVisibleAreaLessTheMargin) {
    // One screen 1200 × 724 whose visible area is 1200 × 700.
    const std::vector<Screen> small{screen(core::Rect(0, 0, 1200, 724))};
    const std::vector<Screen> tiny{screen(core::Rect(0, 0, 30, 50))};
    const struct {
        const char* name;
        AuxiliaryWindowPlacement placement;
        const std::vector<Screen>& screens;
        core::Size size;
        core::Rect expected;
    } cases[] = {
        {"settings: too tall, shrunk to 660 and still 40 below the top",
         AuxiliaryWindowPlacement::settings(),
         small,
         {560, 900},
         {320, 64, 560, 660}},
        {"settings: too wide keeps its width, centred past the edges",
         AuxiliaryWindowPlacement::settings(),
         small,
         {1500, 600},
         {-150, 64, 1500, 600}},
        {"settings: a window that fits keeps its size",
         AuxiliaryWindowPlacement::settings(),
         small,
         {560, 660},
         {320, 64, 560, 660}},
        {"help: both sides shrunk",
         AuxiliaryWindowPlacement::help(),
         small,
         {1500, 900},
         {20, 64, 1160, 660}},
        {"a notice is never shrunk",
         AuxiliaryWindowPlacement::notice(),
         small,
         {1500, 900},
         {-150, 84, 1500, 900}},
        {"a screen smaller than the margin leaves no size, never a negative one",
         AuxiliaryWindowPlacement::help(),
         tiny,
         {500, 400},
         {15, 64, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.placement.frame(c.screens, {10, 10}, c.size), c.expected);
    }
}

TEST(AuxiliaryWindowPlacementTest, WithoutAScreenNothingIsPlaced) {
    for (const auto& placement : {AuxiliaryWindowPlacement::settings(), AuxiliaryWindowPlacement::help(),
                                  AuxiliaryWindowPlacement::notice(), AuxiliaryWindowPlacement::about()}) {
        EXPECT_EQ(placement.frame({}, {0, 0}, {560, 400}), std::nullopt) << placement.topGap();
    }
}

} // namespace PELLACOR_TEST_FILE
