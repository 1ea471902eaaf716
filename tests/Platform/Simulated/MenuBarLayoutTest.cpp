#include "Platform/Simulated/MenuBarLayout.h"

#include <gtest/gtest.h>

using namespace pellacor;
using namespace pellacor::platform;

namespace pellacor::core {
void PrintTo(const Rect& rect, std::ostream* out) {
    *out << rect.description();
}
} // namespace pellacor::core

namespace PELLACOR_TEST_FILE {
namespace {

SimulatedStatusItem item(std::string id, double width) {
    SimulatedStatusItem result;
    result.identifier = std::move(id);
    result.width = width;
    return result;
}

SimulatedStatusItem systemItem(std::string id, double width, int number) {
    auto result = item(std::move(id), width);
    result.kind = SimulatedStatusItem::Kind::system;
    result.systemItemNumber = number;
    return result;
}

SimulatedApplication app(std::optional<std::string> bundle, std::int32_t pid,
                         std::vector<SimulatedStatusItem> items, bool running = true) {
    SimulatedApplication result;
    result.bundleIdentifier = std::move(bundle);
    result.processIdentifier = pid;
    result.statusItems = std::move(items);
    result.isRunning = running;
    return result;
}

std::vector<std::string> identifiers(const std::vector<PlacedStatusItem>& placed) {
    std::vector<std::string> ids;
    for (const auto& p : placed) {
        ids.push_back(p.item.identifier.value_or("?"));
    }
    return ids;
}

class MenuBarLayoutTest : public ::testing::Test {
protected:
    SimulatedScreen screen{core::Rect(0, 0, 1000, 800), 24};
    std::vector<SimulatedApplication> apps{
        app("com.example.a", 11, {item("a1", 20), item("a2", 30)}),
        app("com.apple.controlcenter", 12, {systemItem("clock", 100, 0), systemItem("cc", 32, 1)}),
        app("com.example.b", 13, {item("b1", 40)}),
        app(std::nullopt, 14, {item("anon", 10)}),
        app("com.example.off", 15, {item("off1", 50)}, /*running=*/false),
    };
};

TEST_F(MenuBarLayoutTest, PlacesSystemItemsRightmostThenApplicationsLeftwardsWithTheirWidths) {
    auto placed = MenuBarLayout::place(screen, screen.frame, apps, std::nullopt);
    // Left to right: the last application's items are furthest left; items of
    // stopped applications are absent.
    EXPECT_EQ(identifiers(placed), (std::vector<std::string>{"anon", "b1", "a2", "a1", "cc", "clock"}));
    std::vector<core::Rect> frames;
    for (const auto& p : placed) {
        frames.push_back(p.frame);
    }
    EXPECT_EQ(frames, (std::vector<core::Rect>{{768, 0, 10, 24},
                                               {778, 0, 40, 24},
                                               {818, 0, 30, 24},
                                               {848, 0, 20, 24},
                                               {868, 0, 32, 24},
                                               {900, 0, 100, 24}}));
    EXPECT_EQ(placed[1].ownerBundleIdentifier, "com.example.b");
    EXPECT_EQ(placed[1].ownerProcessIdentifier, 13);
    EXPECT_EQ(placed[0].ownerBundleIdentifier, std::nullopt);
}

TEST_F(MenuBarLayoutTest, RestrictionKeepsAllowedOwnersAndAllowedSystemItemsOnly) {
    MenuBarRestriction restriction{{0}, {"com.example.b"}};
    auto placed = MenuBarLayout::place(screen, screen.frame, apps, restriction);
    EXPECT_EQ(identifiers(placed), (std::vector<std::string>{"b1", "clock"}));
    // The remaining items close up against the right edge.
    EXPECT_EQ(placed[0].frame, core::Rect(860, 0, 40, 24));

    // An application without a bundle identifier can never be allowed.
    MenuBarRestriction none{{}, {""}};
    EXPECT_TRUE(MenuBarLayout::place(screen, screen.frame, apps, none).empty());
}

TEST_F(MenuBarLayoutTest, AnItemHiddenWhileRestrictedShowsOnlyWithoutARestriction) {
    auto user = systemItem("user", 28, 4);
    user.hiddenWhileRestricted = true;
    apps.push_back(app("com.apple.MenuBarAgent", 16, {user}));

    auto free = MenuBarLayout::place(screen, screen.frame, apps, std::nullopt);
    EXPECT_EQ(identifiers(free), (std::vector<std::string>{"anon", "b1", "a2", "a1", "user", "cc", "clock"}));
    // Whatever a restriction allows, its system number and its owner included.
    MenuBarRestriction everything{{0, 1, 4}, {"com.apple.MenuBarAgent", "com.example.b"}};
    EXPECT_EQ(identifiers(MenuBarLayout::place(screen, screen.frame, apps, everything)),
              (std::vector<std::string>{"b1", "cc", "clock"}));
    EXPECT_FALSE(MenuBarLayout::isAllowed(user, "com.apple.MenuBarAgent", everything));
    EXPECT_TRUE(MenuBarLayout::isAllowed(user, "com.apple.MenuBarAgent", std::nullopt));
}

TEST_F(MenuBarLayoutTest, ItemsThatDoNotFitFoldAwayFromTheLeft) {
    SimulatedScreen narrow{core::Rect(0, 0, 150, 800), 24};
    auto placed = MenuBarLayout::place(narrow, narrow.frame, apps, std::nullopt);
    // clock (100) + cc (32) fit; a1 (20) would cross the left edge, so it and everything after it fold.
    EXPECT_EQ(identifiers(placed), (std::vector<std::string>{"cc", "clock"}));
}

TEST_F(MenuBarLayoutTest, FramesAreTopDownRelativeToTheFirstScreen) {
    // A main screen whose frame does not start at the origin: x keeps its value,
    // y is measured down from the top of the first screen.
    SimulatedScreen shifted{core::Rect(200, 100, 500, 700), 30};
    core::Rect firstScreen(0, 0, 1000, 800);
    auto placed = MenuBarLayout::place(shifted, firstScreen, apps, MenuBarRestriction{{0}, {}});
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed[0].frame, core::Rect(600, 0, 100, 30));
}

} // namespace
} // namespace PELLACOR_TEST_FILE
