#include "Platform/Simulated/SimulatedWindowServer.h"

#include "Support/VirtualClock.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;
using namespace std::chrono_literals;

namespace {

SimulatedStatusItem item(std::string identifier, double width, SimulatedMenu menu = {}) {
    SimulatedStatusItem result;
    result.identifier = std::move(identifier);
    result.width = width;
    result.menu = std::move(menu);
    return result;
}

SimulatedApplication app(std::string bundle, std::int32_t pid, std::vector<SimulatedStatusItem> items) {
    SimulatedApplication result;
    result.bundleIdentifier = std::move(bundle);
    result.processIdentifier = pid;
    result.statusItems = std::move(items);
    return result;
}

SimulatedMenu menu(SimulatedMenu::Opening opens, std::chrono::milliseconds delay,
                   std::optional<std::chrono::milliseconds> openFor) {
    SimulatedMenu result;
    result.opens = opens;
    result.openDelay = delay;
    result.openFor = openFor;
    return result;
}

using Opening = SimulatedMenu::Opening;

// On a 1512 x 982 screen with a 24-point bar: a.menu stands at x 1482 (30 wide),
// b.menu at 1462; the editor has a document window and an off-screen one.
struct SimulatedWindowServerTest : ::testing::Test {
    static std::shared_ptr<SimulatedDesktop> makeDesktop() {
        auto editor = app("com.example.editor", 30, {});
        editor.windows = {SimulatedWindow{0, core::Rect(100, 100, 400, 300), true},
                          SimulatedWindow{0, core::Rect(0, 0, 10, 10), false},
                          SimulatedWindow{-20, core::Rect(0, 0, 1512, 982), true}};
        return std::make_shared<SimulatedDesktop>(
            std::vector<SimulatedScreen>{SimulatedScreen{}},
            std::vector<SimulatedApplication>{
                app("com.example.a", 10, {item("a.menu", 30, menu(Opening::whenPlaced, 100ms, 2000ms))}),
                app("com.example.b", 11, {item("b.menu", 20, menu(Opening::always, 50ms, std::nullopt))}),
                editor});
    }

    SimulatedWindowServerTest() {
        desktop->setClock([this] { return clock.elapsed(); });
    }

    std::vector<std::uint32_t> numbers(std::uint32_t options,
                                       std::optional<std::int32_t> pid = std::nullopt) {
        std::vector<std::uint32_t> result;
        auto list = server.copyWindowInfo(options, WindowList::nullWindowID);
        EXPECT_TRUE(list.has_value());
        for (const auto& window : list.value_or(std::vector<WindowDescription>{})) {
            if (!pid || window.ownerPID == *pid) {
                result.push_back(static_cast<std::uint32_t>(window.number.value_or(0)));
            }
        }
        return result;
    }
    std::optional<WindowDescription> window(std::uint32_t number) {
        for (const auto& w :
             server.copyWindowInfo(WindowList::optionAll, 0).value_or(std::vector<WindowDescription>{})) {
            if (w.number == number) {
                return w;
            }
        }
        return std::nullopt;
    }

