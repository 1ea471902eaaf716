#include "Platform/AccessibilityName.h"
#include "Platform/Simulated/SimulatedAccessibility.h"
#include "Support/VirtualClock.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;
using namespace std::chrono_literals;
using Name = AccessibilityName;

namespace {

SimulatedStatusItem item(std::string identifier, double width, std::string role = "AXMenuBarItem") {
    SimulatedStatusItem result;
    result.identifier = std::move(identifier);
    result.width = width;
    result.role = std::move(role);
    return result;
}

SimulatedApplication app(std::string bundle, std::int32_t pid, std::vector<SimulatedStatusItem> items) {
    SimulatedApplication result;
    result.bundleIdentifier = std::move(bundle);
    result.processIdentifier = pid;
    result.statusItems = std::move(items);
    return result;
}

// On a 1512-point screen with a 24-point bar (top-down y 0 to 24): a.one spans
// x 1482 to 1512, the group 1462 to 1482, c.one 1422 to 1462; the bar left of
// them is bare. A second screen stands right of the first, 98 points higher.
struct SimulatedAccessibilityHitTestTest : ::testing::Test {
    std::shared_ptr<SimulatedDesktop> desktop = std::make_shared<SimulatedDesktop>(
        std::vector<SimulatedScreen>{SimulatedScreen{}, SimulatedScreen{core::Rect(1512, 0, 1920, 1080)}},
        std::vector<SimulatedApplication>{
            app("com.example.a", 10, {item("a.one", 30), item("a.group", 20, std::string(Name::groupRole))}),
            app("com.example.b", 11, {}), app("com.example.c", 12, {item("c.one", 40)})});
    pellacor::testing::VirtualClock virtualTime;
    SimulatedAccessibility accessibility{desktop, true, virtualTime.spendFunction()};
    AccessibilityElement systemWide = accessibility.createSystemWide();

    struct Found {
        std::int32_t error = AccessibilityError::success;
        std::optional<std::string> role;
        std::optional<std::string> identifier;
        std::int32_t pid = 0;
        bool operator==(const Found&) const = default;
    };

    Found at(double x, double y, const AccessibilityElement* asking = nullptr) {
        const auto result = accessibility.copyElementAtPosition(asking != nullptr ? *asking : systemWide,
                                                                static_cast<float>(x), static_cast<float>(y));
        Found found{result.error, std::nullopt, std::nullopt, 0};
        if (result.error != AccessibilityError::success) {
            EXPECT_FALSE(result.element);
            return found;
        }
        const auto role = accessibility.copyAttributeValue(result.element, Name::role);
        if (role.value && role.value->string() != nullptr) {
            found.role = *role.value->string();
        }
        const auto identifier = accessibility.copyAttributeValue(result.element, Name::identifier);
        if (identifier.value && identifier.value->string() != nullptr) {
            found.identifier = *identifier.value->string();
        }
        const auto pid = accessibility.getPid(result.element);
        EXPECT_EQ(pid.error, AccessibilityError::success);
        found.pid = pid.processIdentifier;
        return found;
    }
};

const std::string menuBarItem(Name::menuBarItemRole);
const std::string menuBar(Name::menuBarRole);

} // namespace

TEST_F(SimulatedAccessibilityHitTestTest, FindsItemsTheBareStripAndNothingBelowIt) {
    struct Case {
        const char* what;
        double x, y;
        Found expected;
    } cases[] = {
        {"an item", 1490, 10, {AccessibilityError::success, menuBarItem, "a.one", 10}},
        {"a group's inner item", 1470, 10, {AccessibilityError::success, menuBarItem, "a.group", 10}},
        {"an item's left edge", 1422, 0, {AccessibilityError::success, menuBarItem, "c.one", 12}},
        {"the bare bar, no application active", 700, 10, {AccessibilityError::success, menuBar, {}, 0}},
        {"the bar of the second screen", 2000, -90, {AccessibilityError::success, menuBar, {}, 0}},
        {"just below the bar", 700, 24, {AccessibilityError::noValue, {}, {}, 0}},
        {"outside every screen", -5, 10, {AccessibilityError::noValue, {}, {}, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(at(c.x, c.y), c.expected) << c.what;
    }

    ASSERT_TRUE(desktop->activate(11));
    EXPECT_EQ(at(700, 10).pid, 11) << "the bare bar belongs to the active application";
    EXPECT_EQ(virtualTime.elapsed(), 0ns);
}

TEST_F(SimulatedAccessibilityHitTestTest, MenusStandInFrontOfTheBarOtherWindowsBehindIt) {
    ASSERT_TRUE(desktop->openWindow(12, SimulatedDesktop::menuLayer, core::Rect(1400, 5, 100, 100)));
    ASSERT_TRUE(desktop->openWindow(11, 0, core::Rect(600, 0, 300, 400)));
    ASSERT_TRUE(desktop->openWindow(10, 3, core::Rect(0, 500, 100, 100), false));

    EXPECT_EQ(at(1490, 10), (Found{AccessibilityError::success, std::string(Name::menuRole), {}, 12}));
    EXPECT_EQ(at(1490, 2).identifier, "a.one") << "above the menu";
    EXPECT_EQ(at(700, 10).role, menuBar) << "the bar covers the window";
    EXPECT_EQ(at(700, 100), (Found{AccessibilityError::success, std::string(Name::windowRole), {}, 11}));
    EXPECT_EQ(at(50, 550).error, AccessibilityError::noValue) << "a window off screen is not hit";
}

TEST_F(SimulatedAccessibilityHitTestTest, AnApplicationFindsOnlyItsOwnElements) {
    const auto c = accessibility.createApplication(12);
    EXPECT_EQ(at(1430, 10, &c).identifier, "c.one");
    EXPECT_EQ(at(1490, 10, &c).error, AccessibilityError::noValue);
    EXPECT_EQ(at(700, 10, &c).error, AccessibilityError::noValue) << "the bar belongs to no one active";
}

TEST_F(SimulatedAccessibilityHitTestTest, AnItemSlowerThanTheTimeOutCannotCompleteAndBadArgumentsAreRefused) {
    auto items = desktop->application(12)->statusItems;
    items[0].accessibility.latency = 300ms;
    ASSERT_TRUE(desktop->setStatusItems(12, items));
    ASSERT_EQ(accessibility.setMessagingTimeout(systemWide, 0.25F), AccessibilityError::success);
    EXPECT_EQ(at(1430, 10).error, AccessibilityError::cannotComplete);
    EXPECT_EQ(virtualTime.elapsed(), 250ms);
    EXPECT_EQ(at(700, 10).role, menuBar) << "the bare bar answers at once";
    EXPECT_EQ(virtualTime.elapsed(), 250ms);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(accessibility.copyElementAtPosition(systemWide, nan, 10).error,
              AccessibilityError::illegalArgument);
    const auto item = accessibility.copyElementAtPosition(systemWide, 1490, 10).element;
    EXPECT_EQ(accessibility.copyElementAtPosition(item, 1490, 10).error, AccessibilityError::illegalArgument)
        << "only the system-wide element and applications answer hit tests";
    EXPECT_EQ(accessibility.copyElementAtPosition(AccessibilityElement(), 1490, 10).error,
              AccessibilityError::illegalArgument);
    EXPECT_EQ(accessibility.getPid(systemWide).error, AccessibilityError::illegalArgument);
    EXPECT_EQ(accessibility.copyAttributeValue(systemWide, Name::role).value,
              AccessibilityValue{std::string(Name::systemWideRole)});
}

} // namespace PELLACOR_TEST_FILE
