#include "DemoDesktop/DesktopView.h"

#include "DemoDesktop/OffscreenApplication.h"
#include "MenuBarSystem/Watching/DragTracker.h"
#include "MenuBarSystem/Watching/PointerSensor.h"
#include "Platform/AccessibilityError.h"
#include "Platform/AccessibilityName.h"
#include "Platform/Simulated/MenuBarLayoutFile.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/DesktopBuilders.h"
#include "Support/TempDir.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

using namespace pellacor;
using namespace pellacor::platform;
using namespace std::chrono_literals;

QT_BEGIN_NAMESPACE
void PrintTo(const QRectF& rect, std::ostream* out) {
    *out << "(" << rect.x() << ", " << rect.y() << ", " << rect.width() << ", " << rect.height() << ")";
}
QT_END_NAMESPACE

namespace PELLACOR_TEST_FILE {

namespace {

// The default desktop with a home folder (its seeded layout table written
// there), on a virtual clock, shown in a view.
struct DesktopViewTest : ::testing::Test {
    pellacor::testing::TempDir home;
    std::shared_ptr<std::chrono::nanoseconds> clock = std::make_shared<std::chrono::nanoseconds>(1s);
    std::shared_ptr<SimulatedPlatform> platform = [this] {
        pellacor::testing::offscreenApplication();
        Scenario scenario = Scenario::defaultScenario();
        scenario.home.folder = home.path();
        auto made = std::make_shared<SimulatedPlatform>(scenario);
        made->desktop()->setClock([c = clock] { return *c; });
        return made;
    }();
    demo::DesktopView view{platform};

    DesktopViewTest() { view.resize(view.sizeHint()); }

    // Lets the view take in what the desktop reported.
    static void settle() { QCoreApplication::processEvents(); }
    void advance(std::chrono::nanoseconds time) {
        *clock += time;
        platform->desktop()->passTime();
        settle();
    }

    // The bar's frames as the view should draw them (the main screen is the first).
    std::vector<QRectF> expectedRects() const {
        std::vector<QRectF> rects;
        for (const auto& placed : platform->desktop()->menuBarItems()) {
            rects.emplace_back(placed.frame.minX(), placed.frame.minY(), placed.frame.width(),
                               placed.frame.height());
        }
        return rects;
    }
    QPointF centreOf(const std::string& identifier) const {
        if (const auto rect = view.itemRect(identifier)) {
            return rect->center();
        }
        ADD_FAILURE() << identifier << " is not on the bar";
        return {};
    }
    void mouse(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = {}) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, at, view.mapToGlobal(at), button, held, modifiers);
        QApplication::sendEvent(&view, &event);
    }
};

} // namespace

TEST_F(DesktopViewTest, TheDrawnItemsFollowTheBarThroughEveryKindOfChange) {
    const auto layoutFile = MenuBarLayoutFile::location(home.path());
    struct Step {
        const char* name;
        std::function<void()> change;
    };
    const std::vector<Step> steps{
        {"a restriction",
         [&] {
             platform->desktop()->setRestriction(MenuBarRestriction{{0, 1, 2, 3}, {"com.example.zephyrin"}});
         }},
        {"the restriction lifted", [&] { platform->desktop()->setRestriction(std::nullopt); }},
        {"a screen without a notch",
         [&] { platform->desktop()->setScreens({SimulatedScreen{core::Rect(0, 0, 1512, 982)}}); }},
        // Without the housing everything fits, so a launched application's item shows.
        {"a launch", [&] { ASSERT_TRUE(platform->desktop()->launch(590)); }},
        {"a quit", [&] { ASSERT_TRUE(platform->desktop()->setRunning(557, false)); }},
        {"a layout-table change",
         [&] {
             ASSERT_TRUE(MenuBarLayoutFile::write(layoutFile, {{"status:com.example.driftkey::Item-0", -1}}));
             platform->desktop()->reloadLayoutTable();
         }},
        {"a smaller notched screen",
         [&] {
             platform->desktop()->setScreens({SimulatedScreen{core::Rect(0, 0, 1280, 800), 32, 200}});
         }},
    };
    settle();
    ASSERT_EQ(view.itemRects(), expectedRects());
    for (const auto& step : steps) {
        const auto before = view.itemRects();
        step.change();
        settle();
        EXPECT_NE(view.itemRects(), before) << step.name << " changed what the bar shows";
        EXPECT_EQ(view.itemRects(), expectedRects()) << "after " << step.name;
    }
    EXPECT_EQ(view.sizeHint(), QSize(1280, 800)) << "the view is the main screen, point for pixel";
}

