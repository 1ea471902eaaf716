#include "Platform/Simulated/MenuBarLayoutFile.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/DesktopBuilders.h"
#include "Support/TempDir.h"

#include <atomic>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;
using pellacor::testing::application;
using pellacor::testing::statusItem;
using namespace std::chrono_literals;

namespace {

// Two applications on a 1000-point screen (a1 960-1000, b1 930-960, b2
// 900-930), a home folder, and a virtual clock on the desktop.
struct SimulatedDesktopMomentsTest : ::testing::Test {
    pellacor::testing::TempDir home;
    std::shared_ptr<std::atomic<std::int64_t>> clock = std::make_shared<std::atomic<std::int64_t>>(0);
    std::unique_ptr<SimulatedPlatform> platform = [this] {
        Scenario s;
        s.screens = {SimulatedScreen{core::Rect(0, 0, 1000, 800)}};
        s.applications = {application("com.example.a", 11, {statusItem("a1", 40)}),
                          application("com.example.b", 12, {statusItem("b1", 30), statusItem("b2", 30)})};
        // b1's menu closes on its own 4 s after it opens, as a scenario may ask.
        s.applications[1].statusItems[0].menu.openFor = 4000ms;
        s.home.folder = home.path();
        auto made = std::make_unique<SimulatedPlatform>(s);
        made->desktop()->setClock([c = clock] { return std::chrono::nanoseconds(c->load()); });
        return made;
    }();
    std::vector<SimulatedDesktop::Change> changes;

    SimulatedDesktopMomentsTest() {
        platform->desktop()->addObserver(
            [this](SimulatedDesktop::Change change) { changes.push_back(change); });
    }
    void advance(std::chrono::nanoseconds time) { *clock += time.count(); }
    std::vector<std::string> order() const {
        std::vector<std::string> ids;
        for (const auto& placed : platform->desktop()->menuBarItems()) {
            ids.push_back(placed.item.identifier.value_or("?"));
        }
        return ids;
    }
};

} // namespace

TEST_F(SimulatedDesktopMomentsTest, AMenuOpeningAndClosingIsAnnouncedWhenItFallsDue) {
    auto& desktop = *platform->desktop();
    changes.clear();
    ASSERT_TRUE(desktop.pressItem(12, 0));
    EXPECT_EQ(changes, std::vector{SimulatedDesktop::Change::moments})
        << "whoever drives the clock hears of the new moment at once";
    EXPECT_EQ(desktop.nextMoment(), std::optional(std::chrono::nanoseconds(80ms)));
    changes.clear();
    advance(50ms);
    desktop.passTime();
    EXPECT_TRUE(changes.empty()) << "nothing fell due yet";
    advance(30ms);
    desktop.passTime();
    EXPECT_EQ(changes, std::vector{SimulatedDesktop::Change::windows});
    EXPECT_EQ(desktop.windows().size(), 1U);
    EXPECT_EQ(desktop.nextMoment(), std::optional(std::chrono::nanoseconds(4080ms)))
        << "it closes on its own";
    advance(5s);
    desktop.passTime();
    EXPECT_EQ(changes.size(), 2U);
    EXPECT_EQ(desktop.nextMoment(), std::nullopt);
}

TEST_F(SimulatedDesktopMomentsTest, AMenuStaysOpenUntilItIsClosedUnlessItsScenarioSaysOtherwise) {
    auto& desktop = *platform->desktop();
    ASSERT_TRUE(desktop.pressItem(11, 0));
    advance(80ms);
    desktop.passTime();
    ASSERT_EQ(desktop.windows().size(), 1U);
    EXPECT_EQ(desktop.nextMoment(), std::nullopt) << "nothing closes it on its own";
    advance(1h);
    desktop.passTime();
    EXPECT_EQ(desktop.windows().size(), 1U);
    desktop.closeMenus();
    EXPECT_TRUE(desktop.windows().empty()) << "a click elsewhere or Escape closes it";
}

