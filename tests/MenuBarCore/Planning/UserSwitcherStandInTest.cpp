#include "MenuBarCore/Planning/UserSwitcherStandIn.h"

#include "MenuBarCore/Planning/OwnItemPlacement.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {
namespace {

using pellacor::core::ItemSnapshot;
using pellacor::core::MenuBarState;
using pellacor::core::OwnItemPlacement;
using pellacor::core::Rect;
using pellacor::core::UserSwitcherStandIn;

const std::string agent = "com.apple.MenuBarAgent";
const std::string switcherID = "com.apple.menuextra.user";

ItemSnapshot agentItem(std::optional<std::string> identifier, int index, double x, double width = 30) {
    return ItemSnapshot(agent, 90, std::move(identifier), std::nullopt, std::nullopt, index,
                        Rect(x, 0, width, 24));
}

TEST(UserSwitcherStandInTest, FindsTheRealSwitcher) {
    EXPECT_EQ(UserSwitcherStandIn::ownerBundleID, agent);
    EXPECT_EQ(UserSwitcherStandIn::identifier, switcherID);

    std::vector<ItemSnapshot> items{
        agentItem(std::nullopt, 0, 800),
        ItemSnapshot("com.example.other", 7, switcherID, std::nullopt, std::nullopt, 0, Rect(850, 0, 20, 24)),
        agentItem("com.apple.menuextra.USER", 1, 900),
        agentItem(switcherID, 2, 950),
        agentItem(switcherID, 3, 1000),
    };
    auto real = UserSwitcherStandIn::real(items);
    ASSERT_TRUE(real.has_value());
    EXPECT_EQ(*real, items[3]);
    EXPECT_TRUE(UserSwitcherStandIn::contains(items));

    items.erase(items.begin() + 3, items.end());
    EXPECT_EQ(UserSwitcherStandIn::real(items), std::nullopt);
    EXPECT_FALSE(UserSwitcherStandIn::contains(items));
    EXPECT_FALSE(UserSwitcherStandIn::contains({}));
}

TEST(UserSwitcherStandInTest, UpdateTable) {
    const std::vector<ItemSnapshot> withReal{agentItem(std::nullopt, 0, 900), agentItem(switcherID, 1, 950)};
    const std::vector<ItemSnapshot> none{agentItem(std::nullopt, 0, 900)};
    // A chevron-sized item with the highest index, leftmost of the agent's.
    const std::vector<ItemSnapshot> chevron{agentItem(std::nullopt, 0, 900),
                                            agentItem(std::nullopt, 5, 710, 16)};
    using Answer = std::optional<bool>;
    struct Case {
        Answer current;
        const std::vector<ItemSnapshot>* items;
        bool unrestricted;
        Answer expected;
    } cases[] = {
        {std::nullopt, &withReal, false, true},
        {false, &withReal, true, true},
        {std::nullopt, &none, false, std::nullopt},
        {true, &none, false, true},
        {false, &none, false, false},
        {std::nullopt, &none, true, false},
        {true, &none, true, false},
        {std::nullopt, &chevron, true, std::nullopt},
        {true, &chevron, true, true},
        {true, &chevron, false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UserSwitcherStandIn::update(c.current, *c.items, c.unrestricted), c.expected)
            << "current " << testing::PrintToString(c.current) << ", " << c.items->size() << " items, "
            << (c.unrestricted ? "lifted" : "restricted");
    }
}

TEST(UserSwitcherStandInTest, SettingHint) {
    struct Case {
        std::optional<int> value;
        std::optional<bool> expected;
    } cases[] = {
        {std::nullopt, std::nullopt},
        {10, true},
        {2, true},
        {8, false},
        {0, std::nullopt},
        {4, std::nullopt},
        {18, true},
        {24, false},
        {1, std::nullopt},
        {-1, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UserSwitcherStandIn::settingHint(c.value), c.expected) << testing::PrintToString(c.value);
    }
}

TEST(UserSwitcherStandInTest, ShouldShowFallback) {
    struct Case {
        double sincePress;
        double sinceInput;
        bool expected;
    } cases[] = {
        {8.0, 8.0, true},   {8.01, 9.0, false}, {2.0, 1.9, false}, {2.0, 1.96, true},
        {-0.1, 5.0, false}, {0.0, 0.0, true},   {3.0, 3.0, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UserSwitcherStandIn::shouldShowFallback(c.sincePress, c.sinceInput), c.expected)
            << c.sincePress << " s since the press, " << c.sinceInput << " s since the last input";
    }
}

TEST(UserSwitcherStandInTest, ShouldShowOnlyWhileHidingWithTheRealOneInTheBar) {
    for (MenuBarState state : pellacor::core::allMenuBarStates) {
        bool hiding = state == MenuBarState::collapsed || state == MenuBarState::revealed;
        SCOPED_TRACE(pellacor::core::toString(state));
        EXPECT_EQ(UserSwitcherStandIn::shouldShow(true, state, true), hiding);
        EXPECT_FALSE(UserSwitcherStandIn::shouldShow(false, state, true));
        EXPECT_FALSE(UserSwitcherStandIn::shouldShow(true, state, false));
        EXPECT_FALSE(UserSwitcherStandIn::shouldShow(true, state, std::nullopt));
    }
}

TEST(OwnItemPlacementTest, JudgesReplicasOverTime) {
    bool seen = false;
    EXPECT_EQ(OwnItemPlacement::judgeReplicas(0, seen), std::nullopt);
    EXPECT_FALSE(seen);
    EXPECT_EQ(OwnItemPlacement::judgeReplicas(-3, seen), std::nullopt);
    EXPECT_EQ(OwnItemPlacement::judgeReplicas(1, seen), true);
    EXPECT_TRUE(seen);
    EXPECT_EQ(OwnItemPlacement::judgeReplicas(0, seen), false);
    EXPECT_TRUE(seen);
    EXPECT_EQ(OwnItemPlacement::judgeReplicas(2, seen), true);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
