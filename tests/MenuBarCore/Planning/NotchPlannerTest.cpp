#include "MenuBarCore/Planning/NotchPlanner.h"

#include <gtest/gtest.h>

namespace pellacor::core {

// Readable failures: the fields that tell two states apart.
void PrintTo(const NotchPlanner::State& state, std::ostream* out) {
    *out << "overflow [";
    for (const auto& app : state.overflow) {
        *out << ' ' << app.bundleID();
    }
    *out << " ] widths [";
    for (const auto& [app, width] : state.widths) {
        *out << ' ' << app.bundleID() << '=' << width;
    }
    *out << " ] sticky [";
    for (const auto& app : state.sticky) {
        *out << ' ' << app.bundleID();
    }
    *out << " ] restored [";
    for (const auto& [app, date] : state.restoredAt) {
        *out << ' ' << app.bundleID() << '@' << date.time_since_epoch().count();
    }
    *out << " ] changedAt ";
    if (state.changedAt) {
        *out << state.changedAt->time_since_epoch().count();
    } else {
        *out << "none";
    }
}

} // namespace pellacor::core

namespace PELLACOR_TEST_FILE {
namespace {

using namespace std::chrono_literals;
using pellacor::core::AppKey;
using pellacor::core::ItemSnapshot;
using pellacor::core::NotchPlanner;
using pellacor::core::Profile;
using pellacor::core::Rect;
using pellacor::core::Section;
using pellacor::core::Uuid;
using Date = NotchPlanner::Date;
using State = NotchPlanner::State;
using Screen = NotchPlanner::Screen;
using ActiveScreen = NotchPlanner::ActiveScreen;

const std::string self = "app.trayvane.pellacor";
const std::string agent = "com.apple.MenuBarAgent";
const AppKey A("com.example.a");
const AppKey B("com.example.b");
const AppKey C("com.example.c");
const AppKey D("com.example.d");
const AppKey H("com.example.hidden");
const Date t0 = Date{} + 24h * 365 * 50;
constexpr double notch = 700;

ItemSnapshot item(const std::string& owner, double x, double width = 20, int index = 0) {
    return ItemSnapshot(owner, 100, std::nullopt, std::nullopt, std::nullopt, index, Rect(x, 0, width, 24));
}
ItemSnapshot item(const AppKey& owner, double x, double width = 20, int index = 0) {
    return item(owner.bundleID(), x, width, index);
}
ItemSnapshot frameless(const std::string& owner, int index = 0, std::optional<Rect> frame = std::nullopt) {
    return ItemSnapshot(owner, 100, std::nullopt, std::nullopt, std::nullopt, index, frame);
}
// A chevron-sized item of the system agent with a high index.
ItemSnapshot chevronAt(double x, double width = 16) {
    return item(agent, x, width, 9);
}

Profile profile() {
    return Profile(Uuid(), "ふだん", {{A, Section::shown}, {B, Section::shown}, {H, Section::hidden}},
                   {D, C, B, A}, Section::shown);
}

// A collapsed bar on a notched screen where every application of the test is allowed.
NotchPlanner::Input input(std::vector<ItemSnapshot> items, Date now,
                          std::optional<std::set<AppKey>> running = std::nullopt) {
    return NotchPlanner::Input{std::move(items),  profile(), {A, B, C, D, H}, self, notch, true, true, now,
                               std::move(running)};
}

State overflowing(std::vector<AppKey> overflow, std::map<AppKey, double> widths, Date changedAt) {
    State state;
    state.overflow = std::move(overflow);
    state.widths = std::move(widths);
    state.changedAt = changedAt;
    return state;
}

TEST(NotchPlannerTest, SwitchedOffOrWithoutNotchLetsEverythingBack) {
    for (bool switchedOff : {true, false}) {
        SCOPED_TRACE(switchedOff ? "switched off" : "no notch");
        auto in = input({item(A, 760)}, t0);
        if (switchedOff) {
            in.enabled = false;
        } else {
            in.notchRight = std::nullopt;
        }

        State quiet;
        quiet.changedAt = t0 - 1s;
        quiet.restoredAt[A] = t0 - 1s;
        EXPECT_EQ(NotchPlanner::step(quiet, in), quiet) << "empty overflow: the state as it was";

        State busy = overflowing({A, B}, {{A, 30}, {B, 40}}, t0 - 1s);
        busy.sticky = {B};
        busy.restoredAt[B] = t0 - 10s;
        State reset;
        reset.changedAt = t0;
        // Not even the hold (changed a second ago) delays a reset.
        EXPECT_EQ(NotchPlanner::step(busy, in), reset);
    }
}

TEST(NotchPlannerTest, WaitsTwoSecondsAfterAChangeAndWhileRevealed) {
    // A has stopped running: the clean-up would drop it.
    State state = overflowing({A}, {{A, 30}}, t0);
    std::vector<ItemSnapshot> items{item(B, 760), item(self, 1400)};
    std::set<AppKey> running{B, AppKey(self)};

    EXPECT_EQ(NotchPlanner::step(state, input(items, t0 + 1900ms, running)), state);
    EXPECT_EQ(NotchPlanner::step(state, input(items, t0 + 1999ms, running)), state);

    State expected;
    expected.changedAt = t0 + 2s;
    EXPECT_EQ(NotchPlanner::step(state, input(items, t0 + 2s, running)), expected);

    auto revealed = input(items, t0 + 1h, running);
    revealed.collapsed = false;
    EXPECT_EQ(NotchPlanner::step(state, revealed), state);
}

TEST(NotchPlannerTest, CleanUpDropsWhatStoppedRunningOrLeftShown) {
    State state = overflowing({A, B, C}, {{A, 30}, {B, 40}, {C, 24}}, t0 - 10s);
    state.sticky = {A, B};
    state.restoredAt = {{A, t0 - 30s}, {D, t0 - 60s}};

    // An empty running set removes every application.
    State emptied = NotchPlanner::step(state, input({item(D, 710)}, t0, std::set<AppKey>{}));
    State expected;
    expected.changedAt = t0;
    expected.restoredAt = {{A, t0 - 30s}};
    EXPECT_EQ(emptied, expected);

    // A moved to a hidden section, B stopped running; C stays with its width.
    // D's item leaves no room to put C back.
    auto in = input({item(D, 710)}, t0, std::set<AppKey>{A, C, D});
    in.profile.sections[A] = Section::hidden;
    State cleaned = NotchPlanner::step(state, in);
    EXPECT_EQ(cleaned.overflow, std::vector<AppKey>{C});
    EXPECT_EQ(cleaned.widths, (std::map<AppKey, double>{{C, 24}}));
    EXPECT_TRUE(cleaned.sticky.empty());
    EXPECT_EQ(cleaned.changedAt, t0);
    EXPECT_EQ(cleaned.hidden(), std::set<AppKey>{C});

    // Without a running set the owners of the items stand in for it: C has none.
    State inferred = NotchPlanner::step(state, input({item(A, 710), frameless(B.bundleID())}, t0));
    EXPECT_EQ(inferred.overflow, (std::vector<AppKey>{A, B}));
}

TEST(NotchPlannerTest, TrimmingOnlyTheMemoryIsNoChange) {
    State state = overflowing({A}, {{A, 30}, {B, 12}}, t0 - 5s);
    state.sticky = {A, C};
    state.restoredAt = {{C, t0 - 60s}, {D, t0 - 59s}};
    // No chevron, and no room (A is sticky anyway).
    State result = NotchPlanner::step(state, input({item(C, 710)}, t0, std::set<AppKey>{A, C}));
    EXPECT_EQ(result.overflow, std::vector<AppKey>{A});
    EXPECT_EQ(result.widths, (std::map<AppKey, double>{{A, 30}}));
    EXPECT_EQ(result.sticky, std::set<AppKey>{A});
    EXPECT_EQ(result.restoredAt, (std::map<AppKey, Date>{{D, t0 - 59s}}));
    EXPECT_EQ(result.changedAt, t0 - 5s);
}

TEST(NotchPlannerTest, RestoresTheLastApplicationWhenItFits) {
    const Date before = t0 - 10s;
    // The agent's wide item left of everything is not a chevron and takes no room;
    // the hidden application's item is not on the bar.
    auto bar = [](double leftmost) {
        return std::vector<ItemSnapshot>{item(agent, 702, 30, 0), item(H, 705), item(C, leftmost),
                                         item(self, 1400)};
    };
    auto visible = [](NotchPlanner::Input in) {
        in.visible = {A, B, C, D};
        in.running = {A, B, C, H};
        return in;
    };

    State state = overflowing({A, B}, {{A, 10}, {B, 40}}, before);
    State restored = NotchPlanner::step(state, visible(input(bar(764), t0)));
    State expected = overflowing({A}, {{A, 10}}, t0);
    expected.restoredAt[B] = t0;
    EXPECT_EQ(restored, expected);

    EXPECT_EQ(NotchPlanner::step(state, visible(input(bar(763), t0))), state) << "40 + 24 > 63";

    // Only the last is examined: A would fit, but B is sticky or too wide.
    State stickyLast = state;
    stickyLast.widths[B] = 1;
    stickyLast.sticky = {B};
    EXPECT_EQ(NotchPlanner::step(stickyLast, visible(input(bar(1000), t0))), stickyLast);
    EXPECT_EQ(NotchPlanner::step(state, visible(input(bar(740), t0))), state);

    // Without a recorded width an application never fits.
    State unknownWidth = overflowing({A, B}, {{A, 10}}, before);
    EXPECT_EQ(NotchPlanner::step(unknownWidth, visible(input(bar(5000), t0))).overflow,
              (std::vector<AppKey>{A, B}));

    // Nothing on the bar but the agent: no room can be measured.
    EXPECT_EQ(
        NotchPlanner::step(state, visible(input({item(agent, 1000, 30, 0)}, t0, std::set<AppKey>{A, B}))),
        state);
}

TEST(NotchPlannerTest, TakesOffOneApplicationByTheFirstRuleThatYieldsOne) {
    const AppKey E("com.example.e");
    struct Case {
        const char* name;
        std::vector<ItemSnapshot> items;
        std::optional<std::set<AppKey>> running;
        std::optional<AppKey> chosen;
        double width;
    } cases[] = {
        {"near the notch, first in the reader's order, width of all its items",
         {chevronAt(760), item(C, 800), item(A, 680, 10), item(B, 600, 10), item(A, 900, 25)},
         std::nullopt,
         A,
         35},
        {"Apple, own and hidden-section items are not eligible; a width is at least 24",
         {chevronAt(760), item("com.apple.clock", 600), item(self, 620), item(H, 640), item(B, 660),
          item(A, 800)},
         std::nullopt,
         B,
         24},
        {"under the widened chevron", {chevronAt(760), item(C, 705), item(B, 776)}, std::nullopt, B, 24},
        {"touching the widened chevron is not under it: leftmost",
         {chevronAt(760), item(B, 777), item(C, 705)},
         std::nullopt,
         C,
         24},
        {"an application without an item, by the profile's order",
         {chevronAt(760), item(B, 800), frameless(A.bundleID())},
         std::set<AppKey>{A, B, C, D, H, E},
         D,
         24},
        {"leftmost eligible item, the earlier one on a tie",
         {chevronAt(760), item(A, 900), item(C, 820), item(B, 820)},
         std::nullopt,
         C,
         24},
        {"nothing eligible",
         {chevronAt(760), item("com.apple.clock", 600), item(H, 800)},
         std::nullopt,
         {},
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        State state;
        State result = NotchPlanner::step(state, input(c.items, t0, c.running));
        if (!c.chosen) {
            EXPECT_EQ(result, state);
            continue;
        }
        State expected = overflowing({*c.chosen}, {{*c.chosen, c.width}}, t0);
        EXPECT_EQ(result, expected);
    }
}

TEST(NotchPlannerTest, AbsentShownApplications) {
    const AppKey Z("com.example.z");
    const AppKey Y("com.example.y");
    auto in = input({item(B, 800), frameless(C.bundleID())}, t0,
                    std::set<AppKey>{A, B, C, D, H, Z, Y, AppKey(self), AppKey("com.apple.music"), AppKey(""),
                                     AppKey("com.example.invisible")});
    in.visible.insert({Z, Y, AppKey(self), AppKey("com.apple.music"), AppKey("")});
    // B and C own items; H is hidden; "invisible" is not allowed; Apple, self and
    // empty are never taken. D comes first by the order, then A; Y and Z follow by name.
    EXPECT_EQ(NotchPlanner::absentShown(in, {}), (std::vector<AppKey>{D, A, Y, Z}));
    EXPECT_EQ(NotchPlanner::absentShown(in, {D, Y}), (std::vector<AppKey>{A, Z}));
    in.running = std::nullopt;
    EXPECT_TRUE(NotchPlanner::absentShown(in, {}).empty());
}

TEST(NotchPlannerTest, NeverTakesAnApplicationTwiceAndPacesChanges) {
    auto in = input({chevronAt(760), item(A, 640), item(B, 680)}, t0);
    State first = NotchPlanner::step(State{}, in);
    EXPECT_EQ(first.overflow, std::vector<AppKey>{A});

    // The caller has not applied the change yet: A is still on the bar.
    in.now = t0 + 1s;
    EXPECT_EQ(NotchPlanner::step(first, in), first);
    in.now = t0 + 2s;
    State second = NotchPlanner::step(first, in);
    EXPECT_EQ(second.overflow, (std::vector<AppKey>{A, B}));
    EXPECT_EQ(second.changedAt, t0 + 2s);
}

TEST(NotchPlannerTest, TakenOffAgainWithinAMinuteOfItsReturnStaysOff) {
    const Date restoredAt = t0;
    State start = overflowing({B}, {{B, 40}}, t0 - 10s);
    const std::set<AppKey> running{B, C};
    auto roomy = input({item(C, 900)}, restoredAt, running);
    State back = NotchPlanner::step(start, roomy);
    ASSERT_TRUE(back.overflow.empty());
    ASSERT_EQ(back.restoredAt.at(B), restoredAt);

    for (auto later : {2000ms, 59999ms, 60000ms, 90000ms}) {
        SCOPED_TRACE(later.count());
        auto crowded = input({chevronAt(760), item(B, 640, 40)}, restoredAt + later);
        State off = NotchPlanner::step(back, crowded);
        ASSERT_EQ(off.overflow, std::vector<AppKey>{B});
        bool sticky = later < 60s;
        EXPECT_EQ(off.sticky.contains(B), sticky);
        EXPECT_EQ(off.restoredAt.contains(B), sticky) << "restore times older than a minute are forgotten";

        // With room again a sticky application stays off; another one comes back.
        auto roomyAgain = input({item(C, 900)}, restoredAt + later + 2s, running);
        EXPECT_EQ(NotchPlanner::step(off, roomyAgain).overflow.empty(), !sticky);
    }

    // Stickiness ends when the application leaves the overflow by the clean-up.
    State sticky = overflowing({B}, {{B, 40}}, t0);
    sticky.sticky = {B};
    State dropped = NotchPlanner::step(sticky, input({item(C, 900)}, t0 + 5s, std::set<AppKey>{C}));
    EXPECT_TRUE(dropped.sticky.empty());
    EXPECT_TRUE(dropped.overflow.empty());
}

TEST(NotchPlannerTest, Chevron) {
    struct Case {
        const char* name;
        std::vector<ItemSnapshot> items;
        std::optional<Rect> expected;
    } cases[] = {
        {"no agent items", {item(A, 700)}, std::nullopt},
        {"greatest index",
         {item(agent, 800, 30, 1), item(agent, 710, 16, 4), item(agent, 900, 30, 2)},
         Rect(710, 0, 16, 24)},
        {"equal greatest indices: the earlier",
         {item(agent, 710, 16, 4), item(agent, 705, 16, 4)},
         Rect(710, 0, 16, 24)},
        {"12 points wide", {chevronAt(710, 12)}, Rect(710, 0, 12, 24)},
        {"24 points wide", {chevronAt(710, 24)}, Rect(710, 0, 24, 24)},
        {"11.9 points wide", {chevronAt(710, 11.9)}, std::nullopt},
        {"25 points wide", {chevronAt(710, 25)}, std::nullopt},
        {"no frame", {frameless(agent, 9)}, std::nullopt},
        {"empty frame", {frameless(agent, 9, Rect(710, 0, 16, 0))}, std::nullopt},
        {"another agent item further left", {chevronAt(710), item(agent, 690, 30, 1)}, std::nullopt},
        {"another agent item at the same left edge", {chevronAt(710), item(agent, 710, 30, 1)}, std::nullopt},
        {"left items of the agent without a usable frame do not count",
         {chevronAt(710), frameless(agent, 1), frameless(agent, 2, Rect(600, 0, 0, 24))},
         Rect(710, 0, 16, 24)},
        {"other owners further left do not count", {item(A, 600), chevronAt(710)}, Rect(710, 0, 16, 24)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NotchPlanner::chevron(c.items), c.expected) << c.name;
    }
}

TEST(NotchPlannerTest, ActiveScreen) {
    const Rect left(0, 0, 1512, 982);
    const Rect right(1512, 0, 1920, 1080);
    const std::vector<ItemSnapshot> leftThree{item(agent, 1300), item("com.apple.clock", 1400),
                                              item(self, 1200)};
    const std::vector<ItemSnapshot> rightThree{item(agent, 3300), item("com.apple.clock", 3000),
                                               item(self, 3200)};
    auto concat = [](std::vector<ItemSnapshot> a, const std::vector<ItemSnapshot>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct Case {
        const char* name;
        std::vector<ItemSnapshot> items;
        std::vector<Screen> screens;
        ActiveScreen expected;
    } cases[] = {
        {"notched winner", leftThree, {{left, 700}, {right, {}}}, ActiveScreen::notch(700)},
        {"plain winner", rightThree, {{left, 700}, {right, {}}}, ActiveScreen::plain()},
        {"three against three",
         concat(leftThree, rightThree),
         {{left, 700}, {right, {}}},
         ActiveScreen::unknown()},
        {"one more wins",
         concat(concat(leftThree, rightThree), {item(self, 3100)}),
         {{left, 700}, {right, {}}},
         ActiveScreen::plain()},
        {"only other applications' items",
         {item(A, 100), item(B, 200)},
         {{left, 700}, {right, {}}},
         ActiveScreen::unknown()},
        {"other applications do not count",
         concat({item(A, 1600), item(B, 1700), item(C, 1800)}, {item(self, 100)}),
         {{left, 700}, {right, {}}},
         ActiveScreen::notch(700)},
        {"no screens", leftThree, {}, ActiveScreen::unknown()},
        {"items in no screen", {item(agent, 9000), item(self, -500)}, {{left, 700}}, ActiveScreen::unknown()},
        {"frameless and empty frames do not count",
         {frameless(agent), frameless(self, 0, Rect(3000, 0, 0, 24)), item(self, 100)},
         {{left, 700}, {right, {}}},
         ActiveScreen::notch(700)},
        {"overlapping screens: the first in the list",
         {item(agent, 100)},
         {{right, {}}, {left, 650}, {Rect(0, 0, 800, 600), {}}},
         ActiveScreen::notch(650)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NotchPlanner::activeScreen(c.items, c.screens, self), c.expected)
            << c.name << ": " << NotchPlanner::activeScreen(c.items, c.screens, self).description();
    }
}

TEST(NotchPlannerTest, ScreenAndActiveScreenEquality) {
    const Rect frame(0, 0, 1512, 982);
    EXPECT_EQ((Screen{frame, 700.0}), (Screen{frame, 700.0}));
    EXPECT_NE((Screen{frame, 700.0}), (Screen{frame, {}}));
    EXPECT_NE((Screen{frame, 700.0}), (Screen{frame, 701.0}));
    EXPECT_NE((Screen{frame, {}}), (Screen{Rect(0, 0, 1512, 983), {}}));
    EXPECT_NE(ActiveScreen::notch(700), ActiveScreen::notch(701));
    EXPECT_NE(ActiveScreen::plain(), ActiveScreen::unknown());
    EXPECT_EQ(ActiveScreen::notch(700).notchRight(), 700.0);
    EXPECT_EQ(ActiveScreen::plain().notchRight(), std::nullopt);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
