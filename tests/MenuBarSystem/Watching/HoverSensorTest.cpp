#include "MenuBarSystem/Watching/HoverSensor.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/TaskHandle.h"
#include "Platform/AccessibilityError.h"
#include "Platform/AccessibilityName.h"
#include "Platform/NotificationNames.h"
#include "Platform/Simulated/SimulatedNotificationCenter.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/FakeWorkspace.h"
#include "Support/SensorFakes.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using core::HoverZone;
using pellacor::testing::FakeInputState;
using pellacor::testing::FakeProcessInfo;
using pellacor::testing::FakeScreens;
using pellacor::testing::FakeStatusBar;
using pellacor::testing::FakeWindowList;
using platform::Accessibility;
using platform::AccessibilityElement;
using platform::AccessibilityError;
using platform::AccessibilityName;
using platform::AccessibilityValue;
using platform::NotificationNames;
using Band = PointerSensor::ScreenBand;

namespace {

const std::string menuBar(AccessibilityName::menuBarRole);
const std::string menuBarItem(AccessibilityName::menuBarItemRole);

platform::Screen screen(core::Rect frame, double visibleMaxY,
                        std::optional<core::Rect> topRight = std::nullopt, double safeTop = 0) {
    platform::Screen result;
    result.frame = frame;
    result.visibleFrame = core::Rect(frame.minX(), frame.minY(), frame.width(), visibleMaxY - frame.minY());
    result.safeAreaInsets.top = safeTop;
    result.auxiliaryTopRightArea = topRight;
    return result;
}

// An accessibility interface whose system-wide hit test answers from a table of
// points. It notes every point asked, the thread that asked and each time-out set.
class HitTable final : public Accessibility {
public:
    struct Node final : AccessibilityElement::Reference {
        std::optional<std::string> role;
        std::int32_t pid = 0;
    };
    struct Answer {
        std::int32_t error = AccessibilityError::success;
        std::optional<std::string> role;
        std::int32_t pid = 0;
    };

    std::map<std::pair<float, float>, Answer> answers;

    std::vector<core::Point> asked() const {
        std::lock_guard lock(mutex_);
        return asked_;
    }
    std::vector<std::thread::id> threads() const {
        std::lock_guard lock(mutex_);
        return threads_;
    }
    std::vector<float> timeouts() const {
        std::lock_guard lock(mutex_);
        return timeouts_;
    }

    bool isProcessTrusted() override { return true; }
    AccessibilityElement createApplication(std::int32_t) override {
        return AccessibilityElement(std::make_shared<Node>());
    }
    AccessibilityElement createSystemWide() override {
        return AccessibilityElement(std::make_shared<Node>());
    }
    ElementResult copyElementAtPosition(const AccessibilityElement&, float x, float y) override {
        std::lock_guard lock(mutex_);
        asked_.push_back(core::Point{x, y});
        threads_.push_back(std::this_thread::get_id());
        auto it = answers.find({x, y});
        if (it == answers.end()) {
            return ElementResult{AccessibilityError::noValue, {}};
        }
        if (it->second.error != AccessibilityError::success) {
            return ElementResult{it->second.error, {}};
        }
        auto node = std::make_shared<Node>();
        node->role = it->second.role;
        node->pid = it->second.pid;
        return ElementResult{AccessibilityError::success, AccessibilityElement(node)};
    }
    ProcessResult getPid(const AccessibilityElement& element) override {
        return ProcessResult{AccessibilityError::success, static_cast<Node&>(*element.reference()).pid};
    }
    std::int32_t setMessagingTimeout(const AccessibilityElement&, float seconds) override {
        std::lock_guard lock(mutex_);
        timeouts_.push_back(seconds);
        return AccessibilityError::success;
    }
    CopyResult copyAttributeValue(const AccessibilityElement& element, std::string_view attribute) override {
        const auto& node = static_cast<Node&>(*element.reference());
        if (attribute != AccessibilityName::role || !node.role) {
            return CopyResult{AccessibilityError::noValue, std::nullopt};
        }
        return CopyResult{AccessibilityError::success, AccessibilityValue{*node.role}};
    }
    CopyResult copyActionNames(const AccessibilityElement&) override {
        return CopyResult{AccessibilityError::actionUnsupported, std::nullopt};
    }
    std::int32_t performAction(const AccessibilityElement&, std::string_view) override {
        return AccessibilityError::actionUnsupported;
    }

private:
    mutable std::mutex mutex_;
    std::vector<core::Point> asked_;
    std::vector<std::thread::id> threads_;
    std::vector<float> timeouts_;
};

// One 1512 by 982 screen with a 24-point bar (y 958 to 982), no notch, and the
// control item at x 1000 to 1028 across the bar.
struct HoverSensorTest : ::testing::Test {
    concurrency::ManualExecutor executor;
    std::shared_ptr<concurrency::SerialQueue> queue =
        std::make_shared<concurrency::SerialQueue>(HoverSensor::queueLabel());
    std::shared_ptr<FakeScreens> screens = std::make_shared<FakeScreens>();
    std::shared_ptr<FakeInputState> input = std::make_shared<FakeInputState>();
    std::shared_ptr<FakeStatusBar> statusBar = std::make_shared<FakeStatusBar>();
    std::shared_ptr<FakeWindowList> windowList = std::make_shared<FakeWindowList>();
    std::shared_ptr<HitTable> accessibility = std::make_shared<HitTable>();
    std::shared_ptr<FakeProcessInfo> processInfo = std::make_shared<FakeProcessInfo>();
    std::shared_ptr<platform::SimulatedNotificationCenter> defaultCenter =
        std::make_shared<platform::SimulatedNotificationCenter>();
    std::shared_ptr<platform::SimulatedNotificationCenter> workspaceCenter =
        std::make_shared<platform::SimulatedNotificationCenter>();
    std::optional<core::Rect> control = core::Rect(1000, 958, 28, 24);

