#include "MenuBarSystem/Reading/SystemAccessibility.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using platform::Accessibility;
using platform::AccessibilityElement;
using platform::AccessibilityError;
using platform::AccessibilityValue;

namespace {

using CopyResult = Accessibility::CopyResult;

// An accessibility interface over hand-made elements, each answering fixed
// values, so that odd answers (wrong types, mixed arrays) can be given. It notes
// every message and every time-out set.
class FakeAccessibility final : public Accessibility {
public:
    struct Node final : AccessibilityElement::Reference {
        std::string name;
        std::map<std::string, CopyResult> attributes;
        float timeout = 0;
    };

    std::shared_ptr<Node> node(std::string name, std::map<std::string, CopyResult> attributes = {}) {
        auto result = std::make_shared<Node>();
        result->name = std::move(name);
        result->attributes = std::move(attributes);
        nodes.push_back(result);
        return result;
    }

    bool isProcessTrusted() override { return trusted; }
    AccessibilityElement createApplication(std::int32_t pid) override {
        auto it = applications.find(pid);
        return AccessibilityElement(it != applications.end() ? it->second : node("unknown"));
    }
    AccessibilityElement createSystemWide() override { return AccessibilityElement(node("system")); }
    ElementResult copyElementAtPosition(const AccessibilityElement&, float, float) override {
        return ElementResult{AccessibilityError::noValue, {}};
    }
    ProcessResult getPid(const AccessibilityElement&) override {
        return ProcessResult{AccessibilityError::illegalArgument, 0};
    }
    std::int32_t setMessagingTimeout(const AccessibilityElement& element, float seconds) override {
        static_cast<Node&>(*element.reference()).timeout = seconds;
        return AccessibilityError::success;
    }
    CopyResult copyAttributeValue(const AccessibilityElement& element, std::string_view attribute) override {
        auto& target = static_cast<Node&>(*element.reference());
        messages.push_back(target.name + "." + std::string(attribute));
        auto it = target.attributes.find(std::string(attribute));
        return it != target.attributes.end() ? it->second
                                             : CopyResult{AccessibilityError::attributeUnsupported, {}};
    }
    CopyResult copyActionNames(const AccessibilityElement&) override {
        return CopyResult{AccessibilityError::success, AccessibilityValue{AccessibilityValue::Array{}}};
    }
    std::int32_t performAction(const AccessibilityElement&, std::string_view) override {
        return AccessibilityError::actionUnsupported;
    }

    bool trusted = true;
    std::map<std::int32_t, std::shared_ptr<Node>> applications;
    std::vector<std::shared_ptr<Node>> nodes;
    std::vector<std::string> messages;
};

CopyResult ok(AccessibilityValue::Content content) {
    return CopyResult{AccessibilityError::success, AccessibilityValue{std::move(content)}};
}
CopyResult element(const std::shared_ptr<FakeAccessibility::Node>& node) {
    return ok(AccessibilityElement(node));
}
CopyResult elements(const std::vector<std::shared_ptr<FakeAccessibility::Node>>& nodes) {
    AccessibilityValue::Array array;
    for (const auto& node : nodes) {
        array.emplace_back().content.emplace<AccessibilityElement>(node);
    }
    return ok(std::move(array));
}
CopyResult failed(std::int32_t code) {
    return CopyResult{code, std::nullopt};
}

struct SystemAccessibilityTest : ::testing::Test {
    std::shared_ptr<FakeAccessibility> fake = std::make_shared<FakeAccessibility>();
    SystemAccessibility accessibility{fake, nullptr};

