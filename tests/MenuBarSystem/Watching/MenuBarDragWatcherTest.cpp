#include "MenuBarSystem/Watching/MenuBarDragWatcher.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/ManualTimerQueue.h"
#include "Concurrency/SerialQueue.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "Platform/AccessibilityError.h"
#include "Platform/AccessibilityName.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/DragPrinters.h"

#include <atomic>
#include <condition_variable>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <string>
#include <utility>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using namespace std::chrono_literals;
using concurrency::ManualExecutor;
using concurrency::ManualTimerQueue;
using core::DragSorting;
using Hit = DragSorting::Hit;
using platform::Accessibility;
using platform::AccessibilityElement;
using platform::AccessibilityError;
using platform::AccessibilityName;
using platform::AccessibilityValue;
using platform::InputState;

namespace {

const std::string self(core::bundleIdentifier);

// The input as the watcher samples it, passed through from the simulated user.
// Each tick begins with the button; that read is counted, its thread noted, and
// a hook set by a test runs there once, in the middle of the tick.
class SampledInput final : public InputState {
public:
    explicit SampledInput(std::shared_ptr<InputState> inner) : inner_(std::move(inner)) {}

    void setHook(std::function<void()> hook) {
        std::lock_guard lock(mutex_);
        hook_ = std::move(hook);
    }
    int samples() const {
        std::lock_guard lock(mutex_);
        return samples_;
    }
    // Waits (real time, briefly) until at least `count` samples were taken.
    bool waitForSamples(int count, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return sampled_.wait_for(lock, timeout, [&] { return samples_ >= count; });
    }
    std::vector<std::string> threads() const {
        std::lock_guard lock(mutex_);
        return threads_;
    }

    bool buttonState(std::int32_t stateID, std::uint32_t button) const override {
        std::function<void()> hook;
        {
            std::lock_guard lock(mutex_);
            ++samples_;
            char name[16] = {};
            pthread_getname_np(pthread_self(), name, sizeof name);
            threads_.emplace_back(name);
            hook = std::exchange(hook_, nullptr);
        }
        sampled_.notify_all();
        if (hook) {
            hook();
        }
        return inner_->buttonState(stateID, button);
    }
    core::Point mouseLocation() const override { return inner_->mouseLocation(); }
    std::uint64_t pressedMouseButtons() const override { return inner_->pressedMouseButtons(); }
    std::uint64_t modifierFlags() const override { return inner_->modifierFlags(); }
    std::uint64_t flagsState(std::int32_t stateID) const override { return inner_->flagsState(stateID); }
    double secondsSinceLastEventType(std::int32_t stateID, std::uint32_t eventType) const override {
        return inner_->secondsSinceLastEventType(stateID, eventType);
    }
    std::optional<core::Point> currentEventLocation() const override {
        return inner_->currentEventLocation();
    }
    std::unique_ptr<ModifierObservation> observeModifierFlags(ModifierHandler onChange) const override {
        return inner_->observeModifierFlags(std::move(onChange));
    }

private:
    std::shared_ptr<InputState> inner_;
    mutable std::mutex mutex_;
    mutable std::condition_variable sampled_;
    mutable int samples_ = 0;
    mutable std::vector<std::string> threads_;
    mutable std::function<void()> hook_;
};

// The default desktop (one 1512 x 982 screen, a 24-point bar) with the watcher
// ticking on a manual queue whose clock the desktop and the simulated user share.
struct MenuBarDragWatcherTest : ::testing::Test {
    platform::SimulatedPlatform platform;
    std::shared_ptr<ManualTimerQueue> queue = std::make_shared<ManualTimerQueue>("drag-test");
    ManualExecutor executor;
    std::shared_ptr<SampledInput> input = std::make_shared<SampledInput>(platform.input());
    std::shared_ptr<MenuBarDragWatcher> watcher;
    std::vector<MenuBarDragEvent> events;

