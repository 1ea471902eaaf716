#include "Platform/Simulated/SimulatedAccessibility.h"

#include "Platform/AccessibilityName.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/VirtualClock.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;
using namespace std::chrono_literals;
using Name = AccessibilityName;

namespace {

SimulatedStatusItem item(std::optional<std::string> identifier, std::optional<std::string> description,
                         double width, std::string role = "AXMenuBarItem") {
    SimulatedStatusItem result;
    result.identifier = std::move(identifier);
    result.description = std::move(description);
    result.width = width;
    result.role = std::move(role);
    return result;
}

SimulatedApplication app(std::string bundle, std::int32_t pid, std::vector<SimulatedStatusItem> items) {
    SimulatedApplication result;
    result.bundleIdentifier = std::move(bundle);
    result.processIdentifier = pid;
    result.bundlePath = "/Applications/" + std::to_string(pid) + ".app";
    result.statusItems = std::move(items);
    return result;
}

std::optional<AccessibilityValue> pointValue(double x, double y) {
    return AccessibilityValue{core::Point{x, y}};
}
std::optional<AccessibilityValue> sizeValue(double width, double height) {
    return AccessibilityValue{core::Size{width, height}};
}
Accessibility::CopyResult failed(std::int32_t code) {
    return Accessibility::CopyResult{code, std::nullopt};
}
Accessibility::CopyResult noValue() {
    return failed(AccessibilityError::noValue);
}

// Two applications with items and one without, on a 1512-point screen with a 24-point bar:
// a.one stands at x 1482, the group at 1462, c.one at 1422.
struct SimulatedAccessibilityTest : ::testing::Test {
    std::shared_ptr<SimulatedDesktop> desktop = std::make_shared<SimulatedDesktop>(
        std::vector<SimulatedScreen>{SimulatedScreen{}},
        std::vector<SimulatedApplication>{
            app("com.example.a", 10,
                {item("a.one", "One", 30), item("a.group", "Group", 20, std::string(Name::groupRole))}),
            app("com.example.b", 11, {}), app("com.example.c", 12, {item("c.one", std::nullopt, 40)})});
    pellacor::testing::VirtualClock virtualTime;
    SimulatedAccessibility accessibility{desktop, true, virtualTime.spendFunction()};