    // Gives application 7 an extras bar with these children.
    void barWith(CopyResult children) {
        auto bar = fake->node("bar", {{"AXChildren", std::move(children)}});
        fake->applications[7] = fake->node("app", {{"AXExtrasMenuBar", element(bar)}});
    }
    ExtrasReadOutcome read(const MenuBarAccessibility::DeadlineCheck& check = {}) {
        return accessibility.readExtras(7, 0.25F, check);
    }
};

TEST_F(SystemAccessibilityTest, TheExtrasBarsAnswerDecidesTheOutcome) {
    struct Case {
        const char* name;
        CopyResult answer;
        ExtrasReadOutcome outcome;
    };
    const auto emptyBar = fake->node("empty bar", {{"AXChildren", elements({})}});
    const auto mixedBar = fake->node(
        "mixed bar", {{"AXChildren",
                       ok(AccessibilityValue::Array{AccessibilityValue{AccessibilityElement(fake->node("c"))},
                                                    AccessibilityValue{std::string("not an element")}})}});
    const auto brokenBar =
        fake->node("broken bar", {{"AXChildren", failed(AccessibilityError::cannotComplete)}});
    const std::vector<Case> cases = {
        {"no value", failed(AccessibilityError::noValue), {ExtrasReadOutcome::NoExtrasMenuBar{}}},
        {"unsupported",
         failed(AccessibilityError::attributeUnsupported),
         {ExtrasReadOutcome::NoExtrasMenuBar{}}},
        {"success without value", CopyResult{}, {ExtrasReadOutcome::NoExtrasMenuBar{}}},
        {"not an element", ok(std::string("bar")), {ExtrasReadOutcome::NoExtrasMenuBar{}}},
        {"timed out", failed(AccessibilityError::cannotComplete), {ExtrasReadOutcome::Failure{-25204}}},
        {"disabled", failed(AccessibilityError::apiDisabled), {ExtrasReadOutcome::Failure{-25211}}},
        {"empty bar", element(emptyBar), {ExtrasReadOutcome::Items{}}},
        {"children not all elements", element(mixedBar), {ExtrasReadOutcome::Items{}}},
        {"children unreadable", element(brokenBar), {ExtrasReadOutcome::Items{}}},
    };
    for (const Case& c : cases) {
        fake->applications[7] = fake->node("app", {{"AXExtrasMenuBar", c.answer}});
        EXPECT_EQ(read(), c.outcome) << c.name;
    }
}

TEST_F(SystemAccessibilityTest, ChildrenBecomeRawItemsWithTypedTextsInnerIdentifiersAndFrames) {
    const auto position = ok(platform::AccessibilityValue::Content(core::Point{100, 0}));
    const auto size = ok(core::Size{24, 22});
    auto plain = fake->node("plain", {{"AXIdentifier", ok(std::string("p.id"))},
                                      {"AXDescription", ok(std::string("Plain"))},
                                      {"AXTitle", ok(3.0)}, // not a string: absent
                                      {"AXPosition", position},
                                      {"AXSize", size}});
    auto button = fake->node(
        "button", {{"AXRole", ok(std::string("AXButton"))}, {"AXIdentifier", ok(std::string("button.id"))}});
    auto inner = fake->node("inner", {{"AXRole", ok(std::string("AXMenuBarItem"))},
                                      {"AXIdentifier", ok(std::string("inner.id"))}});
    auto group = fake->node("group", {{"AXRole", ok(std::string("AXGroup"))},
                                      {"AXChildren", elements({button, inner})},
                                      {"AXPosition", ok(std::string("100,0"))}, // not a point: no frame
                                      {"AXSize", size}});
    auto emptyGroup = fake->node("empty group", {{"AXRole", ok(std::string("AXGroup"))},
                                                 {"AXChildren", elements({})},
                                                 {"AXPosition", position},
                                                 {"AXSize", failed(AccessibilityError::noValue)}});
    auto bare = fake->node(
        "bare",
        {{"AXRole", ok(std::string("AXMenuBarItem"))}, {"AXChildren", elements({inner})}, {"AXSize", size}});
    barWith(elements({plain, group, emptyGroup, bare}));

    const auto outcome = read();
    const auto* items = std::get_if<ExtrasReadOutcome::Items>(&outcome.value);
    ASSERT_NE(items, nullptr);
    const std::vector<RawMenuBarItem> expected = {
        {"p.id", "Plain", std::nullopt, core::Rect(100, 0, 24, 22)},
        {"inner.id", std::nullopt, std::nullopt, std::nullopt},
        {std::nullopt, std::nullopt, std::nullopt, std::nullopt},
        {std::nullopt, std::nullopt, std::nullopt, std::nullopt}, // not a group: its child is not looked at
    };
    EXPECT_EQ(items->items, expected);

    for (const auto& node : {fake->applications[7], plain, group, emptyGroup, bare, button, inner}) {
        EXPECT_FLOAT_EQ(node->timeout, 0.25F) << node->name;
    }
    const auto& messages = fake->messages;
    auto count = [&](const std::string& message) {
        return std::count(messages.begin(), messages.end(), message);
    };
    EXPECT_EQ(count("plain.AXRole"), 0) << "an item with texts needs no inner item";
    EXPECT_EQ(count("bare.AXChildren"), 0);
    EXPECT_EQ(count("empty group.AXSize"), 1);
    EXPECT_EQ(count("bare.AXSize"), 0) << "no size is asked once the position failed";
}

TEST_F(SystemAccessibilityTest, TheDeadlineIsCheckedBeforeEachItem) {
    barWith(elements({fake->node("one"), fake->node("two"), fake->node("three")}));
    int checks = 0;
    const auto outcome = read([&] { return ++checks > 2; });
    EXPECT_EQ(outcome, (ExtrasReadOutcome{ExtrasReadOutcome::DeadlinePassed{}}));
    EXPECT_EQ(checks, 3);
    EXPECT_EQ(std::count(fake->messages.begin(), fake->messages.end(), "three.AXIdentifier"), 0);
}

TEST(SystemAccessibilityBundleTest, OnlyPathsWhoseLastComponentEndsInAppAreApplicationBundles) {
    struct Case {
        std::optional<std::string> path;
        bool isApp;
    };
    const std::vector<Case> cases = {
        {"/Applications/Fernlight.app", true},
        {"/Applications/Fernlight.app/", true},
        {"Fernlight.app", true},
        {"/Applications/Quillow Sync.app", true},
        {"/usr/local/libexec/gaugeling-agent", false},
        {"/Applications/Fernlight.APP", false},
        {"/Applications/Fernlight.appx", false},
        {"/Applications/Fernlight.app/Contents/MacOS/Fernlight", false},
        {"/Applications/.app", false},
        {"", false},
        {std::nullopt, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SystemAccessibility::isAppBundlePath(c.path), c.isApp) << c.path.value_or("(none)");
    }
}

} // namespace
} // namespace PELLACOR_TEST_FILE