    MenuBarDragWatcherTest() {
        platform.desktop()->setClock([queue = queue.get()] { return queue->now().time_since_epoch(); });
        auto services = platform.services();
        services.inputState = input;
        watcher = MenuBarDragWatcher::create(services, executor, queue);
    }
    ~MenuBarDragWatcherTest() override {
        if (watcher) {
            watcher->stop();
        }
    }

    MenuBarDragWatching::Handler collect(std::vector<MenuBarDragEvent>& into) {
        return [&into](const MenuBarDragEvent& event) { into.push_back(event); };
    }
    MenuBarDragWatching::Handler collect() { return collect(events); }

    // The middle of an item on the bar, top-down.
    core::Point middleOf(const std::string& identifier) {
        for (const auto& placed : platform.desktop()->menuBarItems()) {
            if (placed.item.identifier == identifier) {
                return core::Point{placed.frame.midX(), placed.frame.midY()};
            }
        }
        ADD_FAILURE() << identifier << " is not on the bar";
        return {};
    }

    core::Point screenPoint(core::Point topDown) {
        return core::convertScreenSpace(topDown, platform.desktop()->mainScreen().frame);
    }
    void moveTo(core::Point topDown) { platform.input()->moveMouse(screenPoint(topDown)); }
    void press(core::Point topDown, bool command) {
        platform.input()->setModifierFlags(command ? InputState::commandFlag : 0);
        moveTo(topDown);
        platform.input()->pressMouseButton(InputState::leftButton);
    }
    void release(core::Point topDown) {
        moveTo(topDown);
        platform.input()->releaseMouseButton(InputState::leftButton);
        platform.input()->setModifierFlags(0);
    }
    void advance(concurrency::Duration time) { queue->advanceBy(time); }
    void advanceAndDeliver(concurrency::Duration time) {
        queue->advanceBy(time);
        executor.runUntilIdle();
    }