TEST_F(SimulatedDesktopMomentsTest, AScheduledActionIsAnnouncedAsANewMoment) {
    auto& desktop = *platform->desktop();
    changes.clear();
    bool ran = false;
    desktop.scheduleAt(300ms, [&] { ran = true; });
    EXPECT_EQ(changes, std::vector{SimulatedDesktop::Change::moments});
    EXPECT_EQ(desktop.nextMoment(), std::optional(std::chrono::nanoseconds(300ms)));
    advance(300ms);
    desktop.passTime();
    EXPECT_TRUE(ran);
}

TEST_F(SimulatedDesktopMomentsTest, ADelayedPlacementIsAnnouncedAsAMenuBarChange) {
    auto& desktop = *platform->desktop();
    auto apps = desktop.applications();
    desktop.setRestriction(MenuBarRestriction{{}, {"com.example.a"}});
    SimulatedApplication late = application("com.example.late", 13, {statusItem("l1", 20)});
    late.placementDelay = 300ms;
    desktop.addApplication(late);
    desktop.setRestriction(MenuBarRestriction{{}, {"com.example.a", "com.example.late"}});
    EXPECT_EQ(desktop.nextMoment(), std::optional(std::chrono::nanoseconds(300ms)));
    changes.clear();
    advance(300ms);
    desktop.passTime();
    EXPECT_EQ(changes, std::vector{SimulatedDesktop::Change::menuBar});
    EXPECT_EQ(order(), (std::vector<std::string>{"l1", "a1"}));
}

TEST_F(SimulatedDesktopMomentsTest, ACommandDragMovesTheItemThroughTheLayoutTableOnceItEnds) {
    // Screen y 790 is the menu bar (top-down y 10). b2 (900-930) goes right of a1.
    platform->performCommandDrag(core::Point{915, 790}, core::Point{990, 790}, 200ms);
    EXPECT_EQ(order(), (std::vector<std::string>{"b2", "b1", "a1"}));
    advance(100ms);
    platform->desktop()->passTime();
    EXPECT_EQ(order(), (std::vector<std::string>{"b2", "b1", "a1"})) << "still being dragged";
    advance(100ms);
    platform->desktop()->passTime();
    EXPECT_EQ(order(), (std::vector<std::string>{"b1", "a1", "b2"}));
    const auto table = MenuBarLayoutFile::read(MenuBarLayoutFile::location(home.path()));
    EXPECT_EQ(table.at(MenuBarLayoutFile::key("com.example.b", "Item-1")), 0);
    EXPECT_FALSE(platform->input()->isDragging());

    EXPECT_FALSE(platform->desktop()->commandDragItem(core::Point{100, 10}, core::Point{990, 10}))
        << "nothing under the press";
}

TEST_F(SimulatedDesktopMomentsTest, ANewlyShownItemGetsAKeyWhereItStandsAWhileLaterAndNothingMoves) {
    auto& desktop = *platform->desktop();
    const auto file = MenuBarLayoutFile::location(home.path());
    // a1 has its place in the table; b's items have none and stand left of it.
    ASSERT_TRUE(MenuBarLayoutFile::write(file, {{"status:com.example.a::Item-0", 0.5}}));
    desktop.reloadLayoutTable();

    // Launched: the new application's items stand leftmost; one of them has a
    // preferred position of its own that puts it right of b's.
    SimulatedApplication launched =
        application("com.example.new", 13, {statusItem("n1", 20), statusItem("n2", 20)});
    launched.statusItems[1].preferredPosition = 0.75;
    ASSERT_TRUE(desktop.addApplication(launched));
    const auto before = order();
    ASSERT_EQ(before, (std::vector<std::string>{"n1", "b2", "b1", "n2", "a1"}));
    EXPECT_EQ(desktop.nextMoment(), std::optional(std::chrono::nanoseconds(SimulatedDesktop::recordDelay)));

    changes.clear();
    advance(2s);
    desktop.passTime();
    EXPECT_EQ(MenuBarLayoutFile::read(file).size(), 1U) << "not recorded yet";
    advance(500ms);
    desktop.passTime();
    const auto table = MenuBarLayoutFile::read(file);
    EXPECT_EQ(table, desktop.layoutTable());
    EXPECT_EQ(table, (MenuBarLayoutFile::Positions{{"status:com.example.a::Item-0", 0.5},
                                                   {"status:com.example.new::Item-1", 0.75},
                                                   {"status:com.example.b::Item-0", 1.75},
                                                   {"status:com.example.b::Item-1", 2.75},
                                                   {"status:com.example.new::Item-0", 3.75}}))
        << "a preferred position is kept; the others count up from the largest, right to left";
    EXPECT_EQ(order(), before) << "nothing moved";
    EXPECT_TRUE(changes.empty()) << "so nobody is told";
    EXPECT_EQ(desktop.nextMoment(), std::nullopt);

    // Two more launches a second apart: the first is recorded on its own, as
    // nothing without a key stands right of it; the second a second later.
    advance(1s);
    ASSERT_TRUE(desktop.addApplication(application("com.example.x", 14, {statusItem("x1", 20)})));
    advance(1s);
    ASSERT_TRUE(desktop.addApplication(application("com.example.y", 15, {statusItem("y1", 20)})));
    const auto withBoth = order();
    ASSERT_EQ(withBoth.front(), "y1");
    advance(1500ms);
    desktop.passTime();
    EXPECT_EQ(desktop.layoutTable().at("status:com.example.x::Item-0"), 4.75);
    EXPECT_FALSE(desktop.layoutTable().contains("status:com.example.y::Item-0"));
    EXPECT_EQ(order(), withBoth);
    advance(1s);
    desktop.passTime();
    EXPECT_EQ(desktop.layoutTable().at("status:com.example.y::Item-0"), 5.75);
    EXPECT_EQ(order(), withBoth);
}