TEST_F(DesktopViewTest, AClickAtAnItemsCentrePressesThatItemAndItsMenuOpensInTime) {
    settle();
    const QPointF weather = centreOf("zephyrin.weather");
    mouse(QEvent::MouseButtonPress, weather, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, weather, Qt::LeftButton);
    const auto presses = platform->desktop()->presses();
    ASSERT_EQ(presses.size(), 1U);
    EXPECT_EQ(presses[0].processIdentifier, 541);
    EXPECT_EQ(presses[0].index, 0U);
    EXPECT_TRUE(platform->desktop()->windows().size() == 1U) << "only the editor's window so far";
    advance(80ms);
    ASSERT_EQ(platform->desktop()->windows().size(), 2U);
    EXPECT_EQ(platform->desktop()->windows()[0].layer, SimulatedDesktop::menuLayer);
    EXPECT_EQ(platform->input()->mouseLocation(), (core::Point{weather.x(), 982 - weather.y()}))
        << "the simulated pointer followed the real one";

    mouse(QEvent::MouseButtonPress, QPointF(100, 500), Qt::LeftButton);
    EXPECT_EQ(platform->desktop()->windows().size(), 1U) << "a click elsewhere closes the menu";
}

TEST_F(DesktopViewTest, AClickOnTheProgramsOwnItemReachesItsAction) {
    auto item = platform->statusBar()->statusItem(StatusItem::squareLength);
    item->setAccessibilityIdentifier("trv-control");
    std::vector<StatusItem::ClickEvent> clicks;
    item->setAction([&](const StatusItem::ClickEvent& event) { clicks.push_back(event); });
    settle();
    const QPointF control = centreOf("trv-control");
    mouse(QEvent::MouseButtonPress, control, Qt::RightButton, Qt::ShiftModifier);
    ASSERT_EQ(clicks.size(), 1U);
    EXPECT_EQ(clicks[0].kind, StatusItem::ClickEvent::Kind::rightMouseUp);
    EXPECT_EQ(clicks[0].modifierFlags, InputState::shiftFlag);
}

TEST_F(DesktopViewTest, ACommandDragInTheStripReachesTheDragWatchersInputAndMovesTheItem) {
    settle();
    const QPointF from = centreOf("zephyrin.weather");
    const QPointF to(view.itemRects().back().left() - 2, 10); // just left of the clock
    const auto& input = *platform->input();
    system::DragTracker tracker;
    std::vector<system::DragTracker::Event> seen;
    const auto sample = [&] {
        const bool down = input.buttonState(InputState::combinedSessionState, InputState::leftButton);
        const bool command =
            (input.flagsState(InputState::combinedSessionState) & InputState::commandFlag) != 0;
        if (auto event = tracker.step(down, command, *input.currentEventLocation())) {
            seen.push_back(*event);
        }
    };
    sample();
    mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::ControlModifier);
    sample();
    mouse(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::ControlModifier);
    sample();
    mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::ControlModifier);
    sample();
    ASSERT_EQ(seen.size(), 2U);
    EXPECT_EQ(seen[0],
              system::DragTracker::Event(system::DragTracker::Pressed{core::Point{from.x(), from.y()}}));
    EXPECT_EQ(seen[1], system::DragTracker::Event(system::DragTracker::Released{
                           core::Point{from.x(), from.y()}, core::Point{to.x(), to.y()}}));
    EXPECT_TRUE(platform->desktop()->presses().empty()) << "a drag presses nothing";

    settle();
    const auto placed = platform->desktop()->menuBarItems();
    std::size_t firstApplicationItem = placed.size();
    for (std::size_t i = placed.size(); i-- > 0;) {
        if (placed[i].item.kind == SimulatedStatusItem::Kind::standard) {
            firstApplicationItem = i;
            break;
        }
    }
    ASSERT_LT(firstApplicationItem, placed.size());
    EXPECT_EQ(placed[firstApplicationItem].item.identifier, std::optional<std::string>("zephyrin.weather"))
        << "now the application item nearest the system's";
}