    HoverSensorTest() { screens->attached = {screen(core::Rect(0, 0, 1512, 982), 958)}; }

    std::shared_ptr<HoverSensor> makeSensor() {
        platform::PlatformServices services;
        services.screens = screens;
        services.inputState = input;
        services.statusBar = statusBar;
        services.windowList = windowList;
        services.accessibility = accessibility;
        services.processInfo = processInfo;
        services.notificationCenter = defaultCenter;
        auto workspace = std::make_shared<pellacor::testing::FakeWorkspace>();
        workspace->center = workspaceCenter;
        services.workspace = workspace;
        return HoverSensor::create([this] { return control; }, services, queue);
    }

    std::optional<HoverSpaceCheck> check(HoverSensor& sensor, core::Point point) {
        auto handle = concurrency::spawn(executor, sensor.checkEmptySpace(point));
        if (!executor.runUntil([&] { return handle.isFinished(); })) {
            return std::nullopt;
        }
        return handle.result();
    }
};

} // namespace

TEST(HoverSensorZoneTest, ZonesOfThePointerAroundTheControlItem) {
    using Screens = std::vector<HoverSensor::Screen>;
    const core::Rect laptop(0, 0, 1512, 982);
    // A 24-point bar (y 958 up), without a notch: the right half is the right area.
    const Screens plain{{Band{laptop, 958, 0}, 756}};
    // No gap reported: the fallback strip of 40 points (y 942 up).
    const Screens noGap{{Band{laptop, 982, 0}, 756}};
    // A 37-point bar beside a camera housing (y 945 up), its right area from x 846.
    const Screens notch{{Band{laptop, 945, 37}, 846}};
    // The first screen and one to its right, whose bar runs from y 1056 to 1080.
    const Screens two{plain[0], {Band{core::Rect(1512, 0, 1920, 1080), 1056, 0}, 2472}};
    const core::Rect item(1000, 958, 28, 24);
    // The control item lower in the taller bar: y 950 to 972, grown 946 to 976.
    const core::Rect low(1000, 950, 28, 22);
    const struct Case {
        const char* what;
        const Screens& screens;
        std::optional<core::Rect> control;
        core::Point point;
        HoverZone expected;
    } cases[] = {
        {"no control item", plain, std::nullopt, {1010, 970}, HoverZone::away},
        {"an empty control frame", plain, core::Rect(1000, 958, 0, 24), {1000, 970}, HoverZone::away},
        {"the control item on no screen", plain, core::Rect(5000, 958, 28, 24), {1010, 970}, HoverZone::away},
        {"on the control item", plain, item, {1010, 970}, HoverZone::control},
        {"right of it", plain, item, {1028, 970}, HoverZone::rightSpace},
        {"the right half without a notch", plain, item, {756, 970}, HoverZone::rightSpace},
        {"the left half", plain, item, {755.9, 970}, HoverZone::away},
        {"the screen's right edge is off it", plain, item, {1512, 970}, HoverZone::away},
        {"just inside the right edge", plain, item, {1511.9, 970}, HoverZone::rightSpace},
        {"the top edge is on it", plain, item, {1200, 982}, HoverZone::rightSpace},
        {"above the screen", plain, item, {1200, 982.1}, HoverZone::away},
        {"the strip's lower edge", plain, item, {1200, 958}, HoverZone::rightSpace},
        {"below the bar", plain, item, {1200, 957.9}, HoverZone::away},
        {"below the bar under the item", plain, item, {1010, 957.9}, HoverZone::away},
        {"a 40-point strip without a gap", noGap, item, {1200, 942}, HoverZone::rightSpace},
        {"not below it", noGap, item, {1200, 941.9}, HoverZone::away},
        {"4 points below the item", notch, low, {1010, 946}, HoverZone::control},
        {"more than 4 below", notch, low, {1010, 945.9}, HoverZone::rightSpace},
        {"less than 4 above", notch, low, {1010, 975.9}, HoverZone::control},
        {"4 above", notch, low, {1010, 976}, HoverZone::rightSpace},
        {"no wider than the item", notch, low, {999.9, 960}, HoverZone::rightSpace},
        {"left of a notch's right area", notch, low, {845.9, 970}, HoverZone::away},
        {"on a notch's right area", notch, low, {846, 970}, HoverZone::rightSpace},
        {"another screen's bar", two, item, {3000, 1070}, HoverZone::away},
        {"on the control item's screen, the second",
         two,
         core::Rect(2000, 1056, 28, 24),
         {3000, 1070},
         HoverZone::rightSpace},
        {"its screen is found by its middle",
         two,
         core::Rect(1500, 960, 28, 20),
         {3000, 1070},
         HoverZone::rightSpace},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HoverSensor::zone(c.point, c.screens, c.control, 24), c.expected) << c.what;
    }
}