    // A drag sampled tick by tick: pressed 10 ms on, seen at once (Command
    // wakes the watch), released 30 ms later and seen by the tick 40 ms after
    // the press. Leaves the clock 10 ms after the tick that saw the release.
    void drag(core::Point from, core::Point to, bool command = true) {
        advance(10ms);
        press(from, command);
        advance(30ms);
        release(to);
        advance(40ms);
    }
};

TEST_F(MenuBarDragWatcherTest, ACommandDragIsReportedOnTheMainExecutor600msAfterTheRelease) {
    watcher->start(collect());
    const auto fernlight = middleOf("fernlight.status");
    const auto control = middleOf("trv-control");
    advance(30ms);
    press(fernlight, true); // Command down wakes the watch: it sees the press at once
    advance(50ms);          // and ticks from 70 ms on
    release(control);
    advance(30ms); // the tick at 110 ms saw the release

    advanceAndDeliver(599ms);
    EXPECT_TRUE(events.empty()) << "the bar is still settling";
    advance(1ms);
    EXPECT_TRUE(events.empty()) << "sent to the main executor, which has not run yet";
    executor.runUntilIdle();
    const MenuBarDragEvent expected{Hit::item("com.example.fernlight", "fernlight.status"),
                                    Hit::item(self, "trv-control"), true, fernlight, control};
    ASSERT_EQ(events, std::vector<MenuBarDragEvent>{expected});

    advanceAndDeliver(5s);
    EXPECT_EQ(events.size(), 1U) << "one drag, one event";
    EXPECT_EQ(DragSorting::resolve(events[0].start, events[0].end, events[0].startInMenuBar, self),
              DragSorting::Grab::app(core::AppKey("com.example.fernlight")));
}

TEST_F(MenuBarDragWatcherTest, OnlyACommandPressAndReleaseInTheBandAtLeast6PointsApartCount) {
    struct Case {
        std::string name;
        core::Point from;
        core::Point to;
        bool command;
        bool reported;
    };
    // The bare bar: neither end hits an item, and still the drag counts.
    const std::vector<Case> cases{
        {"6 points along the bar", {300, 10}, {306, 10}, true, true},
        {"5.9 points along the bar", {300, 10}, {305.9, 10}, true, false},
        {"without Command", {300, 10}, {500, 10}, false, false},
        {"released just inside the band's bottom", {300, 10}, {300, 43.875}, true, true},
        {"released on the band's bottom edge", {300, 10}, {300, 44}, true, false},
        {"pressed below the band", {300, 60}, {300, 10}, true, false},
        {"released right of the display", {1500, 10}, {1512, 10}, true, false},
        {"from the display's left edge", {0, 0}, {20, 0}, true, true},
    };
    watcher->start(collect());
    for (const auto& c : cases) {
        events.clear();
        drag(c.from, c.to, c.command);
        advanceAndDeliver(1s);
        if (c.reported) {
            EXPECT_EQ(events, (std::vector<MenuBarDragEvent>{{Hit::none(), Hit::none(), true, c.from, c.to}}))
                << c.name;
        } else {
            EXPECT_TRUE(events.empty()) << c.name;
        }
    }
}

TEST_F(MenuBarDragWatcherTest, CommandPressedOnlyDuringTheDragReportsNothing) {
    watcher->start(collect());
    advance(10ms);
    press({300, 10}, false);
    advance(40ms);
    platform.input()->setModifierFlags(InputState::commandFlag);
    moveTo({500, 10});
    advance(40ms);
    platform.input()->releaseMouseButton(InputState::leftButton);
    advanceAndDeliver(2s);
    EXPECT_TRUE(events.empty());
}

TEST_F(MenuBarDragWatcherTest, StopDuringTheSettleWaitDeliversNothingAndLetsTheWatcherGo) {
    watcher->start(collect());
    drag(middleOf("fernlight.status"), middleOf("trv-control"));
    advanceAndDeliver(300ms);
    watcher->stop();
    advanceAndDeliver(2s);
    EXPECT_TRUE(events.empty());
    const int samples = input->samples();
    advance(1s);
    EXPECT_EQ(input->samples(), samples) << "no more ticks";
    EXPECT_EQ(queue->pendingCount(), 0U);

    std::weak_ptr<MenuBarDragWatcher> weak = watcher;
    watcher.reset();
    EXPECT_TRUE(weak.expired());
}

TEST_F(MenuBarDragWatcherTest, WhileWatchingTheTimerKeepsTheWatcherUntilStop) {
    platform.input()->setModifierFlags(InputState::commandFlag);
    watcher->start(collect());
    std::weak_ptr<MenuBarDragWatcher> weak = watcher;
    watcher.reset();
    advance(200ms);
    ASSERT_FALSE(weak.expired());
    EXPECT_EQ(input->samples(), 5) << "still ticking every 40 ms";

    // Resting, the watch still holds it, and the next Command press still counts.
    platform.input()->setModifierFlags(0);
    advance(200ms);
    ASSERT_FALSE(weak.expired());
    std::vector<MenuBarDragEvent> late;
    weak.lock()->start(collect(late));
    drag({300, 10}, {400, 10});
    advanceAndDeliver(1s);
    EXPECT_EQ(late.size(), 1U);

    weak.lock()->stop();
    EXPECT_TRUE(weak.expired());
}

TEST_F(MenuBarDragWatcherTest, TheTickRunsOnlyWhileCommandOrACommandPressIsHeld) {
    watcher->start(collect());
    advance(10s);
    EXPECT_EQ(input->samples(), 0) << "no tick while nothing can begin a Command-drag";

    // Shift alone wakes nothing; Command wakes a sample at once, then ticks.
    platform.input()->setModifierFlags(InputState::shiftFlag);
    advance(1s);
    EXPECT_EQ(input->samples(), 0);
    platform.input()->setModifierFlags(InputState::commandFlag);
    advance(0ms);
    EXPECT_EQ(input->samples(), 1) << "looked at once";
    advance(400ms);
    EXPECT_EQ(input->samples(), 11);

    // Command let go during a Command press: the ticks go on until the release.
    moveTo({300, 10});
    platform.input()->pressMouseButton(InputState::leftButton);
    advance(40ms);
    platform.input()->setModifierFlags(0);
    advance(400ms);
    EXPECT_EQ(input->samples(), 22) << "a Command press is under way";
    moveTo({400, 10});
    platform.input()->releaseMouseButton(InputState::leftButton);
    advance(40ms);
    const int atRest = input->samples();
    advanceAndDeliver(10s);
    EXPECT_EQ(input->samples(), atRest) << "resting again once the press ended";
    EXPECT_EQ(events,
              (std::vector<MenuBarDragEvent>{{Hit::none(), Hit::none(), true, {300, 10}, {400, 10}}}));
}

// What the resting watch did not see is judged as the ticks would have: a
// press held since before Command went down is a press without Command.
TEST_F(MenuBarDragWatcherTest, APressMadeWhileTheWatchRestedCountsOnlyWhenCommandCameFirst) {
    struct Case {
        std::string name;
        bool commandFirst;
        bool reported;
    };
    const std::vector<Case> cases{{"Command, then the press", true, true},
                                  {"the press, then Command", false, false}};
    watcher->start(collect());
    for (const auto& c : cases) {
        events.clear();
        moveTo({300, 10});
        advance(100ms);
        if (c.commandFirst) {
            platform.input()->setModifierFlags(InputState::commandFlag);
            advance(5ms);
            platform.input()->pressMouseButton(InputState::leftButton);
        } else {
            platform.input()->pressMouseButton(InputState::leftButton);
            advance(5ms);
            platform.input()->setModifierFlags(InputState::commandFlag);
        }
        advance(100ms);
        release({400, 10});
        advanceAndDeliver(1s);
        EXPECT_EQ(events.size(), c.reported ? 1U : 0U) << c.name;
    }
}

TEST_F(MenuBarDragWatcherTest, ASecondStartReplacesTheFirstHandlerAndTimer) {
    std::vector<MenuBarDragEvent> first;
    platform.input()->setModifierFlags(InputState::commandFlag);
    watcher->start(collect(first));
    advance(100ms);
    EXPECT_EQ(input->samples(), 2);
    watcher->start(collect());
    advance(400ms);
    EXPECT_EQ(input->samples(), 12) << "one tick every 40 ms from the second start on, not two";

    drag({300, 10}, {400, 10});
    advanceAndDeliver(1s);
    EXPECT_TRUE(first.empty());
    EXPECT_EQ(events.size(), 1U);
}

TEST_F(MenuBarDragWatcherTest, ATickUnderWayWhenStartComesLeavesTheNewTrackerAlone) {
    watcher->start(collect());
    // A drag in the band first, so that a press of the bar is on record.
    drag({300, 10}, {400, 10});
    advanceAndDeliver(1s);
    ASSERT_EQ(events.size(), 1U);
    events.clear();

    advance(10ms);
    // Command wakes the watch, whose sample sees the press; a new start lands
    // in the middle of it.
    input->setHook([this] { watcher->start(collect()); });
    press({300, 10}, true);
    advance(30ms);
    // Released before the new timer's first tick: the new watch never saw a press.
    release({500, 10});
    advanceAndDeliver(2s);
    EXPECT_TRUE(events.empty());
}

TEST_F(MenuBarDragWatcherTest, AStartDuringTheSettleWaitDropsThePendingEvent) {
    std::vector<MenuBarDragEvent> first;
    watcher->start(collect(first));
    drag({300, 10}, {400, 10});
    advance(100ms);
    watcher->start(collect());
    advanceAndDeliver(2s);
    EXPECT_TRUE(first.empty());
    EXPECT_TRUE(events.empty());
}

TEST_F(MenuBarDragWatcherTest, TheSimulatedUsersCommandDragIsReportedWithTheItemsAtBothEnds) {
    watcher->start(collect());
    const auto fernlight = middleOf("fernlight.status");
    const auto murmur = middleOf("murmurtask.inbox");
    advance(15ms);
    platform.input()->performCommandDrag(screenPoint(fernlight), screenPoint(murmur), 300ms);
    advanceAndDeliver(2s);
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].start, Hit::item("com.example.fernlight", "fernlight.status"));
    EXPECT_EQ(events[0].end, Hit::item("com.example.murmurtask", "murmurtask.inbox"));
    EXPECT_EQ(events[0].to, murmur);
    // Command going down wakes the watch, which sees the press where it began.
    EXPECT_EQ(events[0].from, fernlight);
}

