#include "Platform/AccessibilityName.h"
#include "Platform/Simulated/SimulatedAccessibility.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;
using Name = AccessibilityName;

namespace {

SimulatedStatusItem item(std::string identifier, double width, std::string role = "AXMenuBarItem") {
    SimulatedStatusItem result;
    result.identifier = std::move(identifier);
    result.width = width;
    result.role = std::move(role);
    return result;
}

// On a 1512-point screen with a 24-point bar: a.one spans x 1482 to 1512, the
// group 1462 to 1482, b.one 1422 to 1462.
struct SimulatedAccessibilityEqualTest : ::testing::Test {
    std::shared_ptr<SimulatedDesktop> desktop = std::make_shared<SimulatedDesktop>(
        std::vector<SimulatedScreen>{SimulatedScreen{}},
        std::vector<SimulatedApplication>{
            [] {
                SimulatedApplication a;
                a.bundleIdentifier = "com.example.a";
                a.processIdentifier = 10;
                a.statusItems = {item("a.one", 30), item("a.group", 20, std::string(Name::groupRole))};
                return a;
            }(),
            [] {
                SimulatedApplication b;
                b.bundleIdentifier = "com.example.b";
                b.processIdentifier = 11;
                b.statusItems = {item("b.one", 40)};
                return b;
            }()});
    SimulatedAccessibility accessibility{desktop};

    AccessibilityElement at(float x, float y) {
        auto found = accessibility.copyElementAtPosition(accessibility.createSystemWide(), x, y);
        EXPECT_EQ(found.error, AccessibilityError::success);
        return found.element;
    }
    AccessibilityElement element(const AccessibilityElement& of, std::string_view attribute) {
        auto value = accessibility.copyAttributeValue(of, attribute);
        EXPECT_TRUE(value.value && value.value->element() != nullptr) << attribute;
        return value.value && value.value->element() != nullptr ? *value.value->element()
                                                                : AccessibilityElement{};
    }
};

// The drag watcher finds a status item by comparing its parent with the
// application's extras menu bar, each handed out by a call of its own.
TEST_F(SimulatedAccessibilityEqualTest, ElementsHandedOutSeparatelyAreEqualWhenTheyStandForTheSameOne) {
    const auto extrasA = element(accessibility.createApplication(10), Name::extrasMenuBar);
    const auto extrasB = element(accessibility.createApplication(11), Name::extrasMenuBar);
    const auto itemA = at(1490, 10);
    const auto inner = at(1470, 10);

    const auto parentOfItem = element(itemA, Name::parent);
    EXPECT_FALSE(parentOfItem == extrasA) << "separate references";
    EXPECT_TRUE(accessibility.isEqual(parentOfItem, extrasA));
    EXPECT_FALSE(accessibility.isEqual(parentOfItem, extrasB));
    EXPECT_TRUE(accessibility.isEqual(at(1490, 12), itemA)) << "the same item hit twice";
    EXPECT_FALSE(accessibility.isEqual(itemA, at(1440, 10))) << "another application's item";

    const auto group = element(inner, Name::parent);
    EXPECT_FALSE(accessibility.isEqual(group, inner)) << "a group and its inner item";
    EXPECT_FALSE(accessibility.isEqual(group, extrasA));
    EXPECT_TRUE(accessibility.isEqual(element(group, Name::parent), extrasA));
    EXPECT_TRUE(accessibility.isEqual(element(extrasA, Name::parent), accessibility.createApplication(10)));

    EXPECT_TRUE(accessibility.isEqual(accessibility.createSystemWide(), accessibility.createSystemWide()));
    const auto strip = at(100, 10);
    EXPECT_TRUE(accessibility.isEqual(strip, strip));
    EXPECT_FALSE(accessibility.isEqual(strip, at(100, 10))) << "a bare strip is equal only to itself";
    EXPECT_FALSE(accessibility.isEqual(strip, accessibility.createSystemWide()));

    SimulatedAccessibility other{desktop};
    EXPECT_FALSE(accessibility.isEqual(other.createApplication(10), accessibility.createApplication(10)))
        << "elements of another interface are not this one's";
}

} // namespace
} // namespace PELLACOR_TEST_FILE
