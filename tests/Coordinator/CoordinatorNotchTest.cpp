#include "Support/CoordinatorFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ostream>

namespace pellacor::testing {
namespace PELLACOR_TEST_FILE {
namespace {

using namespace std::chrono_literals;
using core::AppKey;
using core::NotchPlanner;
using core::Rect;
using core::VisibilityPlan;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ReadResult = system::ItemReading::Result;

// A collapsed coordinator with notch handling on (through the below-bar
// switch), one shown and one hidden application running, on a screen whose
// camera housing ends at x = 850. The bar as read: the shown application's item
// left of the housing's edge, the system's chevron right of it, Apple's music
// item and the control item further right.
class Notch : public CoordinatorFixture {
protected:
    static constexpr const char* shown = "com.example.shown";
    static constexpr const char* hidden = "com.example.hidden";
    static constexpr double housingRight = 850;
    static inline const std::string firstRead = "readItems(app.trayvane.pellacor, com.apple.MenuBarAgent)";

    static NotchPlanner::Screen notched() { return {Rect(0, 0, 1512, 982), housingRight}; }
    static NotchPlanner::Screen plainBeside() { return {Rect(1512, 0, 1920, 1080), std::nullopt}; }

    static core::ItemSnapshot chevron() {
        return item(std::string(NotchPlanner::chevronOwner), 5, Rect(880, 0, 18, 24));
    }
    static std::vector<core::ItemSnapshot> ownAndApple(double x) {
        return {item("com.apple.Music", 0, Rect(x, 0, 30, 24)), item(selfID, 0, Rect(x + 100, 0, 24, 24))};
    }
    static std::vector<core::ItemSnapshot> crowdedBar() {
        auto bar = ownAndApple(1200);
        bar.push_back(chevron());
        bar.push_back(item(shown, 0, Rect(800, 0, 40, 24)));
        return bar;
    }
    static NotchPlanner::State overflowOf(std::vector<AppKey> apps) {
        NotchPlanner::State state;
        for (const auto& app : apps) {
            state.widths[app] = 40;
        }
        state.overflow = std::move(apps);
        return state;
    }
    static VisibilityPlan collapsedPlan() {
        return VisibilityPlan::allow({"app.trayvane.pellacor", "com.apple.Music", shown});
    }