TEST_F(MenuBarDragWatcherTest, TheEndHitIsTakenOnceTheBarHasSettled) {
    watcher->start(collect());
    const auto from = middleOf("fernlight.status");
    const auto to = middleOf("fernlight.timer");
    auto hitAt = [&](core::Point point) {
        return MenuBarDragWatcher::hit(point, *platform.accessibility(), *platform.workspace());
    };
    const Hit atRelease = hitAt(to);
    drag(from, to);
    // The application quits while the bar settles; the bar closes up.
    advance(500ms);
    ASSERT_TRUE(platform.desktop()->setRunning(531, false));
    const Hit settled = hitAt(to);
    ASSERT_NE(settled, atRelease);
    advanceAndDeliver(200ms);
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].start, Hit::item("com.example.fernlight", "fernlight.status"));
    EXPECT_EQ(events[0].end, settled);
}

// Hits over the simulated bar: items, a group's inner item, the bare bar.
TEST_F(MenuBarDragWatcherTest, HitsNameTheItemsOwnerAndUsableIdentifier) {
    auto items = platform.desktop()->application(537)->statusItems;
    items[0].role = AccessibilityName::groupRole;
    items[1].identifier = "_NS:42";
    ASSERT_TRUE(platform.desktop()->setStatusItems(537, items));

    auto& accessibility = *platform.accessibility();
    auto& applications = *platform.workspace();
    auto hitAt = [&](core::Point point) {
        return MenuBarDragWatcher::hit(point, accessibility, applications);
    };
    EXPECT_EQ(hitAt(middleOf("trv-control")), Hit::item(self, "trv-control"));
    EXPECT_EQ(hitAt(middleOf("fernlight.timer")), Hit::item("com.example.fernlight", "fernlight.timer"));
    EXPECT_EQ(hitAt(middleOf("murmurtask.inbox")), Hit::item("com.example.murmurtask", std::nullopt))
        << "a group's inner item is one level inside it; the group carries no identifier";
    EXPECT_EQ(hitAt(middleOf("_NS:42")), Hit::item("com.example.murmurtask", std::nullopt))
        << "a generated identifier is not usable";
    EXPECT_EQ(hitAt(middleOf("com.apple.menuextra.clock")),
              Hit::item("com.apple.controlcenter", "com.apple.menuextra.clock"));
    EXPECT_EQ(hitAt({300, 10}), Hit::none()) << "the bare bar";
    EXPECT_EQ(hitAt({300, 400}), Hit::none()) << "below the bar";
}