TEST_F(DesktopViewTest, AKeyChordReachesARegisteredHotKey) {
    int pressed = 0;
    auto& manager = *platform->hotkeyManager();
    manager.installApplicationEventHandler(&pellacor::testing::HotKeyCounter::handle,
                                           pellacor::testing::HotKeyCounter::pressedEvents(), &pressed);
    // ⌘⇧P: P is key code 0x23, Command and Shift are 0x100 and 0x200.
    ASSERT_EQ(manager.registerApplicationHotKey(0x23, 0x0300, {1, 1}, 0).status, HotkeyManager::noErr);

    QKeyEvent plain(QEvent::KeyPress, Qt::Key_P, Qt::ShiftModifier);
    QApplication::sendEvent(&view, &plain);
    EXPECT_EQ(pressed, 0) << "without Command it is another chord";
    QKeyEvent chord(QEvent::KeyPress, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    QApplication::sendEvent(&view, &chord);
    EXPECT_EQ(pressed, 1);
    EXPECT_LT(
        platform->input()->secondsSinceLastEventType(InputState::combinedSessionState, InputState::keyDown),
        0.001);
}

// The program presses another application's item through accessibility, which
// the view never sees: the desktop must tell it of the menu to come. Sampled
// every 0.1 s, with the view's timer standing for itself: it fires only once
// the clock reaches the moment the view said it waits for.
TEST_F(DesktopViewTest, AMenuOpenedThroughAccessibilityIsDrawnInTimeAndStaysUntilEscape) {
    settle();
    auto& ax = *platform->accessibility();
    const auto application = ax.createApplication(541);
    const auto extras = ax.copyAttributeValue(application, AccessibilityName::extrasMenuBar);
    ASSERT_TRUE(extras.value && extras.value->element());
    const auto children = ax.copyAttributeValue(*extras.value->element(), AccessibilityName::children);
    ASSERT_TRUE(children.value && children.value->elements() && !children.value->elements()->empty());
    const QImage before = view.grab().toImage();
    ASSERT_EQ(ax.performAction(children.value->elements()->front(), AccessibilityName::pressAction),
              AccessibilityError::success);

    const auto menuDrawn = [&] {
        const auto& windows = view.drawnWindows();
        return std::any_of(windows.begin(), windows.end(),
                           [](const auto& window) { return window.layer == SimulatedDesktop::menuLayer; });
    };
    std::vector<int> drawnAt; // tenths of a second after the press
    for (int tenth = 1; tenth <= 100; ++tenth) {
        *clock += 100ms;
        settle();
        if (const auto moment = view.awaitedMoment(); moment && *moment <= *clock) {
            view.passTime();
        }
        if (menuDrawn()) {
            drawnAt.push_back(tenth);
        }
    }
    ASSERT_FALSE(drawnAt.empty()) << "the menu was never drawn";
    EXPECT_EQ(drawnAt.front(), 1) << "drawn at the first sample, 0.1 s after the press";
    EXPECT_EQ(drawnAt.size(), 100U) << "and still there 10 s later";

    const auto menu =
        std::find_if(view.drawnWindows().begin(), view.drawnWindows().end(),
                     [](const auto& window) { return window.layer == SimulatedDesktop::menuLayer; });
    ASSERT_NE(menu, view.drawnWindows().end());
    const QPoint inside = view.viewPoint(core::Point{menu->bounds.midX(), menu->bounds.midY()}).toPoint();
    EXPECT_NE(view.grab().toImage().pixel(inside), before.pixel(inside)) << "drawn, not only listed";

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&view, &escape);
    settle();
    EXPECT_FALSE(menuDrawn()) << "Escape closes it";
    EXPECT_EQ(view.grab().toImage().pixel(inside), before.pixel(inside));
}

// The control item's menu opens in the press, so the menu takes the release;
// the simulated user must let go all the same, or every sensor reads a button
// held (a menu open) for ever after.
TEST_F(DesktopViewTest, AReleaseOrKeyLetGoInAnotherWindowIsLetGoOnTheDesktopToo) {
    settle();
    auto& input = *platform->input();
    system::PointerSensor sensor(platform->services());
    const QPointF away(300, 500);
    mouse(QEvent::MouseButtonPress, away, Qt::RightButton, Qt::ControlModifier);
    ASSERT_NE(input.pressedMouseButtons(), 0U);
    ASSERT_EQ(input.modifierFlags(), InputState::commandFlag);
    ASSERT_TRUE(sensor.sample().menuOpen) << "a button held reads as a menu open";

    QMenu menu;
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), view.mapToGlobal(away), Qt::RightButton,
                        Qt::NoButton, Qt::ControlModifier);
    QApplication::sendEvent(&menu, &release);
    EXPECT_EQ(input.pressedMouseButtons(), 0U);
    EXPECT_EQ(input.modifierFlags(), InputState::commandFlag) << "Control is still down";
    EXPECT_FALSE(sensor.sample().menuOpen);
    // A key event carries the state from before it, as the window system sends it.
    QKeyEvent controlUp(QEvent::KeyRelease, Qt::Key_Control, Qt::ControlModifier);
    QApplication::sendEvent(&menu, &controlUp);
    EXPECT_EQ(input.modifierFlags(), 0U);

    // Held again in the view, and let go in the menu.
    QKeyEvent controlDown(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
    QApplication::sendEvent(&view, &controlDown);
    ASSERT_EQ(input.modifierFlags(), InputState::commandFlag);
    QApplication::sendEvent(&menu, &controlUp);
    EXPECT_EQ(input.modifierFlags(), 0U);

    // A release elsewhere only ever lets go: it holds nothing it reports.
    QKeyEvent letterUp(QEvent::KeyRelease, Qt::Key_A, Qt::ShiftModifier);
    QApplication::sendEvent(&menu, &letterUp);
    QMouseEvent shiftRelease(QEvent::MouseButtonRelease, QPointF(5, 5), view.mapToGlobal(away),
                             Qt::LeftButton, Qt::NoButton, Qt::ShiftModifier);
    QApplication::sendEvent(&menu, &shiftRelease);
    EXPECT_EQ(input.modifierFlags(), 0U);
    EXPECT_EQ(input.pressedMouseButtons(), 0U);
}

