#include "MenuBarSystem/Pressing/SystemPressAccessibility.h"

#include "Platform/AccessibilityName.h"
#include "Platform/Simulated/SimulatedAccessibility.h"
#include "Platform/Simulated/SimulatedWindowServer.h"
#include "Platform/Simulated/SimulatedWorkspace.h"
#include "Support/FakeWorkspace.h"
#include "Support/VirtualClock.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using namespace pellacor::platform;
using namespace std::chrono_literals;
using Name = AccessibilityName;
using core::Rect;

namespace {

SimulatedStatusItem item(std::optional<std::string> identifier, double width = 30,
                         std::string role = "AXMenuBarItem") {
    SimulatedStatusItem result;
    result.identifier = std::move(identifier);
    result.width = width;
    result.role = std::move(role);
    result.menu.openDelay = 0ms;
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

// One entry of the workspace's list.
Workspace::RunningApplication listed(std::optional<std::string> bundle, std::int32_t pid,
                                     std::optional<std::string> bundlePath, bool isTerminated) {
    Workspace::RunningApplication result;
    result.bundleIdentifier = std::move(bundle);
    result.processIdentifier = pid;
    result.bundlePath = std::move(bundlePath);
    result.isTerminated = isTerminated;
    return result;
}

// A window list answering fixed descriptions.
class FixedWindowList final : public WindowList {
public:
    std::optional<std::vector<WindowDescription>> copyWindowInfo(std::uint32_t options,
                                                                 std::uint32_t) override {
        lastOptions = options;
        return descriptions;
    }
    std::optional<std::vector<WindowDescription>> descriptions;
    std::uint32_t lastOptions = 0;
};

// Passes every message on to the simulated interface and notes, for each, the
// messaging time-out its element had been given (none when it had none), so a
// test sees every element get its time-out before it is asked anything. Keeps
// every element it saw, so that no element's record is mistaken for another's.
class TimeoutSpy final : public Accessibility {
public:
    struct Message {
        std::string what; // the attribute read, "actions" or the action performed
        std::optional<float> timeout;
        AccessibilityElement element;
    };

    explicit TimeoutSpy(std::shared_ptr<Accessibility> inner) : inner_(std::move(inner)) {}

    bool isProcessTrusted() override { return inner_->isProcessTrusted(); }
    AccessibilityElement createApplication(std::int32_t pid) override {
        return kept(inner_->createApplication(pid));
    }
    AccessibilityElement createSystemWide() override { return kept(inner_->createSystemWide()); }
    ElementResult copyElementAtPosition(const AccessibilityElement& element, float x, float y) override {
        return inner_->copyElementAtPosition(element, x, y);
    }
    ProcessResult getPid(const AccessibilityElement& element) override { return inner_->getPid(element); }
    std::int32_t setMessagingTimeout(const AccessibilityElement& element, float seconds) override {
        timeouts_[kept(element).reference().get()] = seconds;
        return inner_->setMessagingTimeout(element, seconds);
    }
    CopyResult copyAttributeValue(const AccessibilityElement& element, std::string_view attribute) override {
        note(std::string(attribute), element);
        auto result = inner_->copyAttributeValue(element, attribute);
        if (result.value) {
            if (const auto* one = result.value->element()) {
                kept(*one);
            }
            for (const auto& each : result.value->elements().value_or(std::vector<AccessibilityElement>{})) {
                kept(each);
            }
        }
        return result;
    }
    CopyResult copyActionNames(const AccessibilityElement& element) override {
        note("actions", element);
        return inner_->copyActionNames(element);
    }
    std::int32_t performAction(const AccessibilityElement& element, std::string_view action) override {
        note(std::string(action), element);
        return inner_->performAction(element, action);
    }

    const std::vector<Message>& messages() const { return messages_; }
    void clear() { messages_.clear(); }
    // The role of the element that took the last press, asked past the spy.
    std::optional<std::string> pressedRole() const {
        for (auto it = messages_.rbegin(); it != messages_.rend(); ++it) {
            if (it->what == Name::pressAction) {
                auto role = inner_->copyAttributeValue(it->element, Name::role);
                return role.value && role.value->string() ? std::optional(*role.value->string())
                                                          : std::nullopt;
            }
        }
        return std::nullopt;
    }

private:
    AccessibilityElement kept(const AccessibilityElement& element) {
        seen_.push_back(element);
        return element;
    }
    void note(std::string what, const AccessibilityElement& element) {
        const auto it = timeouts_.find(element.reference().get());
        messages_.push_back({std::move(what),
                             it != timeouts_.end() ? std::optional<float>(it->second) : std::nullopt,
                             kept(element)});
    }

    std::shared_ptr<Accessibility> inner_;
    std::map<const void*, float> timeouts_;
    std::vector<AccessibilityElement> seen_;
    std::vector<Message> messages_;
};

// Application 10 has a plain item, a group and a second "a.plain"; 11 has no
// items; 12 has one item. Time (latency) passes on a virtual clock that the
// desktop reads too.
struct SystemPressAccessibilityTest : ::testing::Test {
    SystemPressAccessibilityTest() {
        desktop = std::make_shared<SimulatedDesktop>(
            std::vector<SimulatedScreen>{SimulatedScreen{}},
            std::vector<SimulatedApplication>{
                app("com.example.a", 10,
                    {item("a.plain"), item("a.group", 20, std::string(Name::groupRole)),
                     item("a.plain", 25)}),
                app("com.example.b", 11, {}), app("com.example.c", 12, {item("c.one", 40)})});
        desktop->setClock([this] { return clock.elapsed(); });
        accessibility = std::make_shared<SimulatedAccessibility>(desktop, true, clock.spendFunction());
        windowServer = std::make_shared<SimulatedWindowServer>(desktop);
        press = std::make_unique<SystemPressAccessibility>(accessibility, SimulatedWorkspace::create(desktop),
                                                           windowServer, windowServer);
    }

    void changeItems(std::int32_t pid, const std::function<void(std::vector<SimulatedStatusItem>&)>& change) {
        auto items = desktop->application(pid)->statusItems;
        change(items);
        ASSERT_TRUE(desktop->setStatusItems(pid, items));
    }
    void changeApp(std::int32_t pid, const std::function<void(SimulatedElementBehaviour&)>& change) {
        auto changed = *desktop->application(pid);
        change(changed.accessibility);
        ASSERT_TRUE(desktop->setRunning(pid, false));
        changed.processIdentifier = pid + 100;
        ASSERT_TRUE(desktop->addApplication(changed));
    }
    std::vector<std::size_t> pressedIndexes() {
        std::vector<std::size_t> result;
        for (const auto& p : desktop->presses()) {
            result.push_back(p.index);
        }
        return result;
    }

    pellacor::testing::VirtualClock clock;
    std::shared_ptr<SimulatedDesktop> desktop;
    std::shared_ptr<SimulatedAccessibility> accessibility;
    std::shared_ptr<SimulatedWindowServer> windowServer;
    std::unique_ptr<SystemPressAccessibility> press;
};

TEST_F(SystemPressAccessibilityTest, ProcessesOfAnApplicationLeaveOutEndedOnes) {
    // The workspace's list as given, terminated entries included.
    auto list = std::make_shared<pellacor::testing::FakeWorkspace>();
    list->setApps({listed("com.example.a", 10, "/A.app", false), listed("com.example.b", 11, "/B.app", false),
                   listed("com.example.a", 12, "/A.app", true), listed(std::nullopt, 13, std::nullopt, false),
                   listed("com.example.a", 14, "/A.app", false)});
    SystemPressAccessibility fixed(accessibility, list, windowServer, windowServer);
    EXPECT_EQ(fixed.pids("com.example.a"), (std::vector<std::int32_t>{10, 14}));
    EXPECT_TRUE(fixed.pids("com.example.z").empty());

    EXPECT_EQ(press->pids("com.example.c"), (std::vector<std::int32_t>{12}));
    EXPECT_TRUE(press->isTrusted());
    accessibility->setTrusted(false);
    EXPECT_FALSE(press->isTrusted());
}

TEST_F(SystemPressAccessibilityTest, WindowsAreTheOnScreenWindowNumbersOfOneProcess) {
    EXPECT_EQ(press->windows(10), WindowNumbers{}) << "no windows is an empty set";
    const auto shown = desktop->openWindow(10, 0, Rect(0, 0, 100, 100));
    desktop->openWindow(10, 0, Rect(0, 0, 100, 100), false);
    const auto other = desktop->openWindow(12, 0, Rect(0, 0, 100, 100));
    EXPECT_EQ(press->windows(10), WindowNumbers{*shown});
    EXPECT_EQ(press->windows(12), WindowNumbers{*other});
    windowServer->setWindowListFails(true);
    EXPECT_EQ(press->windows(10), std::nullopt);

    // Entries whose owner or number does not read as the right kind of integer are skipped.
    auto fixed = std::make_shared<FixedWindowList>();
    fixed->descriptions = std::vector<WindowDescription>{
        {7, 10, 0, std::nullopt, true},
        {std::nullopt, 10, 0, std::nullopt, true},
        {8, std::nullopt, 0, std::nullopt, true},
        {-1, 10, 0, std::nullopt, true},
        {std::int64_t{1} << 32, 10, 0, std::nullopt, true},
        {9, (std::int64_t{1} << 32) + 10, 0, std::nullopt, true},
        {4294967295, 10, 101, std::nullopt, true},
    };
    SystemPressAccessibility odd(accessibility, SimulatedWorkspace::create(desktop), fixed, windowServer);
    EXPECT_EQ(odd.windows(10), (WindowNumbers{7, 4294967295U}));
    EXPECT_EQ(fixed->lastOptions, WindowList::optionOnScreenOnly);
}

TEST_F(SystemPressAccessibilityTest, AFrameIsInTheMenuBarNearTheTopOfADisplay) {
    const std::vector<Rect> displays = {Rect(0, 0, 1512, 982), Rect(1512, -298, 1920, 1080)};
    struct Case {
        Rect frame;
        bool inMenuBar;
    };
    const std::vector<Case> cases = {
        {Rect(1400, 0, 30, 24), true},     {Rect(1400, 0, 0, 24), false}, // no width
        {Rect(1400, 0, 30, 0), false},                                    // no height
        {Rect(1400, -2, 30, 24), true},                                   // 2 points above the top
        {Rect(1400, -2.5, 30, 24), false},                                // more than 2 above
        {Rect(1400, 59.5, 30, 24), true},                                 // just within 60 below
        {Rect(1400, 60, 30, 24), false},                                  // 60 below is out
        {Rect(1497, 0, 30, 24), false},    // middle 1512 is on the second display, far below its top
        {Rect(1497, -298, 30, 24), true},  // ...and at its top
        {Rect(-16, 0, 30, 24), false},     // middle left of every display
        {Rect(3420, -298, 30, 24), false}, // middle 3435 is past the right edge
        {Rect(3400, -298, 30, 24), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SystemPressAccessibility::isInMenuBar(c.frame, displays), c.inMenuBar)
            << c.frame.description();
    }
    EXPECT_FALSE(SystemPressAccessibility::isInMenuBar(Rect(1400, 0, 30, 24), {}));
}

TEST_F(SystemPressAccessibilityTest, DisplayBoundsFollowTheDisplayList) {
    desktop->setScreens(
        {SimulatedScreen{Rect(0, 0, 1512, 982)}, SimulatedScreen{Rect(1512, 200, 1920, 1080)}});
    EXPECT_EQ(SystemPressAccessibility::displayBounds(*windowServer),
              (std::vector<Rect>{Rect(0, 0, 1512, 982), Rect(1512, -298, 1920, 1080)}));
    windowServer->setDisplayListError(DisplayList::failure);
    EXPECT_TRUE(SystemPressAccessibility::displayBounds(*windowServer).empty());
}

TEST_F(SystemPressAccessibilityTest, PlacementReadsTheItemsFrameAgainstTheDisplays) {
    EXPECT_EQ(press->isPlaced(10, 0), true);
    EXPECT_EQ(press->isPlaced(12, 0), true);
    desktop->setRestriction(MenuBarRestriction{{}, {"com.example.c"}});
    EXPECT_EQ(press->isPlaced(10, 0), false) << "kept off the bar";
    EXPECT_EQ(press->isPlaced(12, 0), true);
    EXPECT_EQ(press->isPlaced(10, 3), std::nullopt) << "index equal to the count";
    EXPECT_EQ(press->isPlaced(10, -1), std::nullopt);
    EXPECT_EQ(press->isPlaced(11, 0), std::nullopt) << "no extras menu bar";

    windowServer->setDisplayListError(DisplayList::failure);
    EXPECT_EQ(press->isPlaced(12, 0), false) << "no displays, no menu bar";
    windowServer->setDisplayListError(DisplayList::success);

    changeItems(12, [](auto& items) { items[0].accessibility.attributeErrors = {{"AXSize", -25200}}; });
    EXPECT_EQ(press->isPlaced(12, 0), std::nullopt);
    // Every element is asked with 0.25 s: an item that takes 0.3 s cannot be read.
    changeItems(12, [](auto& items) {
        items[0].accessibility = {};
        items[0].accessibility.latency = 300ms;
    });
    const auto before = clock.elapsed();
    EXPECT_EQ(press->isPlaced(12, 0), std::nullopt);
    EXPECT_EQ(clock.elapsed() - before, 250ms);
}

TEST_F(SystemPressAccessibilityTest, PressByIndexDeliversToThePressableElement) {
    EXPECT_EQ(press->press(10, 0, 0.1F), PressCall::sent(0));
    EXPECT_EQ(press->press(10, 1, 0.1F), PressCall::sent(0)) << "the group offers AXPress itself";
    EXPECT_EQ(press->press(10, 3, 0.1F), PressCall::noItem());
    EXPECT_EQ(press->press(10, -1, 0.1F), PressCall::noItem());
    EXPECT_EQ(press->press(11, 0, 0.1F), PressCall::noItem()) << "no extras menu bar (-25212)";
    EXPECT_EQ(press->press(99, 0, 0.1F), PressCall::failed(AccessibilityError::invalidUIElement));
    EXPECT_EQ(pressedIndexes(), (std::vector<std::size_t>{0, 1}));

    struct Case {
        std::int32_t extrasError;
        PressCall result;
    };
    for (const Case c :
         {Case{AccessibilityError::attributeUnsupported, PressCall::noItem()},
          Case{AccessibilityError::noValue, PressCall::noItem()},
          Case{AccessibilityError::failure, PressCall::failed(AccessibilityError::failure)},
          Case{AccessibilityError::cannotComplete, PressCall::failed(AccessibilityError::cannotComplete)}}) {
        auto changed = *desktop->application(12);
        changed.accessibility.attributeErrors = {{"AXExtrasMenuBar", c.extrasError}};
        changed.processIdentifier = 20 + static_cast<std::int32_t>(desktop->applications().size());
        ASSERT_TRUE(desktop->addApplication(changed));
        EXPECT_EQ(press->press(changed.processIdentifier, 0, 0.1F), c.result) << c.extrasError;
        EXPECT_EQ(press->press(changed.processIdentifier, "c.one", 0.1F), PressCall::noItem())
            << c.extrasError;
    }
}

TEST_F(SystemPressAccessibilityTest, ThePressAnswerDecidesBetweenSentAndFailed) {
    struct Case {
        std::int32_t answer;
        PressCall result;
    };
    for (const Case c :
         {Case{AccessibilityError::cannotComplete, PressCall::sent(AccessibilityError::cannotComplete)},
          Case{AccessibilityError::failure, PressCall::failed(AccessibilityError::failure)},
          Case{AccessibilityError::actionUnsupported,
               PressCall::failed(AccessibilityError::actionUnsupported)}}) {
        changeItems(12, [&](auto& items) { items[0].accessibility.actionErrors = {{"AXPress", c.answer}}; });
        EXPECT_EQ(press->press(12, 0, 0.1F), c.result) << c.answer;
        EXPECT_EQ(press->press(12, "c.one", 0.1F), c.result) << c.answer;
    }
}

TEST_F(SystemPressAccessibilityTest, ThePressedElementWaitsOnlyTheCallersTimeOut) {
    // Reads wait up to 0.25 s, so a 0.2 s item is read; on the element to press
    // every message waits 0.1 s: asking whether it is a group runs out (so it is
    // pressed as it is), and the press answers cannot-complete, which still
    // counts as delivered.
    changeItems(12, [](auto& items) { items[0].accessibility.latency = 200ms; });
    const auto roughly = [](std::chrono::nanoseconds spent, std::chrono::milliseconds expected) {
        return spent >= expected && spent < expected + 1us;
    };
    auto before = clock.elapsed();
    EXPECT_EQ(press->press(12, "c.one", 0.1F), PressCall::sent(AccessibilityError::cannotComplete));
    EXPECT_TRUE(roughly(clock.elapsed() - before, 400ms)) << (clock.elapsed() - before).count();
    EXPECT_EQ(desktop->presses().size(), 1u) << "the slow item still took the press";

    before = clock.elapsed();
    EXPECT_EQ(press->press(12, 0, 0.1F), PressCall::sent(AccessibilityError::cannotComplete));
    EXPECT_TRUE(roughly(clock.elapsed() - before, 200ms)) << (clock.elapsed() - before).count();
    EXPECT_EQ(desktop->presses().size(), 2u);
}

TEST_F(SystemPressAccessibilityTest, PressByIdentifierTakesTheFirstMatchAndLooksIntoGroups) {
    EXPECT_EQ(press->press(10, "a.plain", 0.1F), PressCall::sent(0));
    EXPECT_EQ(press->press(10, "a.group", 0.1F), PressCall::sent(0)) << "matched by its inner item";
    EXPECT_EQ(press->press(10, "a.none", 0.1F), PressCall::noItem());
    EXPECT_EQ(press->press(11, "a.plain", 0.1F), PressCall::noItem());
    EXPECT_EQ(pressedIndexes(), (std::vector<std::size_t>{0, 1}));

    // A group that does not offer AXPress (or whose actions cannot be read) is
    // pressed through its inner item; both reach the same status item.
    for (auto change : std::vector<std::function<void(SimulatedStatusItem&)>>{
             [](SimulatedStatusItem& group) { group.accessibility.actions = {}; },
             [](SimulatedStatusItem& group) {
                 group.accessibility.actionNamesError = AccessibilityError::failure;
             }}) {
        changeItems(10, [&](auto& items) {
            items[1].accessibility = {};
            change(items[1]);
            items[1].accessibility.actionErrors = {{"AXPress", AccessibilityError::failure}};
        });
        // The inner item answers like its status item, so the failure shows whichever is pressed:
        // it is the action list that decides.
        EXPECT_EQ(press->press(10, "a.group", 0.1F), PressCall::failed(AccessibilityError::failure));
    }
}

TEST_F(SystemPressAccessibilityTest, LookUpFindsTheFirstMatchOrSaysWhyNot) {
    EXPECT_EQ(press->lookup(10, "a.plain"), SystemItemLookup::found(0));
    EXPECT_EQ(press->lookup(10, "a.group"), SystemItemLookup::found(1));
    EXPECT_EQ(press->lookup(10, "a.none"), SystemItemLookup::absent());
    EXPECT_EQ(press->lookup(11, "a.plain"), SystemItemLookup::unreadable()) << "no extras menu bar";
    EXPECT_EQ(press->lookup(99, "a.plain"), SystemItemLookup::unreadable());

    changeItems(12, [](auto& items) { items[0].identifier = std::nullopt; });
    EXPECT_EQ(press->lookup(12, "c.one"), SystemItemLookup::unreadable()) << "no identifier reads";
    changeItems(12, [](auto& items) { items.clear(); });
    EXPECT_EQ(press->lookup(12, "c.one"), SystemItemLookup::unreadable()) << "no items";
    changeItems(10, [](auto& items) { items[0].accessibility.attributeErrors = {{"AXIdentifier", -25200}}; });
    EXPECT_EQ(press->lookup(10, "a.plain"), SystemItemLookup::found(2)) << "the first whose identifier reads";
}

TEST_F(SystemPressAccessibilityTest, EveryElementIsGivenItsTimeOutBeforeItIsAsked) {
    // Every structural read waits 0.25 s; the element that is pressed, from the
    // moment it is chosen, the caller's time-out.
    auto spy = std::make_shared<TimeoutSpy>(accessibility);
    SystemPressAccessibility spied(spy, SimulatedWorkspace::create(desktop), windowServer, windowServer);
    const auto timeouts = [&] {
        std::vector<std::pair<std::string, std::optional<float>>> result;
        for (const auto& message : spy->messages()) {
            result.emplace_back(message.what, message.timeout);
        }
        spy->clear();
        return result;
    };
    using Asked = std::vector<std::pair<std::string, std::optional<float>>>;
    const std::optional<float> read = 0.25F;
    const std::optional<float> pressing = 0.1F;

    EXPECT_EQ(spied.press(12, 0, 0.1F), PressCall::sent(0));
    EXPECT_EQ(
        timeouts(),
        (Asked{
            {"AXExtrasMenuBar", read}, {"AXChildren", read}, {"AXRole", pressing}, {"AXPress", pressing}}));

    EXPECT_EQ(spied.press(12, "c.one", 0.1F), PressCall::sent(0));
    EXPECT_EQ(timeouts(), (Asked{{"AXExtrasMenuBar", read},
                                 {"AXChildren", read},
                                 {"AXIdentifier", read},
                                 {"AXRole", pressing},
                                 {"AXPress", pressing}}));

    EXPECT_EQ(spied.lookup(10, "a.group"), SystemItemLookup::found(1));
    for (const auto& [what, timeout] : timeouts()) {
        EXPECT_EQ(timeout, read) << "look-up: " << what;
    }
    EXPECT_EQ(spied.isPlaced(10, 1), true);
    const Asked placement = timeouts();
    EXPECT_EQ(
        placement,
        (Asked{{"AXExtrasMenuBar", read}, {"AXChildren", read}, {"AXPosition", read}, {"AXSize", read}}));

    // A group is asked for its inner item and its actions with the caller's time-out too.
    EXPECT_EQ(spied.press(10, 1, 0.1F), PressCall::sent(0));
    const Asked group = timeouts();
    ASSERT_GE(group.size(), 3u);
    EXPECT_EQ(group[0], (std::pair<std::string, std::optional<float>>{"AXExtrasMenuBar", read}));
    EXPECT_EQ(group[1], (std::pair<std::string, std::optional<float>>{"AXChildren", read}));
    for (std::size_t i = 2; i < group.size(); ++i) {
        EXPECT_EQ(group[i].second, pressing) << group[i].first;
    }
    EXPECT_EQ(group.back().first, "AXPress");
}

TEST_F(SystemPressAccessibilityTest, AGroupIsPressedItselfOnlyWhenItOffersThePress) {
    auto spy = std::make_shared<TimeoutSpy>(accessibility);
    SystemPressAccessibility spied(spy, SimulatedWorkspace::create(desktop), windowServer, windowServer);
    const std::string group(Name::groupRole);
    const std::string inner(Name::menuBarItemRole);

    // A plain item has no inner item and takes the press itself.
    EXPECT_EQ(spied.press(10, 0, 0.1F), PressCall::sent(0));
    EXPECT_EQ(spy->pressedRole(), inner);

    struct Case {
        const char* name;
        std::function<void(SimulatedElementBehaviour&)> change;
        std::string pressed;
    };
    const std::vector<Case> cases = {
        {"offers the press", [](SimulatedElementBehaviour&) {}, group},
        {"offers other actions only", [](SimulatedElementBehaviour& b) { b.actions = {"AXShowMenu"}; },
         inner},
        {"offers no actions", [](SimulatedElementBehaviour& b) { b.actions = {}; }, inner},
        {"actions unreadable",
         [](SimulatedElementBehaviour& b) { b.actionNamesError = AccessibilityError::failure; }, inner},
    };
    for (const Case& c : cases) {
        changeItems(10, [&](auto& items) {
            items[1].accessibility = {};
            c.change(items[1].accessibility);
        });
        for (const bool byIdentifier : {false, true}) {
            spy->clear();
            const PressCall call = byIdentifier ? spied.press(10, "a.group", 0.1F) : spied.press(10, 1, 0.1F);
            EXPECT_EQ(call, PressCall::sent(0)) << c.name;
            EXPECT_EQ(spy->pressedRole(), c.pressed) << c.name << (byIdentifier ? ", by identifier" : "");
        }
    }
}

} // namespace
} // namespace PELLACOR_TEST_FILE