// An accessibility interface with one status item whose hit element lies
// `depth` levels inside it. Every element is a fresh reference, equal (as the
// interface sees it) to the others made for the same node, as the system's are.
class NestedItemAccessibility final : public Accessibility {
public:
    // Nodes: the system-wide element, the application, its extras menu bar,
    // the status item, then the levels inside it.
    static constexpr int systemWideNode = -1;
    static constexpr int applicationNode = 0;
    static constexpr int extrasNode = 1;
    static constexpr int itemNode = 2;

    int depth = 0;
    std::int32_t hitError = AccessibilityError::success;
    std::int32_t pid = 40;
    bool hasExtras = true;
    // The node whose "AXParent" fails; none when 0.
    int brokenParent = 0;
    std::optional<AccessibilityValue> identifier = AccessibilityValue{std::string("nested.item")};
    std::vector<std::pair<int, float>> timeouts;

    bool isProcessTrusted() override { return true; }
    AccessibilityElement createApplication(std::int32_t) override { return make(applicationNode); }
    AccessibilityElement createSystemWide() override { return make(systemWideNode); }
    ElementResult copyElementAtPosition(const AccessibilityElement& element, float, float) override {
        if (node(element) != systemWideNode || hitError != AccessibilityError::success) {
            return ElementResult{hitError, {}};
        }
        return ElementResult{AccessibilityError::success, make(itemNode + depth)};
    }
    ProcessResult getPid(const AccessibilityElement&) override { return ProcessResult{0, pid}; }
    bool isEqual(const AccessibilityElement& first, const AccessibilityElement& second) override {
        return node(first) == node(second);
    }
    std::int32_t setMessagingTimeout(const AccessibilityElement& element, float seconds) override {
        timeouts.emplace_back(node(element), seconds);
        return AccessibilityError::success;
    }
    CopyResult copyAttributeValue(const AccessibilityElement& element, std::string_view attribute) override {
        const int at = node(element);
        if (attribute == AccessibilityName::extrasMenuBar && at == applicationNode && hasExtras) {
            return value(make(extrasNode));
        }
        if (attribute == AccessibilityName::parent && at >= extrasNode && at != brokenParent) {
            return value(make(at - 1));
        }
        if (attribute == AccessibilityName::identifier && at == itemNode && identifier) {
            return CopyResult{AccessibilityError::success, identifier};
        }
        return CopyResult{AccessibilityError::noValue, std::nullopt};
    }
    CopyResult copyActionNames(const AccessibilityElement&) override {
        return CopyResult{AccessibilityError::noValue, std::nullopt};
    }
    std::int32_t performAction(const AccessibilityElement&, std::string_view) override {
        return AccessibilityError::actionUnsupported;
    }

private:
    struct Node final : AccessibilityElement::Reference {
        explicit Node(int id) : id(id) {}
        int id;
    };
    static AccessibilityElement make(int id) { return AccessibilityElement(std::make_shared<Node>(id)); }
    static int node(const AccessibilityElement& element) {
        return static_cast<const Node&>(*element.reference()).id;
    }
    static CopyResult value(AccessibilityElement element) {
        return CopyResult{AccessibilityError::success, AccessibilityValue{std::move(element)}};
    }
};