// Where a pop-up of the program goes on a 600 × 400 simulated screen that the
// view shows at (100, 50) of the real one.
TEST(DesktopViewPlacementTest, APopUpIsKeptOnTheSimulatedScreen) {
    const QRect screen(100, 50, 600, 400);
    struct Case {
        const char* what;
        QRect popup;
        std::optional<QRect> parentMenu;
        QPoint kept;
    };
    const Case cases[] = {
        {"a menu that fits", QRect(300, 74, 200, 150), std::nullopt, QPoint(300, 74)},
        {"the rightmost item's menu", QRect(660, 74, 220, 150), std::nullopt, QPoint(480, 74)},
        {"a menu near the bottom", QRect(300, 400, 200, 150), std::nullopt, QPoint(300, 300)},
        {"a menu left of the screen", QRect(20, 74, 200, 150), std::nullopt, QPoint(100, 74)},
        {"a menu taller than the screen", QRect(300, 74, 200, 600), std::nullopt, QPoint(300, 50)},
        {"a submenu running off the right", QRect(690, 120, 150, 80), QRect(480, 74, 220, 150),
         QPoint(330, 120)},
        {"a submenu that fits", QRect(400, 120, 150, 80), QRect(180, 74, 220, 150), QPoint(400, 120)},
    };
    for (const auto& c : cases) {
        const QRect kept = demo::DesktopView::keptOnScreen(c.popup, screen, c.parentMenu);
        EXPECT_EQ(kept.topLeft(), c.kept) << c.what;
        EXPECT_EQ(kept.size(), c.popup.size()) << c.what;
    }
}

// A view on the screen, over a small simulated screen that fits the offscreen one.
struct ShownDesktopViewTest : ::testing::Test {
    std::shared_ptr<SimulatedPlatform> platform = [] {
        pellacor::testing::offscreenApplication();
        Scenario scenario;
        scenario.screens = {SimulatedScreen{core::Rect(0, 0, 600, 400)}};
        return std::make_shared<SimulatedPlatform>(scenario);
    }();
    demo::DesktopView view{platform};

    ShownDesktopViewTest() {
        view.resize(view.sizeHint());
        view.show();
        QCoreApplication::processEvents();
    }
    QRect screen() const { return {view.mapToGlobal(QPoint(0, 0)), QSize(600, 400)}; }
};

TEST_F(ShownDesktopViewTest, AMenuOfTheProgramStaysOnTheSimulatedScreen) {
    QMenu menu;
    menu.addAction("Eins");
    menu.addAction("Zwei");
    // Where the program asks for the rightmost item's menu: below it, at its left edge.
    menu.popup(view.mapToGlobal(QPoint(580, 24)));
    QCoreApplication::processEvents();
    EXPECT_TRUE(screen().contains(menu.geometry()))
        << "at " << menu.geometry().x() << ", wide " << menu.geometry().width();
    EXPECT_EQ(menu.geometry().right(), screen().right()) << "moved left only as far as it takes";
    EXPECT_EQ(menu.geometry().top(), view.mapToGlobal(QPoint(580, 24)).y());
    menu.close();

    // The desktop's own pop-ups (the controls panel's) are none of the program's.
    QMenu own(&view);
    own.addAction("Drei");
    own.popup(view.mapToGlobal(QPoint(580, 24)));
    QCoreApplication::processEvents();
    EXPECT_EQ(own.geometry().topLeft(), view.mapToGlobal(QPoint(580, 24)));
    own.close();
}

TEST_F(ShownDesktopViewTest, ThePointerOverAWindowOfTheProgramIsOnTheSimulatedScreen) {
    QWidget window;
    const auto moveTo = [&](QPoint global) {
        QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(global), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&window, &move);
    };
    moveTo(view.mapToGlobal(QPoint(200, 300)));
    EXPECT_EQ(platform->input()->mouseLocation(), (core::Point{200, 100})) << "y up from the bottom";
    moveTo(view.mapToGlobal(QPoint(700, 300)));
    EXPECT_EQ(platform->input()->mouseLocation(), (core::Point{200, 100}))
        << "off the simulated screen the pointer stays where it left it";
}

} // namespace PELLACOR_TEST_FILE