TEST(HoverSensorZoneTest, TheRightAreaBeginsAtANotchOnTheScreenElseAtTheMiddle) {
    const core::Rect frame(0, 0, 1512, 982);
    const struct Case {
        const char* what;
        std::optional<core::Rect> topRight;
        double expected;
    } cases[] = {
        {"no notch", std::nullopt, 756},
        {"a notch", core::Rect(846, 945, 666, 37), 846},
        {"an empty area", core::Rect(846, 945, 0, 37), 756},
        {"an area off the screen", core::Rect(2000, 945, 666, 37), 756},
    };
    for (const auto& c : cases) {
        const auto screens = HoverSensor::hoverScreens({screen(frame, 945, c.topRight, 37)});
        ASSERT_EQ(screens.size(), 1U);
        EXPECT_EQ(screens[0], (HoverSensor::Screen{Band{frame, 945, 37}, c.expected})) << c.what;
    }
}

TEST(HoverSensorZoneTest, ProbePointsAreTopDownAroundThePoint) {
    const auto probes = HoverSensor::probePoints({500, 970}, 982);
    EXPECT_EQ(probes[0], (core::Point{484, 12}));
    EXPECT_EQ(probes[1], (core::Point{500, 12}));
    EXPECT_EQ(probes[2], (core::Point{516, 12}));
    EXPECT_EQ(HoverSensor::probePoints({500, 1070}, 1082)[1], (core::Point{500, 12}))
        << "measured from the first screen's top";
}

TEST_F(HoverSensorTest, ASampleReadsThePointerAndTheControlItemOverTheScreensKeptFromTheLastChange) {
    auto sensor = makeSensor();
    input->location = {1200, 970};
    EXPECT_EQ(sensor->sample(), (HoverSample{HoverZone::rightSpace, false, {1200, 970}}));
    input->buttons = 0b10;
    EXPECT_EQ(sensor->sample(), (HoverSample{HoverZone::rightSpace, true, {1200, 970}}));
    input->location = {1010, 960};
    control = core::Rect(1000, 962, 28, 20);
    EXPECT_EQ(sensor->sample().zone, HoverZone::control);
    control.reset();
    EXPECT_EQ(sensor->sample().zone, HoverZone::away);

    // A second screen appears to the right; until a change is announced, the
    // sensor keeps the screens it had.
    control = core::Rect(2000, 1056, 28, 24);
    screens->attached.push_back(screen(core::Rect(1512, 0, 1920, 1080), 1056));
    input->location = {3000, 1070};
    EXPECT_EQ(sensor->sample().zone, HoverZone::away);
    defaultCenter->post({std::string(NotificationNames::applicationDidChangeScreenParameters)});
    EXPECT_EQ(sensor->sample().zone, HoverZone::rightSpace);

    screens->attached.pop_back();
    EXPECT_EQ(sensor->sample().zone, HoverZone::rightSpace);
    workspaceCenter->post({std::string(NotificationNames::workspaceActiveSpaceDidChange)});
    EXPECT_EQ(sensor->sample().zone, HoverZone::away) << "a Space change reads them again";
    EXPECT_TRUE(windowList->asked.empty()) << "a sample never reads the window list";
}