// The two processes of the nested-item accessibility, as the workspace lists them.
class Applications final : public platform::Workspace {
public:
    Applications() {
        running[0].processIdentifier = 39;
        running[0].bundleIdentifier = "com.example.other";
        running[1].processIdentifier = 40;
        running[1].bundleIdentifier = "com.example.nested";
    }
    std::vector<RunningApplication> running = std::vector<RunningApplication>(2);
    std::vector<RunningApplication> runningApplications() const override { return running; }
    std::unique_ptr<KeyValueObservation> observeRunningApplications(std::function<void()>) override {
        return nullptr;
    }
    std::shared_ptr<platform::NotificationCenter> notificationCenter() const override { return nullptr; }
    std::optional<std::string> urlForApplication(const std::string&) const override { return std::nullopt; }
    platform::ApplicationIcon iconForFile(const std::string&) const override { return {}; }
    platform::ApplicationIcon iconForApplicationBundleType() const override { return {}; }
};

TEST(MenuBarDragWatcherHitTest, WalksUpAtMostFiveParentsToTheStatusItem) {
    for (int depth = 0; depth <= 6; ++depth) {
        NestedItemAccessibility accessibility;
        accessibility.depth = depth;
        const auto hit = MenuBarDragWatcher::hit({500, 10}, accessibility, Applications());
        EXPECT_EQ(hit, depth <= 4 ? Hit::item("com.example.nested", "nested.item") : Hit::none())
            << depth << " levels inside the item";
        using Timeouts = std::vector<std::pair<int, float>>;
        EXPECT_EQ(accessibility.timeouts, (Timeouts{{NestedItemAccessibility::systemWideNode, 0.25F},
                                                    {NestedItemAccessibility::applicationNode, 0.25F}}));
    }
}

