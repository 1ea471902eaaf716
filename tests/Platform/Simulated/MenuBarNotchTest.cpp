#include "Platform/AccessibilityName.h"
#include "Platform/Simulated/MenuBarLayout.h"
#include "Platform/Simulated/SimulatedAccessibility.h"
#include "Platform/Simulated/SimulatedDesktop.h"
#include "Support/DesktopBuilders.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;
using pellacor::testing::application;
using pellacor::testing::identifiers;
using pellacor::testing::statusItem;

namespace {

SimulatedStatusItem chevron() {
    SimulatedStatusItem result = statusItem("chevron", 16);
    result.kind = SimulatedStatusItem::Kind::system;
    result.systemItemNumber = 5;
    result.isOverflowChevron = true;
    return result;
}

// A 1000-point screen whose housing covers 400 to 600: the items have the 400
// points right of it.
struct MenuBarNotchTest : ::testing::Test {
    SimulatedScreen notched{core::Rect(0, 0, 1000, 800), 24, 200};
    SimulatedScreen plain{core::Rect(0, 0, 1000, 800), 24};
    std::vector<SimulatedApplication> apps{
        application("com.apple.MenuBarAgent", 10, {chevron()}),
        application("com.example.a", 11, {statusItem("a1", 100), statusItem("a2", 150)}),
        application("com.example.b", 12, {statusItem("b1", 140), statusItem("b2", 30)}),
    };
};

} // namespace

TEST_F(MenuBarNotchTest, ItemsThatDoNotFitRightOfTheHousingFoldUnderTheChevron) {
    // a1 900-1000, a2 750-900; b1 would reach 610 but b2 left of it would pass
    // 600, so b2 folds and the chevron takes b1's place too (610 - 16 < 600).
    const auto placed = MenuBarLayout::place(notched, notched.frame, apps, std::nullopt);
    EXPECT_EQ(identifiers(placed), (std::vector<std::string>{"chevron", "a2", "a1"}));
    EXPECT_EQ(placed.front().frame, core::Rect(734, 0, 16, 24));
    EXPECT_EQ(placed.front().ownerBundleIdentifier, std::optional<std::string>("com.apple.MenuBarAgent"));

    apps[2].statusItems = {statusItem("b1", 100)};
    EXPECT_EQ(identifiers(MenuBarLayout::place(notched, notched.frame, apps, std::nullopt)),
              (std::vector<std::string>{"b1", "a2", "a1"}))
        << "everything fits (650 to 1000): no chevron";
}

TEST_F(MenuBarNotchTest, WithoutAHousingTheBarFoldsOnlyAtTheLeftEdgeAndShowsNoChevron) {
    EXPECT_EQ(identifiers(MenuBarLayout::place(plain, plain.frame, apps, std::nullopt)),
              (std::vector<std::string>{"b2", "b1", "a2", "a1"}));
}

TEST_F(MenuBarNotchTest, NoRestrictionTakesTheChevronAway) {
    const MenuBarRestriction onlyA{{}, {"com.example.a"}};
    apps[1].statusItems.push_back(statusItem("a3", 200));
    EXPECT_EQ(identifiers(MenuBarLayout::place(notched, notched.frame, apps, onlyA)),
              (std::vector<std::string>{"chevron", "a2", "a1"}));
}

TEST_F(MenuBarNotchTest, AccessibilityListsTheChevronOnlyWhileItStandsOnTheBar) {
    auto desktop = std::make_shared<SimulatedDesktop>(std::vector<SimulatedScreen>{notched}, apps);
    SimulatedAccessibility accessibility(desktop, true);
    const auto childCount = [&] {
        const auto bar = accessibility.copyAttributeValue(accessibility.createApplication(10),
                                                          AccessibilityName::extrasMenuBar);
        if (!bar.value || bar.value->element() == nullptr) {
            return std::size_t{0};
        }
        const auto children =
            accessibility.copyAttributeValue(*bar.value->element(), AccessibilityName::children);
        return children.value && children.value->elements() ? children.value->elements()->size()
                                                            : std::size_t{0};
    };
    EXPECT_EQ(childCount(), 1U);
    desktop->setStatusItems(12, {statusItem("b1", 100)});
    EXPECT_EQ(childCount(), 0U) << "nothing folds, so there is no chevron to read";
}

} // namespace PELLACOR_TEST_FILE