    Coordinator& collapsed() {
        timings.trustCheckInterval = std::nullopt;
        Coordinator& c = startCollapsed(shown, hidden);
        screens->attached = {notched()};
        reader->items = crowdedBar();
        c.notchOverflowEnabled = true;
        c.belowBarEnabled = true;
        c.notchSettingChanged();
        executor.runUntilIdle();
        take();
        clearServiceCalls();
        return c;
    }
    // A check run to its end, or false when it is still waiting for a read.
    bool check() {
        auto handle = concurrency::spawn(executor, coordinator->checkNotch());
        executor.runUntilIdle();
        return handle.isFinished() && handle.result().value_or(false);
    }
    // The shown application overflowed by a check of the crowded bar, as the
    // watch's checks overflow it; what that check did is forgotten.
    void overflowShown() {
        ASSERT_TRUE(check());
        ASSERT_EQ(Probe::notchState(*coordinator).overflow, std::vector{AppKey(shown)});
        take();
        clearServiceCalls();
        visibility->applied.clear();
    }
    std::size_t reads() const {
        std::size_t n = 0;
        for (const auto& call : reader->log.calls()) {
            n += call.starts_with("readItems") ? 1 : 0;
        }
        return n;
    }
};

TEST_F(Notch, OnlyPlainScreensEmptyTheOverflowAtTheFirstCheckWithoutReading) {
    Coordinator& c = collapsed();
    overflowShown();
    const int changes = Probe::notchChangeCount(c);
    screens->attached = {{Rect(0, 0, 1440, 900), std::nullopt}};
    EXPECT_TRUE(check());
    EXPECT_THAT(take(),
                ElementsAre("log(info) いま使っている画面は、ノッチの無い画面です",
                            "log(info) ノッチで一時的に隠すアプリを変えました（隠す：・戻す：com."
                            "example.shown・いま 0 個）",
                            "notchOverflow(0)",
                            "log(default) 制限が効きました（許す 3 個・Apple 以外：app.trayvane.pellacor,"
                            "com.example.shown）",
                            "restrictionConfirmed"));
    EXPECT_THAT(Probe::notchState(c).overflow, IsEmpty());
    EXPECT_EQ(reads(), 0U);
    EXPECT_EQ(Probe::notchChangeCount(c), changes + 1);
}

TEST_F(Notch, ANotchedScreenSeenPlainNeedsTwoChecksInARow) {
    Coordinator& c = collapsed();
    overflowShown();
    screens->attached = {notched(), plainBeside()};
    reader->items = ownAndApple(3000);
    EXPECT_FALSE(check());
    EXPECT_THAT(take(), ElementsAre("log(info) いま使っている画面は、ノッチの無い画面です"));
    EXPECT_EQ(Probe::notchPlainStreak(c), 1);
    EXPECT_EQ(Probe::notchState(c).overflow, std::vector{AppKey(shown)});

    EXPECT_TRUE(check());
    EXPECT_THAT(take(),
                ElementsAre("log(info) ノッチで一時的に隠すアプリを変えました（隠す：・戻す：com."
                            "example.shown・いま 0 個）",
                            "notchOverflow(0)",
                            "log(default) 制限が効きました（許す 3 個・Apple 以外：app.trayvane.pellacor,"
                            "com.example.shown）",
                            "restrictionConfirmed"));
    EXPECT_EQ(reader->log.calls(), (std::vector{firstRead, firstRead}));

    // A notched sighting in between (which overflows the crowded bar again) starts the count again.
    reader->items = crowdedBar();
    executor.advanceBy(3s); // past the planner's hold after a change
    check();
    EXPECT_EQ(Probe::notchPlainStreak(c), 0);
    ASSERT_EQ(Probe::notchState(c).overflow, std::vector{AppKey(shown)});
    reader->items = ownAndApple(3000);
    EXPECT_FALSE(check());
    EXPECT_EQ(Probe::notchState(c).overflow, std::vector{AppKey(shown)});
    EXPECT_TRUE(check());
}

TEST_F(Notch, NoChevronAndAnEmptyOverflowEndAfterTheFirstRead) {
    Coordinator& c = collapsed();
    reader->items = ownAndApple(1200);
    reader->items.push_back(item(shown, 0, Rect(1000, 0, 40, 24)));
    EXPECT_FALSE(check());
    EXPECT_EQ(reader->log.calls(), std::vector{firstRead});
    EXPECT_THAT(take(), ElementsAre("log(info) いま使っている画面は、ノッチのある画面です"));
    EXPECT_FALSE(Probe::isCheckingNotch(c));
}

TEST_F(Notch, ACrowdedBarMovesTheItemLeftOfTheHousingIntoTheOverflow) {
    Coordinator& c = collapsed();
    EXPECT_TRUE(check());
    EXPECT_EQ(reader->log.calls(),
              (std::vector<std::string>{firstRead, "readItems(app.trayvane.pellacor, com.apple.MenuBarAgent, "
                                                   "com.example.shown)"}));
    EXPECT_EQ(Probe::notchState(c).overflow, std::vector{AppKey(shown)});
    EXPECT_EQ(Probe::notchChangeCount(c), 1);
    EXPECT_EQ(visibility->applied,
              std::vector{VisibilityPlan::allow({"app.trayvane.pellacor", "com.apple.Music"})});
    EXPECT_THAT(
        take(),
        ElementsAre("log(info) いま使っている画面は、ノッチのある画面です",
                    "log(info) ノッチで一時的に隠すアプリを変えました（隠す：com.example.shown・戻す：・"
                    "いま 1 個）",
                    "notchOverflow(1)",
                    "log(default) 制限が効きました（許す 2 個・Apple 以外：app.trayvane."
                    "pellacor）",
                    "restrictionConfirmed"));
    EXPECT_FALSE(Probe::isCheckingNotch(c));
}

// What may change during a read; the check then ends with false and no change.
struct ReadCase {
    const char* name;
    bool duringSecondRead;
    // The held read's answer: a timeout when null.
    std::vector<core::ItemSnapshot> (*answer)();
    void (*change)(coordinator::Coordinator&);
};
void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class NotchRead : public Notch, public ::testing::WithParamInterface<ReadCase> {
public:
    static std::vector<core::ItemSnapshot> crowded() { return crowdedBar(); }
    static std::vector<core::ItemSnapshot> onThePlainScreen() { return ownAndApple(3000); }
    static void nothing(coordinator::Coordinator&) {}
};

TEST_P(NotchRead, EndsTheCheckWithoutAChange) {
    const auto& param = GetParam();
    Coordinator& c = collapsed();
    screens->attached = {notched(), plainBeside()};
    const std::string chevronOwner(NotchPlanner::chevronOwner);
    auto& replies = param.duringSecondRead ? reader->ownerReads({selfID, chevronOwner, shown})
                                           : reader->ownerReads({selfID, chevronOwner});
    replies.hold();
    auto handle = concurrency::spawn(executor, c.checkNotch());
    executor.runUntilIdle();
    ASSERT_EQ(replies.waitingCount(), 1U);
    EXPECT_TRUE(Probe::isCheckingNotch(c));
    // A second check meanwhile ends at once, without a read.
    const std::size_t readsBefore = reads();
    EXPECT_FALSE(check());
    EXPECT_EQ(reads(), readsBefore);
    take();
    param.change(c);
    executor.runUntilIdle();
    replies.release(param.answer ? ReadResult::ok(param.answer()) : ReadResult::timeout());
    executor.runUntilIdle();
    ASSERT_TRUE(handle.isFinished());
    EXPECT_FALSE(handle.result().value_or(true));
    EXPECT_FALSE(Probe::isCheckingNotch(c));
    EXPECT_THAT(Probe::notchState(c).overflow, IsEmpty());
    EXPECT_EQ(Probe::notchChangeCount(c), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, NotchRead,
    ::testing::Values(ReadCase{"firstReadFails", false, nullptr, &NotchRead::nothing},
                      ReadCase{"secondReadFails", true, nullptr, &NotchRead::nothing},
                      ReadCase{"revealedDuringTheFirstRead", false, &NotchRead::crowded,
                               [](coordinator::Coordinator& c) { c.reveal(false); }},
                      ReadCase{"panelOpenedDuringTheSecondRead", true, &NotchRead::crowded,
                               [](coordinator::Coordinator& c) { c.setBelowBar(true); }},
                      ReadCase{"planChangedDuringTheSecondRead", true, &NotchRead::crowded,
                               [](coordinator::Coordinator& c) {
                                   core::Profile edited = c.currentProfile();
                                   edited.sections[AppKey("com.example.hidden")] = core::Section::shown;
                                   c.setProfile(std::move(edited));
                               }},
                      ReadCase{"screenInUseMovedBeforeTheSecondRead", true, &NotchRead::onThePlainScreen,
                               &NotchRead::nothing}),
    [](const auto& info) { return std::string(info.param.name); });

// Whatever keeps the bar from being collapsed and quiet blocks every check and
// every screen notice.
class NotchBlocked;
struct BlockCase {
    const char* name;
    void (*block)(NotchBlocked&, coordinator::Coordinator&);
};
void PrintTo(const BlockCase& c, std::ostream* os) {
    *os << c.name;
}

class NotchBlocked : public Notch, public ::testing::WithParamInterface<BlockCase> {
public:
    using Notch::givenRevealed;
    using Notch::liftForPress;
    using Notch::pressUnderWay;
    using Notch::revealForPress;
};

TEST_P(NotchBlocked, ChecksAndNoticesDoNothing) {
    Coordinator& c = collapsed();
    overflowShown();
    GetParam().block(*this, c);
    executor.runUntilIdle();
    clearServiceCalls();
    EXPECT_FALSE(c.canCheckNotch());
    EXPECT_FALSE(check());
    c.screenMayHaveChanged();
    executor.runUntilIdle();
    EXPECT_EQ(screens->log.count("screens"), 0U);
    EXPECT_EQ(reads(), 0U);
    EXPECT_EQ(Probe::notchState(c).overflow, std::vector{AppKey(shown)});
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, NotchBlocked,
    ::testing::Values(
        BlockCase{"press",
                  [](NotchBlocked& t, coordinator::Coordinator&) { t.pressUnderWay("com.example.hidden"); }},
        BlockCase{"temporaryReveal",
                  [](NotchBlocked& t, coordinator::Coordinator&) { t.revealForPress("com.example.hidden"); }},
        BlockCase{"temporaryLift", [](NotchBlocked& t, coordinator::Coordinator&) { t.liftForPress(); }},
        BlockCase{"belowBarPanelOpen",
                  [](NotchBlocked&, coordinator::Coordinator& c) { c.setBelowBar(true); }},
        BlockCase{"revealed", [](NotchBlocked& t, coordinator::Coordinator&) { t.givenRevealed(); }},
        BlockCase{"paused", [](NotchBlocked&, coordinator::Coordinator& c) { c.pause(); }},
        BlockCase{"shutDown", [](NotchBlocked&, coordinator::Coordinator& c) { c.shutdown(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Notch, AnEqualHiddenSetIsStoredSilentlyAndCountsAsNoChange) {
    Coordinator& c = collapsed();
    overflowShown();
    const int changes = Probe::notchChangeCount(c);
    auto later = overflowOf({AppKey(shown)});
    later.changedAt = executor.wallNow();
    EXPECT_FALSE(Probe::applyNotch(c, later));
    EXPECT_EQ(Probe::notchState(c), later);
    EXPECT_THAT(events, IsEmpty());
    EXPECT_EQ(Probe::notchChangeCount(c), changes);
    EXPECT_THAT(visibility->applied, IsEmpty());
}

TEST_F(Notch, TheWatchBacksOffWhileNothingChangesAndReturnsToItsTickOnAChange) {
    collapsed();
    reader->items = ownAndApple(1200); // nothing overflows: every check ends after one read
    const auto t0 = executor.now().time_since_epoch();
    executor.advanceBy(20s);
    // A change at the next check: the bar grows crowded.
    reader->items = crowdedBar();
    executor.advanceBy(7500ms); // the check at 27.5 s overflows the shown application
    EXPECT_THAT(take(), ::testing::Contains("notchOverflow(1)"));
    executor.advanceBy(10s); // the same crowd: no change from here on
    std::vector<concurrency::Duration> at;
    for (auto time : reader->timesOf(firstRead)) {
        at.push_back(time - t0);
    }
    EXPECT_EQ(at, (std::vector<concurrency::Duration>{2500ms, 7500ms, 17500ms, 27500ms, 30s, 35s}));
}

TEST_F(Notch, ScreenNoticesAreDebouncedToOneASecond) {
    collapsed();
    reader->items = ownAndApple(1200);
    EXPECT_TRUE(screens->change());
    executor.advanceBy(500ms);
    EXPECT_TRUE(screens->change());
    executor.advanceBy(500ms);
    EXPECT_TRUE(screens->change());
    executor.runUntilIdle();
    EXPECT_EQ(screens->log.count("screens"), 2U);
    EXPECT_EQ(reads(), 2U);
}

TEST_F(Notch, SwitchingOffEmptiesTheOverflowWithOneCallbackAndStopsTheWatch) {
    Coordinator& c = collapsed();
    EXPECT_TRUE(screens->isWatching());
    EXPECT_TRUE(Probe::notchTask(c));
    overflowShown();
    c.notchOverflowEnabled = false;
    c.notchSettingChanged();
    executor.runUntilIdle();
    EXPECT_THAT(take(),
                ElementsAre("log(info) ノッチで一時的に隠すアプリを変えました（隠す：・戻す：com."
                            "example.shown・いま 0 個）",
                            "notchOverflow(0)",
                            "log(default) 制限が効きました（許す 3 個・Apple 以外：app.trayvane.pellacor,"
                            "com.example.shown）",
                            "restrictionConfirmed"));
    EXPECT_FALSE(screens->isWatching());
    EXPECT_FALSE(Probe::notchTask(c));
    // Off with nothing hidden: no callback.
    c.notchSettingChanged();
    EXPECT_THAT(take(), IsEmpty());
    executor.advanceBy(30s);
    EXPECT_EQ(reads(), 0U);
}

TEST_F(Notch, TheFoldRescueTurnsTheHandlingOnWithoutTheBelowBarPanel) {
    Coordinator& c = collapsed();
    c.belowBarEnabled = false;
    c.notchSettingChanged();
    EXPECT_FALSE(screens->isWatching());
    take();
    // A new start finds the bar without the control item, which has a place on screen.
    reader->items = {item("com.apple.Music", 0, Rect(1200, 0, 30, 24)), item(shown, 0, Rect(800, 0, 40, 24))};
    givenFoldRescue();
    const std::string rescueLine =
        "log(default) 操作口が畳まれているので、下の段が切でも、ノッチ対策で「表示」の"
        "アプリを一時的に隠して空きを作ります";
    EXPECT_THAT(take(), ::testing::Contains(rescueLine));
    EXPECT_TRUE(screens->isWatching());
    EXPECT_TRUE(c.canCheckNotch());
    // The rescue's further checks do not turn it on again.
    executor.advanceBy(1s + 2s + 3s);
    EXPECT_THAT(take(), ::testing::Not(::testing::Contains(rescueLine)));
}

TEST_F(Notch, TheScreenInUseIsLoggedOnlyWhenItsKindChanges) {
    collapsed();
    // What the checks find: a bar they cannot place, notched screens with their housings ending at 700
    // and 850, a bar they cannot place again, and plain screens twice.
    const NotchPlanner::Screen housingAt700{Rect(0, 0, 1512, 982), 700};
    const NotchPlanner::Screen plain{Rect(0, 0, 1440, 900), std::nullopt};
    const struct {
        std::vector<NotchPlanner::Screen> screens;
        std::vector<core::ItemSnapshot> bar;
    } sightings[] = {{{notched()}, {}},
                     {{housingAt700}, ownAndApple(1200)},
                     {{notched()}, ownAndApple(1200)},
                     {{notched()}, {}},
                     {{plain}, {}},
                     {{plain}, {}}};
    for (const auto& sighting : sightings) {
        screens->attached = sighting.screens;
        reader->items = sighting.bar;
        check();
    }
    EXPECT_THAT(take(), ElementsAre("log(info) いま使っている画面は、ノッチのある画面です",
                                    "log(info) いま使っている画面は、ノッチの無い画面です"));
}

TEST_F(Notch, ThePlannerInputCarriesTheModelAndTheClock) {
    Coordinator& c = collapsed();
    const auto input = Probe::notchInput(c, crowdedBar(), {AppKey(shown)}, housingRight);
    EXPECT_EQ(input.items, crowdedBar());
    EXPECT_EQ(input.visible, std::set{AppKey(shown)});
    EXPECT_EQ(input.notchRight, housingRight);
    EXPECT_EQ(input.selfBundleID, selfID);
    EXPECT_TRUE(input.collapsed);
    EXPECT_TRUE(input.enabled);
    EXPECT_EQ(input.now, executor.wallNow());
    EXPECT_EQ(input.running, (std::set{AppKey(shown), AppKey(hidden), AppKey("com.apple.Music")}));
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