TEST_F(HoverSensorTest, ReleasingTheSensorRemovesBothObservations) {
    auto sensor = makeSensor();
    EXPECT_EQ(defaultCenter->observerCount(NotificationNames::applicationDidChangeScreenParameters), 1U);
    EXPECT_EQ(workspaceCenter->observerCount(NotificationNames::workspaceActiveSpaceDidChange), 1U);
    EXPECT_EQ(defaultCenter->observerCount() + workspaceCenter->observerCount(), 2U);
    sensor.reset();
    EXPECT_EQ(defaultCenter->observerCount() + workspaceCenter->observerCount(), 0U);
}

TEST_F(HoverSensorTest, AMenuIsOpenWithAButtonDownAnUnreadableListOrAPopUpMenuWindow) {
    auto sensor = makeSensor();
    const struct Case {
        const char* what;
        std::uint64_t buttons;
        std::optional<std::vector<platform::WindowDescription>> windows;
        bool expected;
    } cases[] = {
        {"nothing open", 0, std::vector<platform::WindowDescription>{}, false},
        {"a button down", 1, std::vector<platform::WindowDescription>{}, true},
        {"an unreadable window list", 0, std::nullopt, true},
        {"a menu window", 0, std::vector{FakeWindowList::window(101, core::Rect(10, 30, 100, 100))}, true},
        {"a panel is no menu", 0, std::vector{FakeWindowList::window(3, core::Rect(10, 30, 100, 100))},
         false},
        {"a menu of unknown bounds", 0, std::vector{FakeWindowList::window(101, core::Rect::null())}, true},
    };
    for (const auto& c : cases) {
        input->buttons = c.buttons;
        windowList->windows = c.windows;
        EXPECT_EQ(sensor->menuIsOpen(), c.expected) << c.what;
    }
}

TEST_F(HoverSensorTest, EmptySpaceIsTheBareBarOnTheScreenThatHoldsThisProgramsControlItem) {
    // The control item's middle is (1014, 12) top-down; probes at 1184, 1200 and 1216.
    using Answer = HitTable::Answer;
    const std::pair<float, float> controlPoint{1014, 12};
    const Answer ownItem{AccessibilityError::success, menuBarItem, 520};
    const Answer bare{AccessibilityError::success, menuBar, 310};
    const std::string elsewhere = "（いま使っている画面ではない）";
    const struct Case {
        const char* what;
        Answer control;
        std::vector<std::optional<Answer>> probes; // nothing: no element there
        HoverSpaceCheck expected;
        std::size_t hits;
    } cases[] = {
        {"all bare", ownItem, {bare, bare, bare}, {true, ""}, 4},
        {"an item among them",
         ownItem,
         {bare, Answer{0, menuBarItem, 531}, bare},
         {false, "AXMenuBar・AXMenuBarItem・AXMenuBar"},
         4},
        {"nothing or no role",
         ownItem,
         {std::nullopt, bare, Answer{0, std::nullopt, 531}},
         {false, "読めない・AXMenuBar・読めない"},
         4},
        {"a failed probe",
         ownItem,
         {bare, Answer{AccessibilityError::cannotComplete, menuBar, 0}, bare},
         {false, "AXMenuBar・読めない・AXMenuBar"},
         4},
        {"the control point hits another program",
         Answer{0, menuBarItem, 310},
         {bare, bare, bare},
         {false, "操作口に当てると AXMenuBarItem" + elsewhere},
         1},
        {"the control point hits the bare bar",
         Answer{0, menuBar, 520},
         {bare, bare, bare},
         {false, "操作口に当てると AXMenuBar" + elsewhere},
         1},
        {"the control point hits nothing readable",
         Answer{AccessibilityError::cannotComplete, {}, 0},
         {bare, bare, bare},
         {false, "操作口に当てると 読めない" + elsewhere},
         1},
        {"the control point's element has no role",
         Answer{0, std::nullopt, 520},
         {bare, bare, bare},
         {false, "操作口に当てると 読めない" + elsewhere},
         1},
    };
    for (const auto& c : cases) {
        accessibility = std::make_shared<HitTable>();
        accessibility->answers[controlPoint] = c.control;
        const float xs[] = {1184, 1200, 1216};
        for (std::size_t i = 0; i < 3; ++i) {
            if (c.probes[i]) {
                accessibility->answers[{xs[i], 12}] = *c.probes[i];
            }
        }
        auto sensor = makeSensor();
        EXPECT_EQ(check(*sensor, {1200, 970}), c.expected) << c.what;
        const auto asked = accessibility->asked();
        ASSERT_EQ(asked.size(), c.hits) << c.what;
        EXPECT_EQ(asked[0], (core::Point{1014, 12})) << c.what;
        for (std::size_t i = 1; i < asked.size(); ++i) {
            EXPECT_EQ(asked[i], (core::Point{xs[i - 1], 12})) << c.what;
        }
        for (const auto& thread : accessibility->threads()) {
            EXPECT_NE(thread, std::this_thread::get_id()) << c.what << ": hit tests leave the main thread";
        }
        for (const float timeout : accessibility->timeouts()) {
            EXPECT_EQ(timeout, 0.25F) << c.what;
        }
    }
}

