#include "Platform/AccessibilityName.h"
#include "Platform/Simulated/SimulatedAccessibility.h"
#include "Platform/Simulated/SimulatedWindowServer.h"
#include "Support/VirtualClock.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;
using namespace std::chrono_literals;
using Name = AccessibilityName;

namespace {

SimulatedStatusItem item(std::string identifier, std::string role = "AXMenuBarItem") {
    SimulatedStatusItem result;
    result.identifier = std::move(identifier);
    result.role = std::move(role);
    result.menu.openDelay = 0ms;
    result.menu.openFor = std::nullopt;
    return result;
}

// One application with a plain item and a group item, both on the bar, on a
// desktop whose clock is the one the accessibility interface spends latency on.
struct SimulatedAccessibilityActionsTest : ::testing::Test {
    SimulatedAccessibilityActionsTest() {
        SimulatedApplication app;
        app.bundleIdentifier = "com.example.a";
        app.processIdentifier = 10;
        app.statusItems = {item("a.plain"), item("a.group", std::string(Name::groupRole))};
        desktop = std::make_shared<SimulatedDesktop>(std::vector<SimulatedScreen>{SimulatedScreen{}},
                                                     std::vector<SimulatedApplication>{app});
        desktop->setClock([this] { return clock.elapsed(); });
        accessibility = std::make_shared<SimulatedAccessibility>(desktop, true, clock.spendFunction());
    }

    AccessibilityElement bar() {
        auto result =
            accessibility->copyAttributeValue(accessibility->createApplication(10), Name::extrasMenuBar);
        return *result.value->element();
    }
    std::vector<AccessibilityElement> items() {
        return *accessibility->copyAttributeValue(bar(), Name::children).value->elements();
    }
    AccessibilityElement inner() {
        return accessibility->copyAttributeValue(items().at(1), Name::children).value->elements()->at(0);
    }
    Accessibility::CopyResult names(std::vector<std::string> actions) {
        AccessibilityValue::Array array;
        for (auto& action : actions) {
            array.push_back(AccessibilityValue{std::move(action)});
        }
        return Accessibility::CopyResult{AccessibilityError::success, AccessibilityValue{std::move(array)}};
    }
    void changeItem(std::size_t index, const std::function<void(SimulatedStatusItem&)>& change) {
        auto list = desktop->application(10)->statusItems;
        change(list.at(index));
        ASSERT_TRUE(desktop->setStatusItems(10, list));
    }
    std::size_t openMenus() {
        std::size_t count = 0;
        for (const auto& window : desktop->windows()) {
            count += window.layer == SimulatedDesktop::menuLayer ? 1 : 0;
        }
        return count;
    }

    pellacor::testing::VirtualClock clock;
    std::shared_ptr<SimulatedDesktop> desktop;
    std::shared_ptr<SimulatedAccessibility> accessibility;
};

TEST_F(SimulatedAccessibilityActionsTest, ItemsOfferTheirActionsAndGroupsInnerItemsArePressable) {
    EXPECT_EQ(accessibility->copyActionNames(accessibility->createApplication(10)), names({}));
    EXPECT_EQ(accessibility->copyActionNames(bar()), names({}));
    EXPECT_EQ(accessibility->copyActionNames(items().at(0)), names({"AXPress"}));
    changeItem(1, [](SimulatedStatusItem& item) { item.accessibility.actions = {"AXShowMenu"}; });
    EXPECT_EQ(accessibility->copyActionNames(items().at(1)), names({"AXShowMenu"}));
    EXPECT_EQ(accessibility->copyActionNames(inner()), names({"AXPress"}));
    changeItem(0, [](SimulatedStatusItem& item) { item.accessibility.actionNamesError = -25200; });
    EXPECT_EQ(accessibility->copyActionNames(items().at(0)).error, -25200);
    EXPECT_EQ(accessibility->copyActionNames(accessibility->createApplication(99)).error,
              AccessibilityError::invalidUIElement);
}

TEST_F(SimulatedAccessibilityActionsTest, PressingAnItemOpensItsMenuUnlessThePressFails) {
    EXPECT_EQ(accessibility->performAction(items().at(0), Name::pressAction), AccessibilityError::success);
    EXPECT_EQ(openMenus(), 1u);
    EXPECT_EQ(desktop->presses().back().index, 0u);

    // The inner item of a group presses the group's status item.
    EXPECT_EQ(accessibility->performAction(inner(), Name::pressAction), AccessibilityError::success);
    EXPECT_EQ(desktop->presses().back().index, 1u);

    EXPECT_EQ(accessibility->performAction(items().at(0), "AXCancel"), AccessibilityError::actionUnsupported);
    EXPECT_EQ(accessibility->performAction(bar(), Name::pressAction), AccessibilityError::actionUnsupported);
    EXPECT_EQ(desktop->presses().size(), 2u);

    struct Case {
        std::int32_t answer;
        bool pressed;
    };
    for (const Case c :
         {Case{AccessibilityError::cannotComplete, true}, Case{AccessibilityError::failure, false},
          Case{AccessibilityError::actionUnsupported, false}}) {
        changeItem(0, [&](SimulatedStatusItem& item) {
            item.accessibility.actionErrors = {{"AXPress", c.answer}};
        });
        const auto before = desktop->presses().size();
        EXPECT_EQ(accessibility->performAction(items().at(0), Name::pressAction), c.answer);
        EXPECT_EQ(desktop->presses().size() - before, c.pressed ? 1u : 0u) << c.answer;
    }
    ASSERT_TRUE(desktop->setRunning(10, false));
    EXPECT_EQ(accessibility->performAction(AccessibilityElement(), Name::pressAction),
              AccessibilityError::illegalArgument);
}

TEST_F(SimulatedAccessibilityActionsTest, ASlowItemAnswersTooLateButTakesThePressWhenItsLatencyHasPassed) {
    changeItem(0, [](SimulatedStatusItem& item) { item.accessibility.latency = 300ms; });
    const auto target = items().at(0);
    accessibility->setMessagingTimeout(target, 0.25F);
    EXPECT_EQ(accessibility->performAction(target, Name::pressAction), AccessibilityError::cannotComplete);
    EXPECT_EQ(clock.elapsed(), 250ms) << "the caller waited its time-out";
    EXPECT_EQ(openMenus(), 0u);
    clock.advance(49ms);
    EXPECT_EQ(openMenus(), 0u);
    clock.advance(1ms);
    EXPECT_EQ(openMenus(), 1u) << "the press reached the item at 300 ms";

    accessibility->setMessagingTimeout(target, 0.5F);
    EXPECT_EQ(accessibility->copyActionNames(target), names({"AXPress"}));
    EXPECT_EQ(clock.elapsed(), 600ms);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