    Accessibility::CopyResult copy(const AccessibilityElement& element, std::string_view attribute) {
        return accessibility.copyAttributeValue(element, attribute);
    }
    AccessibilityElement element(const AccessibilityElement& parent, std::string_view attribute) {
        auto result = copy(parent, attribute);
        EXPECT_EQ(result.error, AccessibilityError::success) << attribute;
        return result.value && result.value->element() ? *result.value->element() : AccessibilityElement();
    }
    std::vector<AccessibilityElement> children(const AccessibilityElement& parent) {
        auto result = copy(parent, Name::children);
        EXPECT_EQ(result.error, AccessibilityError::success);
        return result.value ? result.value->elements().value_or(std::vector<AccessibilityElement>{})
                            : std::vector<AccessibilityElement>{};
    }
    std::optional<std::string> text(const AccessibilityElement& element, std::string_view attribute) {
        auto result = copy(element, attribute);
        return result.value && result.value->string() ? std::optional(*result.value->string()) : std::nullopt;
    }
    std::vector<AccessibilityElement> itemsOf(std::int32_t pid) {
        return children(element(accessibility.createApplication(pid), Name::extrasMenuBar));
    }
};

TEST_F(SimulatedAccessibilityTest, ApplicationsExtrasBarsAndItemsAnswerTypedValuesWithFramesFromTheBar) {
    const auto application = accessibility.createApplication(10);
    EXPECT_EQ(text(application, Name::role), "AXApplication");
    const auto bar = element(application, Name::extrasMenuBar);
    EXPECT_EQ(text(bar, Name::role), "AXMenuBar");
    EXPECT_EQ(text(element(bar, Name::parent), Name::role), "AXApplication");

    const auto items = children(bar);
    ASSERT_EQ(items.size(), 2U);
    const auto& plain = items[0];
    EXPECT_EQ(text(plain, Name::role), "AXMenuBarItem");
    EXPECT_EQ(text(plain, Name::identifier), "a.one");
    EXPECT_EQ(text(plain, Name::description), "One");
    EXPECT_EQ(copy(plain, Name::title), noValue());
    EXPECT_EQ(copy(plain, Name::position).value, pointValue(1482, 0));
    EXPECT_EQ(copy(plain, Name::size).value, sizeValue(30, 24));
    EXPECT_EQ(text(element(plain, Name::parent), Name::role), "AXMenuBar");
    EXPECT_TRUE(children(plain).empty());
    EXPECT_EQ(copy(plain, "AXEnabled").error, AccessibilityError::attributeUnsupported);

    // A group carries no texts; its one child is the real item.
    const auto& group = items[1];
    EXPECT_EQ(text(group, Name::role), "AXGroup");
    EXPECT_EQ(copy(group, Name::identifier).error, AccessibilityError::noValue);
    EXPECT_EQ(copy(group, Name::description).error, AccessibilityError::noValue);
    EXPECT_EQ(copy(group, Name::position).value, pointValue(1462, 0));
    const auto inner = children(group);
    ASSERT_EQ(inner.size(), 1U);
    EXPECT_EQ(text(inner[0], Name::role), "AXMenuBarItem");
    EXPECT_EQ(text(inner[0], Name::identifier), "a.group");
    EXPECT_EQ(text(inner[0], Name::description), "Group");
    EXPECT_EQ(copy(inner[0], Name::size).value, sizeValue(20, 24));
    EXPECT_EQ(text(element(inner[0], Name::parent), Name::role), "AXGroup");

    EXPECT_EQ(copy(itemsOf(12).at(0), Name::position).value, pointValue(1422, 0));
    EXPECT_EQ(copy(accessibility.createApplication(11), Name::extrasMenuBar).error,
              AccessibilityError::noValue)
        << "an application without items has no extras bar";
    EXPECT_EQ(copy(accessibility.createApplication(99), Name::role).error,
              AccessibilityError::invalidUIElement);
    EXPECT_EQ(virtualTime.elapsed(), 0ns) << "no latency, no time";
}

// An item that leaves the bar under a restriction is not read at all then, as
// the system removes it: its place off the bar would otherwise stand left of
// every other item of its owner.
TEST_F(SimulatedAccessibilityTest, AnItemHiddenWhileRestrictedIsReadOnlyWithoutARestriction) {
    SimulatedStatusItem user = item("a.user", "User", 28);
    user.hiddenWhileRestricted = true;
    ASSERT_TRUE(desktop->setStatusItems(10, {user, item("a.one", "One", 30)}));
    ASSERT_EQ(itemsOf(10).size(), 2U);

    desktop->setRestriction(MenuBarRestriction{{}, {"com.example.a"}});
    const auto restricted = itemsOf(10);
    ASSERT_EQ(restricted.size(), 1U);
    EXPECT_EQ(text(restricted[0], Name::identifier), "a.one");

    desktop->setRestriction(std::nullopt);
    EXPECT_EQ(itemsOf(10).size(), 2U);
}

TEST_F(SimulatedAccessibilityTest, ItemsOffTheBarStandOutsideEveryScreenAndGoneItemsAreInvalid) {
    const auto before = itemsOf(10);
    desktop->setRestriction(MenuBarRestriction{{}, {"com.example.c"}});
    EXPECT_EQ(copy(before[0], Name::position).value,
              AccessibilityValue{SimulatedAccessibility::offBarPosition});
    EXPECT_EQ(copy(before[0], Name::size).value, sizeValue(30, 24));
    EXPECT_EQ(copy(itemsOf(12).at(0), Name::position).value, pointValue(1472, 0))
        << "the one allowed item moves to the right end";

    ASSERT_TRUE(desktop->setStatusItems(10, {item("a.one", "One", 30)}));
    EXPECT_EQ(copy(before[0], Name::identifier).error, AccessibilityError::success);
    EXPECT_EQ(copy(before[1], Name::identifier).error, AccessibilityError::invalidUIElement);
    ASSERT_TRUE(desktop->setRunning(10, false));
    EXPECT_EQ(copy(before[0], Name::identifier).error, AccessibilityError::invalidUIElement);
}

TEST_F(SimulatedAccessibilityTest, EqualItemsOfOneOwnerTakeTheirPlacesInOrder) {
    ASSERT_TRUE(
        desktop->setStatusItems(12, {item("same", std::nullopt, 40), item("same", std::nullopt, 40)}));
    const auto items = itemsOf(12);
    ASSERT_EQ(items.size(), 2U);
    EXPECT_EQ(copy(items[0], Name::position).value, pointValue(1422, 0));
    EXPECT_EQ(copy(items[1], Name::position).value, pointValue(1382, 0));
}

TEST_F(SimulatedAccessibilityTest, LatencyIsSpentOnTheInjectedClockAndAnswersPastTheTimeOutCannotComplete) {
    struct Case {
        std::chrono::milliseconds latency;
        float timeout; // 0: none set
        std::int32_t error;
        std::chrono::milliseconds spent;
    };
    const std::vector<Case> cases = {
        {100ms, 0.25F, AccessibilityError::success, 100ms},
        {250ms, 0.25F, AccessibilityError::success, 250ms},
        {300ms, 0.25F, AccessibilityError::cannotComplete, 250ms},
        {5000ms, 0, AccessibilityError::success, 5000ms},
        {7000ms, 0, AccessibilityError::cannotComplete, 6000ms},
    };
    for (const Case& c : cases) {
        auto items = desktop->application(12)->statusItems;
        items[0].accessibility.latency = c.latency;
        ASSERT_TRUE(desktop->setStatusItems(12, items));
        const auto target = itemsOf(12).at(0);
        if (c.timeout > 0) {
            ASSERT_EQ(accessibility.setMessagingTimeout(target, c.timeout), AccessibilityError::success);
        }
        const auto before = virtualTime.elapsed();
        const auto result = copy(target, Name::identifier);
        EXPECT_EQ(result.error, c.error) << c.latency.count();
        EXPECT_EQ(result.value.has_value(), c.error == AccessibilityError::success);
        EXPECT_EQ(virtualTime.elapsed() - before, c.spent) << c.latency.count();
    }

    // The application's latency covers its element and its bar, not its items.
    auto slow = *desktop->application(10);
    slow.accessibility.latency = 1s;
    ASSERT_TRUE(desktop->setRunning(10, false));
    slow.processIdentifier = 20;
    ASSERT_TRUE(desktop->addApplication(slow));
    const auto application = accessibility.createApplication(20);
    accessibility.setMessagingTimeout(application, 0.25F);
    auto before = virtualTime.elapsed();
    EXPECT_EQ(copy(application, Name::extrasMenuBar).error, AccessibilityError::cannotComplete);
    EXPECT_EQ(virtualTime.elapsed() - before, 250ms);
    accessibility.setMessagingTimeout(application, 0);
    const auto bar = element(application, Name::extrasMenuBar);
    const auto items = children(bar);
    before = virtualTime.elapsed();
    EXPECT_EQ(text(items.at(0), Name::identifier), "a.one");
    EXPECT_EQ(virtualTime.elapsed() - before, 0ns);
}

TEST_F(SimulatedAccessibilityTest, AttributeErrorsTakeThePlaceOfAnswers) {
    auto a = *desktop->application(10);
    a.accessibility.attributeErrors = {{"AXExtrasMenuBar", -25211}};
    auto c = *desktop->application(12);
    c.statusItems[0].accessibility.attributeErrors = {{"AXPosition", AccessibilityError::noValue},
                                                      {"AXIdentifier", AccessibilityError::success}};
    ASSERT_TRUE(desktop->setRunning(10, false));
    ASSERT_TRUE(desktop->setRunning(12, false));
    a.processIdentifier = 30;
    c.processIdentifier = 32;
    ASSERT_TRUE(desktop->addApplication(a));
    ASSERT_TRUE(desktop->addApplication(c));

    EXPECT_EQ(copy(accessibility.createApplication(30), Name::extrasMenuBar),
              failed(AccessibilityError::apiDisabled));
    const auto target = itemsOf(32).at(0);
    EXPECT_EQ(copy(target, Name::position).error, AccessibilityError::noValue);
    EXPECT_EQ(copy(target, Name::identifier), failed(AccessibilityError::success))
        << "code 0 answers success without a value";
    EXPECT_EQ(copy(target, Name::size).error, AccessibilityError::success);
}

TEST_F(SimulatedAccessibilityTest, RefusesForeignElementsAndNegativeTimeOuts) {
    EXPECT_EQ(accessibility.setMessagingTimeout(AccessibilityElement(), 1),
              AccessibilityError::illegalArgument);
    EXPECT_EQ(copy(AccessibilityElement(), Name::role).error, AccessibilityError::illegalArgument);
    SimulatedAccessibility other(desktop);
    EXPECT_EQ(copy(other.createApplication(10), Name::role).error, AccessibilityError::illegalArgument);
    EXPECT_EQ(accessibility.setMessagingTimeout(accessibility.createApplication(10), -1),
              AccessibilityError::illegalArgument);
}

TEST(SimulatedAccessibilityTrustTest, TheScenarioSetsTrustAndThePlatformHandsTheInterfacesOut) {
    Scenario scenario = Scenario::defaultScenario();
    EXPECT_TRUE(SimulatedPlatform(scenario).accessibility()->isProcessTrusted());
    scenario.accessibilityTrusted = false;
    SimulatedPlatform platform(scenario);
    EXPECT_FALSE(platform.accessibility()->isProcessTrusted());
    platform.accessibility()->setTrusted(true);
    const auto services = platform.services();
    ASSERT_NE(services.accessibility, nullptr);
    EXPECT_TRUE(services.accessibility->isProcessTrusted());

    ASSERT_NE(services.workspace, nullptr);
    const auto running = services.workspace->runningApplications();
    const auto desktopRunning = platform.desktop()->runningApplications();
    ASSERT_EQ(running.size(), desktopRunning.size());
    for (std::size_t i = 0; i < running.size(); ++i) {
        EXPECT_EQ(running[i].processIdentifier, desktopRunning[i].processIdentifier);
        EXPECT_EQ(running[i].bundleIdentifier, desktopRunning[i].bundleIdentifier);
        EXPECT_EQ(running[i].bundlePath, std::optional(desktopRunning[i].bundlePath));
    }
}

} // namespace
} // namespace PELLACOR_TEST_FILE