TEST_F(HoverSensorTest, WithoutScreensOrAControlItemThereIsNothingToHit) {
    auto sensor = makeSensor();
    const HoverSpaceCheck unknown{false, "操作口の位置が分からない"};
    control.reset();
    EXPECT_EQ(check(*sensor, {1200, 970}), unknown);
    control = core::Rect(1000, 958, 28, 0);
    EXPECT_EQ(check(*sensor, {1200, 970}), unknown);
    control = core::Rect(1000, 958, 28, 24);
    screens->attached.clear();
    EXPECT_EQ(check(*sensor, {1200, 970}), unknown);
    EXPECT_TRUE(accessibility->asked().empty());
}

TEST(HoverSensorDesktopTest, OverTheSimulatedDesktopTheBareBarIsEmptyAndItemsAreNot) {
    platform::SimulatedPlatform platform;
    concurrency::ManualExecutor executor;
    const auto items = platform.desktop()->menuBarItems();
    const auto first = platform.desktop()->screens().front().frame;
    std::optional<core::Rect> control;
    core::Rect leftmost = items.front().frame;
    for (const auto& item : items) {
        if (item.item.identifier == "trv-control") {
            control = core::convertScreenSpace(item.frame, first);
        }
    }
    ASSERT_TRUE(control) << "the program's control item is on the bar";
    auto queue = std::make_shared<concurrency::SerialQueue>(HoverSensor::queueLabel());
    auto sensor = HoverSensor::create([control] { return control; }, platform.services(), queue);

    platform.input()->moveMouse({control->midX(), control->midY()});
    EXPECT_EQ(sensor->sample().zone, HoverZone::control);

    auto check = [&](core::Point point) -> std::optional<HoverSpaceCheck> {
        auto handle = concurrency::spawn(executor, sensor->checkEmptySpace(point));
        if (!executor.runUntil([&] { return handle.isFinished(); })) {
            return std::nullopt;
        }
        return handle.result();
    };
    const double barMiddle = first.maxY() - 12;
    EXPECT_EQ(check({leftmost.minX() - 40, barMiddle}), (HoverSpaceCheck{true, ""}));
    EXPECT_EQ(check({leftmost.minX() - 10, barMiddle}),
              (HoverSpaceCheck{false, "AXMenuBar・AXMenuBar・AXMenuBarItem"}));

    EXPECT_FALSE(sensor->menuIsOpen());
    ASSERT_TRUE(platform.desktop()->openWindow(531, platform::SimulatedDesktop::menuLayer,
                                               core::Rect(leftmost.minX() - 60, 5, 100, 200)));
    EXPECT_TRUE(sensor->menuIsOpen());
    EXPECT_EQ(check({leftmost.minX() - 40, barMiddle}), (HoverSpaceCheck{false, "AXMenu・AXMenu・AXMenu"}));
}

} // namespace PELLACOR_TEST_FILE