    pellacor::testing::VirtualClock clock;
    std::shared_ptr<SimulatedDesktop> desktop = makeDesktop();
    SimulatedWindowServer server{desktop};
};

TEST_F(SimulatedWindowServerTest, ListsWindowsOfRunningProcessesByTheOptions) {
    // Numbered in the order the applications joined; the desktop element sits behind.
    EXPECT_EQ(numbers(WindowList::optionAll), (std::vector<std::uint32_t>{101, 100, 102}));
    EXPECT_EQ(numbers(WindowList::optionOnScreenOnly), (std::vector<std::uint32_t>{100, 102}));
    EXPECT_EQ(numbers(WindowList::optionOnScreenOnly | WindowList::optionExcludeDesktopElements),
              (std::vector<std::uint32_t>{100}));
    EXPECT_EQ(window(100), (WindowDescription{100, 30, 0, core::Rect(100, 100, 400, 300), true}));

    const auto panel = desktop->openWindow(10, 3, core::Rect(0, 30, 50, 50));
    ASSERT_TRUE(panel.has_value());
    EXPECT_EQ(numbers(WindowList::optionOnScreenOnly, 10), (std::vector<std::uint32_t>{*panel}));
    EXPECT_FALSE(desktop->openWindow(99, 0, core::Rect(0, 0, 1, 1))) << "no such process";
    EXPECT_TRUE(desktop->closeWindow(*panel));
    EXPECT_FALSE(desktop->closeWindow(*panel)) << "already closed";
    EXPECT_TRUE(numbers(WindowList::optionOnScreenOnly, 10).empty());

    // A process that stops takes its windows with it, also when it starts again.
    ASSERT_TRUE(desktop->setRunning(30, false));
    EXPECT_TRUE(numbers(WindowList::optionAll).empty());
    ASSERT_TRUE(desktop->setRunning(30, true));
    EXPECT_TRUE(numbers(WindowList::optionAll).empty());

    server.setWindowListFails(true);
    EXPECT_EQ(server.copyWindowInfo(WindowList::optionOnScreenOnly, 0), std::nullopt);
}

TEST_F(SimulatedWindowServerTest, APressOpensTheMenuUnderTheItemAndClosesItLater) {
    const auto number = desktop->pressItem(10, 0);
    ASSERT_TRUE(number.has_value());
    EXPECT_TRUE(numbers(WindowList::optionOnScreenOnly, 10).empty()) << "not open before its delay";
    clock.advance(100ms);
    EXPECT_EQ(numbers(WindowList::optionOnScreenOnly, 10), (std::vector<std::uint32_t>{*number}));
    EXPECT_EQ(window(*number), (WindowDescription{*number, 10, SimulatedDesktop::menuLayer,
                                                  core::Rect(1272, 24, 240, 180), true}))
        << "kept on the screen, under the bar";
    clock.advance(1999ms);
    EXPECT_EQ(numbers(WindowList::optionOnScreenOnly, 10).size(), 1u);
    clock.advance(1ms);
    EXPECT_TRUE(numbers(WindowList::optionOnScreenOnly, 10).empty()) << "closed after 2 s";

    EXPECT_EQ(desktop->presses(), (std::vector<SimulatedDesktop::Press>{{10, 0, 0ns, number}}));
    EXPECT_EQ(desktop->pressItem(10, 1), std::nullopt) << "no item at that index";
    EXPECT_EQ(desktop->presses().size(), 1u);
}

TEST_F(SimulatedWindowServerTest, MenusOpenByTheirRulesOneAtATime) {
    // Kept off the bar: the menu that needs the bar stays shut; the other opens anyway.
    desktop->setRestriction(MenuBarRestriction{{}, {"com.example.editor"}});
    EXPECT_EQ(desktop->pressItem(10, 0), std::nullopt);
    const auto b = desktop->pressItem(11, 0);
    ASSERT_TRUE(b.has_value());
    clock.advance(50ms);
    EXPECT_EQ(numbers(WindowList::optionOnScreenOnly, 11), (std::vector<std::uint32_t>{*b}));
    clock.advance(1h);
    EXPECT_EQ(numbers(WindowList::optionOnScreenOnly, 11).size(), 1u) << "stays open";

    // Opening another menu closes this one once the new one opens.
    desktop->setRestriction(std::nullopt);
    const auto a = desktop->pressItem(10, 0);
    ASSERT_TRUE(a.has_value());
    clock.advance(99ms);
    EXPECT_EQ(numbers(WindowList::optionOnScreenOnly, 11).size(), 1u);
    clock.advance(1ms);
    EXPECT_TRUE(numbers(WindowList::optionOnScreenOnly, 11).empty());
    EXPECT_EQ(numbers(WindowList::optionOnScreenOnly, 10), (std::vector<std::uint32_t>{*a}));
    desktop->closeMenus();
    EXPECT_TRUE(numbers(WindowList::optionOnScreenOnly, 10).empty());

    // A press that reaches the item late opens its menu that much later.
    const auto late = desktop->pressItem(11, 0, 300ms);
    clock.advance(349ms);
    EXPECT_TRUE(numbers(WindowList::optionOnScreenOnly, 11).empty());
    clock.advance(1ms);
    EXPECT_EQ(numbers(WindowList::optionOnScreenOnly, 11), (std::vector<std::uint32_t>{*late}));
}

TEST_F(SimulatedWindowServerTest, AMenuMayBelongToAnotherApplication) {
    auto items = desktop->application(11)->statusItems;
    items[0].menu.ownerBundleIdentifier = "com.example.editor";
    ASSERT_TRUE(desktop->setStatusItems(11, items));
    const auto number = desktop->pressItem(11, 0);
    clock.advance(50ms);
    EXPECT_EQ(window(*number)->ownerPID, 30);
}

TEST_F(SimulatedWindowServerTest, RevealedItemsArePlacedAfterTheirDelay) {
    auto a = *desktop->application(10);
    a.placementDelay = 300ms;
    SimulatedDesktop delayed({SimulatedScreen{}}, {a, *desktop->application(11)});
    delayed.setClock([this] { return clock.elapsed(); });
    auto placed = [&] {
        std::vector<std::string> ids;
        for (const auto& p : delayed.menuBarItems()) {
            ids.push_back(p.item.identifier.value_or(""));
        }
        return ids;
    };
    using Ids = std::vector<std::string>;
    EXPECT_EQ(placed(), (Ids{"b.menu", "a.menu"})) << "shown from the start";
    delayed.setRestriction(MenuBarRestriction{{}, {"com.example.b"}});
    EXPECT_EQ(placed(), (Ids{"b.menu"}));
    clock.advance(1s);
    delayed.setRestriction(MenuBarRestriction{{}, {"com.example.a", "com.example.b"}});
    EXPECT_EQ(placed(), (Ids{"b.menu"}));
    clock.advance(299ms);
    EXPECT_EQ(placed(), (Ids{"b.menu"}));
    clock.advance(1ms);
    EXPECT_EQ(placed(), (Ids{"b.menu", "a.menu"}));
    // A change that leaves it allowed does not start the wait again.
    delayed.setRestriction(MenuBarRestriction{{1}, {"com.example.a", "com.example.b"}});
    EXPECT_EQ(placed(), (Ids{"b.menu", "a.menu"}));
}

TEST_F(SimulatedWindowServerTest, ListsDisplaysInGlobalTopDownCoordinates) {
    desktop->setScreens(
        {SimulatedScreen{core::Rect(0, 0, 1512, 982)}, SimulatedScreen{core::Rect(1512, 200, 1920, 1080)}});
    EXPECT_EQ(server.activeDisplayCount(), (DisplayList::Count{DisplayList::success, 2}));
    EXPECT_EQ(server.activeDisplayList(2), (DisplayList::List{DisplayList::success, {1, 2}}));
    EXPECT_EQ(server.activeDisplayList(1), (DisplayList::List{DisplayList::success, {1}}));
    EXPECT_EQ(server.displayBounds(1), core::Rect(0, 0, 1512, 982));
    // Its top edge is 1280 up in screen space, 298 above the main display's top.
    EXPECT_EQ(server.displayBounds(2), core::Rect(1512, -298, 1920, 1080));
    EXPECT_EQ(server.displayBounds(3), core::Rect());

    server.setDisplayListError(DisplayList::failure);
    EXPECT_EQ(server.activeDisplayCount(), (DisplayList::Count{DisplayList::failure, 0}));
    EXPECT_EQ(server.activeDisplayList(2), (DisplayList::List{DisplayList::failure, {}}));
}

} // namespace
} // namespace PELLACOR_TEST_FILE