TEST(MenuBarDragWatcherHitTest, AnyFailureOnTheWayIsNoHit) {
    struct Case {
        std::string name;
        std::function<void(NestedItemAccessibility&, Applications&)> change;
        Hit expected;
    };
    const Hit noIdentifier = Hit::item("com.example.nested", std::nullopt);
    const std::vector<Case> cases{
        {"nothing at the point", [](auto& a, auto&) { a.hitError = AccessibilityError::noValue; },
         Hit::none()},
        {"the hit times out", [](auto& a, auto&) { a.hitError = AccessibilityError::cannotComplete; },
         Hit::none()},
        {"no process", [](auto& a, auto&) { a.pid = 0; }, Hit::none()},
        {"a process not running", [](auto& a, auto&) { a.pid = 41; }, Hit::none()},
        {"an application without a bundle identifier",
         [](auto&, auto& apps) { apps.running[1].bundleIdentifier.reset(); }, Hit::none()},
        {"no extras menu bar", [](auto& a, auto&) { a.hasExtras = false; }, Hit::none()},
        {"a parent that cannot be read on the way",
         [](auto& a, auto&) {
             a.depth = 3;
             a.brokenParent = NestedItemAccessibility::itemNode + 1;
         },
         Hit::none()},
        {"an identifier that is not text", [](auto& a, auto&) { a.identifier = AccessibilityValue{2.0}; },
         noIdentifier},
        {"no identifier", [](auto& a, auto&) { a.identifier.reset(); }, noIdentifier},
        {"a generated identifier",
         [](auto& a, auto&) { a.identifier = AccessibilityValue{std::string("_NS:17")}; }, noIdentifier},
    };
    for (const auto& c : cases) {
        NestedItemAccessibility accessibility;
        Applications applications;
        c.change(accessibility, applications);
        EXPECT_EQ(MenuBarDragWatcher::hit({500, 10}, accessibility, applications), c.expected) << c.name;
    }
}

TEST(MenuBarDragWatcherBandTest, ThePointMustLieInTheTop44PointsOfAnActiveDisplay) {
    // The main screen, and a second one to its right standing 298 points higher
    // (top-down bounds from y = -298).
    auto desktop = std::make_shared<platform::SimulatedDesktop>(
        std::vector<platform::SimulatedScreen>{platform::SimulatedScreen{core::Rect(0, 0, 1512, 982)},
                                               platform::SimulatedScreen{core::Rect(1512, 200, 1920, 1080)}},
        std::vector<platform::SimulatedApplication>{});
    platform::SimulatedWindowServer displays(desktop);
    const std::vector<std::pair<core::Point, bool>> points{
        {{0, 0}, true},        {{1511.9, 43.9}, true}, {{1512, 10}, false},  {{10, 44}, false},
        {{-0.1, 10}, false},   {{10, -0.1}, false},    {{1512, -298}, true}, {{3431.9, -254.1}, true},
        {{3432, -290}, false}, {{2000, -254}, false},  {{2000, 10}, false},
    };
    for (const auto& [point, inside] : points) {
        EXPECT_EQ(MenuBarDragWatcher::isInMenuBar(point, displays), inside) << point.x << ", " << point.y;
    }
    displays.setDisplayListError(platform::DisplayList::failure);
    EXPECT_FALSE(MenuBarDragWatcher::isInMenuBar({10, 10}, displays)) << "unreadable displays: outside";
}

// The one test in real time: the timer runs on the watcher's own queue.
TEST(MenuBarDragWatcherQueueTest, TicksEvery40msOnTheDragWatcherQueue) {
    platform::SimulatedPlatform platform;
    ManualExecutor executor;
    auto input = std::make_shared<SampledInput>(platform.input());
    auto services = platform.services();
    services.inputState = input;
    auto watcher = MenuBarDragWatcher::create(services, executor);
    EXPECT_EQ(watcher->queue()->label(), "app.trayvane.pellacor.drag-watcher");
    platform.input()->setModifierFlags(InputState::commandFlag);

    watcher->start([](const MenuBarDragEvent&) {});
    const bool ticked = input->waitForSamples(2, 30s);
    watcher->stop();
    ASSERT_TRUE(ticked);
    for (const auto& thread : input->threads()) {
        EXPECT_EQ(thread, concurrency::SerialQueue::threadName(MenuBarDragWatcher::queueLabel()));
    }
}

} // namespace
} // namespace PELLACOR_TEST_FILE
