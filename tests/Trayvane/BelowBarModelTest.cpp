#include "Trayvane/Panels/BelowBarModel.h"

#include "Trayvane/Panels/BelowBarCellFrames.h"
#include "Trayvane/Panels/BelowBarPlacement.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::BelowBarCellFrames;
using app::BelowBarModel;
using app::BelowBarPlacement;
using core::BelowBarEntry;
using core::Rect;
using Kind = platform::GlobalEventMonitor::EventKind;

namespace {

std::string nameOf(const std::string& bundleID) {
    return bundleID == "com.example.quillow" ? "Quillow Sync" : "Other";
}

platform::Screen screen(Rect frame, double menuBar = 24, double safeTop = 0) {
    platform::Screen result;
    result.frame = frame;
    result.visibleFrame = Rect(frame.minX(), frame.minY(), frame.width(), frame.height() - menuBar);
    result.safeAreaInsets.top = safeTop;
    return result;
}

} // namespace

TEST(BelowBarModelTest, LabelIsTheNameWithTheOrdinalWhenThereIsOne) {
    const std::vector<std::pair<BelowBarEntry, std::string>> cases{
        {{"com.example.quillow", 0, 547, std::nullopt}, "Quillow Sync"},
        {{"com.example.quillow", 0, 547, 1}, "Quillow Sync 1"},
        {{"com.example.quillow", 1, 547, 2}, "Quillow Sync 2"},
        {{"com.example.other", 4, std::nullopt, 12}, "Other 12"},
    };
    for (const auto& [entry, label] : cases) {
        EXPECT_EQ(BelowBarModel::label(entry, nameOf), label) << entry.id();
    }
    EXPECT_EQ(BelowBarModel::label({"com.example.x", 0, 1, 3}, nullptr), "com.example.x 3");
}

TEST(BelowBarModelTest, OneColumnPerEntryUpToEightAndTheWidthFollows) {
    for (std::size_t count = 1; count <= 20; ++count) {
        const int expected = count < 8 ? static_cast<int>(count) : 8;
        EXPECT_EQ(BelowBarModel::columns(count), expected) << count;
        const auto grid = BelowBarModel::grid(std::vector<double>(count, 80));
        EXPECT_EQ(grid.size.width, 2 * 8 + expected * 104 + (expected - 1) * 4) << count;
        ASSERT_EQ(grid.cells.size(), count);
    }
    EXPECT_EQ(BelowBarModel::grid(std::vector<double>(8, 80)).size.width, 876);
    EXPECT_EQ(BelowBarModel::grid(std::vector<double>(30, 80)).size.width, 876);
    EXPECT_EQ(BelowBarModel::columns(0), 0);
}

TEST(BelowBarModelTest, RowsFollowListOrderAreAsTallAsTheirTallestCellAndAlignToTheTop) {
    // Nine cells: the second is tall (its name wraps); the ninth starts a row.
    std::vector<double> heights(9, 64);
    heights[1] = 84;
    const auto grid = BelowBarModel::grid(heights);
    EXPECT_EQ(grid.cells[0], Rect(8, 8, 104, 64));
    EXPECT_EQ(grid.cells[1], Rect(116, 8, 104, 84));
    EXPECT_EQ(grid.cells[7], Rect(8 + 7 * 108, 8, 104, 64));
    EXPECT_EQ(grid.cells[8], Rect(8, 8 + 84 + 4, 104, 64)) << "the row below the tallest cell";
    EXPECT_EQ(grid.size.height, 8 + 84 + 4 + 64 + 8);
    EXPECT_EQ(BelowBarModel::cellHeight(18), 8 + 28 + 6 + 18 + 8);
}

TEST(BelowBarModelTest, EmptyListIsTheLineWithItsPadding) {
    EXPECT_EQ(BelowBarModel::emptySize({200, 18}), (core::Size{232, 42}));
}

TEST(BelowBarModelTest, MouseDownElsewhereClosesButAPlainClickOnTheControlItemDoesNot) {
    const Rect control(1200, 958, 28, 24);
    const core::Point on{1210, 970};
    const core::Point off{600, 500};
    constexpr std::uint64_t controlKey = 0x40000;
    constexpr std::uint64_t shift = 0x20000;
    struct Case {
        Kind kind;
        std::uint64_t flags;
        core::Point pointer;
        std::optional<Rect> frame;
        bool closes;
    };
    const std::vector<Case> cases{
        {Kind::leftMouseDown, 0, off, control, true},
        {Kind::otherMouseDown, 0, off, control, true},
        {Kind::rightMouseDown, 0, off, control, true},
        {Kind::leftMouseDown, 0, on, std::nullopt, true}, // control item unknown
        {Kind::rightMouseDown, 0, on, control, true},
        {Kind::leftMouseDown, controlKey, on, control, true},
        {Kind::leftMouseDown, controlKey | shift, on, control, true},
        {Kind::leftMouseDown, 0, on, control, false},
        {Kind::leftMouseDown, shift, on, control, false},
        {Kind::otherMouseDown, 0, on, control, false},
        // Edges: the frame's left and bottom belong to it, its right and top do not.
        {Kind::leftMouseDown, 0, {1200, 958}, control, false},
        {Kind::leftMouseDown, 0, {1228, 970}, control, true},
        {Kind::leftMouseDown, 0, {1210, 982}, control, true},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& c = cases[i];
        EXPECT_EQ(BelowBarModel::mouseDownCloses(c.kind, c.flags, c.pointer, c.frame), c.closes)
            << "case " << i;
    }
}