TEST_F(SimulatedDesktopMomentsTest, AnItemGoneBeforeItsTimeIsNotRecorded) {
    auto& desktop = *platform->desktop();
    ASSERT_TRUE(desktop.addApplication(application("com.example.new", 13, {statusItem("n1", 20)})));
    advance(1s);
    ASSERT_TRUE(desktop.setStatusItems(13, {}));
    advance(2s);
    desktop.passTime();
    EXPECT_FALSE(desktop.layoutTable().contains("status:com.example.new::Item-0"));
    EXPECT_TRUE(desktop.layoutTable().contains("status:com.example.a::Item-0")) << "a1 stayed on the bar";
    EXPECT_EQ(desktop.nextMoment(), std::nullopt);
}

TEST_F(SimulatedDesktopMomentsTest, KeyPressesReachTheHotKeyManagerAndMonitorsSeePressesAnywhere) {
    int pressed = 0;
    auto& manager = *platform->hotkeyManager();
    manager.installApplicationEventHandler(&pellacor::testing::HotKeyCounter::handle,
                                           pellacor::testing::HotKeyCounter::pressedEvents(), &pressed);
    ASSERT_EQ(manager.registerApplicationHotKey(11, 0x0900, {1, 1}, 0).status, HotkeyManager::noErr);

    std::vector<GlobalEventMonitor::Event> seen;
    auto& monitor = *platform->services().globalEventMonitor;
    const auto id = monitor.addGlobalMonitor(
        GlobalEventMonitor::mouseDownMask | GlobalEventMonitor::mask(GlobalEventMonitor::EventKind::keyDown),
        [&](const GlobalEventMonitor::Event& event) { seen.push_back(event); });
    ASSERT_NE(id, 0U);

    EXPECT_EQ(platform->input()->pressKey(11, 0x0900), std::optional<std::int32_t>(HotkeyManager::noErr));
    EXPECT_EQ(pressed, 1);
    EXPECT_EQ(platform->input()->pressKey(12, 0x0900), std::nullopt) << "no hot key has that chord";
    platform->input()->moveMouse(core::Point{10, 20});
    platform->input()->pressMouseButton(InputState::rightButton);
    ASSERT_EQ(seen.size(), 3U);
    EXPECT_EQ(seen[0].keyCode, 11U);
    EXPECT_EQ(seen[2].kind, GlobalEventMonitor::EventKind::rightMouseDown);
    EXPECT_EQ(seen[2].location, (core::Point{10, 20}));

    monitor.removeMonitor(id);
    platform->input()->pressKey(11, 0x0900);
    EXPECT_EQ(seen.size(), 3U);
}

} // namespace PELLACOR_TEST_FILE