TEST(BelowBarModelTest, OnlyEscapeClosesFromTheKeyboard) {
    EXPECT_TRUE(BelowBarModel::keyDownCloses(53));
    for (const std::uint32_t other : {0U, 36U, 48U, 52U, 54U}) {
        EXPECT_FALSE(BelowBarModel::keyDownCloses(other)) << other;
    }
}

TEST(BelowBarPlacementTest, PicksThePointersScreenTheFirstWhenOnNoneAndNothingWithoutScreens) {
    const std::vector<Rect> screens{Rect(0, 0, 1512, 982), Rect(1512, 0, 1920, 1080),
                                    Rect(-1280, 200, 1280, 800)};
    struct Case {
        core::Point mouse;
        std::optional<std::size_t> index;
    };
    const std::vector<Case> cases{
        {{100, 100}, 0},   {{2000, 500}, 1},
        {{-20, 500}, 2},   {{1512, 500}, 1}, // a shared edge belongs to the screen whose left edge it is
        {{5000, 5000}, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BelowBarPlacement::pickScreen(c.mouse, screens), c.index) << c.mouse.x << "," << c.mouse.y;
    }
    EXPECT_EQ(BelowBarPlacement::pickScreen({0, 0}, {}), std::nullopt);
}

TEST(BelowBarPlacementTest, HangsUnderTheBarRightAlignedToTheControlItemAndStaysOnScreen) {
    const platform::Screen laptop = screen(Rect(0, 0, 1512, 982), 24);
    const platform::Screen external = screen(Rect(1512, 0, 1920, 1080), 24);
    const Rect control(1180, 958, 28, 24); // on the laptop's bar
    struct Case {
        std::string what;
        core::Size size;
        platform::Screen on;
        double thickness;
        std::optional<Rect> anchor;
        Rect frame;
    };
    const std::vector<Case> cases{
        {"under the control item",
         {336, 100},
         laptop,
         22,
         control,
         Rect(1208 - 336, 982 - 24 - 4 - 100, 336, 100)},
        {"no anchor: the screen's right edge less 8",
         {336, 100},
         laptop,
         22,
         std::nullopt,
         Rect(1504 - 336, 854, 336, 100)},
        {"anchor on another screen is ignored",
         {336, 100},
         external,
         22,
         control,
         Rect(3432 - 8 - 336, 1080 - 24 - 4 - 100, 336, 100)},
        {"anchor past the right margin",
         {100, 50},
         laptop,
         22,
         Rect(1500, 958, 20, 24),
         Rect(1504 - 100, 904, 100, 50)},
        {"wider than the room left of the anchor: 8 from the left edge",
         {1400, 100},
         laptop,
         22,
         control,
         Rect(8, 854, 1400, 100)},
        {"wider than the screen: still 8 from the left edge",
         {2000, 100},
         laptop,
         22,
         control,
         Rect(8, 854, 2000, 100)},
        {"taller than the screen: never below its bottom",
         {336, 2000},
         laptop,
         22,
         control,
         Rect(872, 0, 336, 2000)},
        {"a camera housing's inset is the bar",
         {336, 100},
         screen(Rect(0, 0, 1512, 982), 24, 32),
         22,
         control,
         Rect(872, 982 - 32 - 4 - 100, 336, 100)},
        {"the status bar's thickness when the bar is thinner",
         {336, 100},
         screen(Rect(0, 0, 1512, 982), 0),
         22,
         control,
         Rect(872, 982 - 22 - 4 - 100, 336, 100)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BelowBarPlacement::frame(c.size, c.on, c.thickness, c.anchor), c.frame) << c.what;
    }
}

TEST(BelowBarCellFramesTest, FindsTheFirstEntryWhoseFrameHoldsThePoint) {
    BelowBarCellFrames frames;
    const BelowBarEntry a{"com.example.a", 0, 1, std::nullopt};
    const BelowBarEntry b{"com.example.b", 0, 2, std::nullopt};
    const BelowBarEntry unlaid{"com.example.c", 0, 3, std::nullopt};
    frames.store(a.id(), Rect(8, 8, 104, 64));
    frames.store(b.id(), Rect(116, 8, 104, 64));
    frames.store(b.id(), Rect(8, 8, 104, 64)); // moved onto a: replaced, a still first
    const std::vector<BelowBarEntry> entries{unlaid, a, b};
    EXPECT_EQ(frames.entry({10, 10}, entries), a);
    EXPECT_EQ(frames.entry({10, 10}, {unlaid, b, a}), b);
    EXPECT_EQ(frames.entry({120, 10}, entries), std::nullopt);
    EXPECT_EQ(frames.entry({112, 10}, entries), std::nullopt) << "the right edge is outside";
    EXPECT_EQ(frames.entry({8, 8}, entries), a) << "the left and top edges are inside";
}

} // namespace PELLACOR_TEST_FILE
