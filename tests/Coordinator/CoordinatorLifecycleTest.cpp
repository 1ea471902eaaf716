#include "Support/CoordinatorFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ostream>

namespace pellacor::testing {
namespace PELLACOR_TEST_FILE {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Lifecycle = CoordinatorFixture;
using State = core::MenuBarState;
using PauseReason = coordinator::PauseReason;

system::CaptureUse camera() {
    return {.camera = true, .microphone = false};
}
system::CaptureUse microphone() {
    return {.camera = false, .microphone = true};
}

TEST_F(Lifecycle, StartWithoutReasonBeginsStartingAndLiftsEverything) {
    Coordinator& c = start();
    EXPECT_EQ(c.effectiveState(), State::starting);
    EXPECT_TRUE(apps->isWatching());
    EXPECT_TRUE(capture->isWatching());
    EXPECT_TRUE(Probe::startTask(c));
    EXPECT_EQ(Probe::startGeneration(c), 1);
    // Nothing may be hidden while starting: the first request is a removal.
    EXPECT_EQ(visibility->log.calls(), std::vector<std::string>{"removeRestriction"});
    // Starting from the built state is no change: nothing to log or tell but the
    // first trust check's answer.
    EXPECT_THAT(events, ElementsAre("trust(true)"));
}

TEST_F(Lifecycle, LaunchPauseStaysPausedReadsNothingAndStartsNoAttempt) {
    Coordinator& c = start(PauseReason::optionKeyAtLaunch());
    EXPECT_EQ(c.effectiveState(), State::paused);
    EXPECT_EQ(c.currentPauseReason(), PauseReason::optionKeyAtLaunch());
    EXPECT_FALSE(Probe::startTask(c));
    EXPECT_EQ(reader->log.callCount(), 0U);
    EXPECT_EQ(health->log.callCount(), 0U);
    EXPECT_TRUE(apps->isWatching());
    EXPECT_TRUE(capture->isWatching());
    EXPECT_THAT(events, ElementsAre("log(default) 状態 starting → paused", "state(paused)", "trust(true)"));
    // The trust checks run all the same, one per tick.
    EXPECT_EQ(trust->log.count("isTrusted"), 1U);
    executor.advanceBy(2s);
    EXPECT_EQ(trust->log.count("isTrusted"), 2U);
    EXPECT_EQ(reader->log.callCount(), 0U);
}

TEST_F(Lifecycle, StartIsOnceOnlyAndNeverAfterShutdown) {
    Coordinator& c = start();
    c.start(PauseReason::manual());
    executor.runUntilIdle();
    EXPECT_EQ(c.effectiveState(), State::starting);
    EXPECT_EQ(capture->log.count("start"), 1U);
    EXPECT_EQ(apps->log.count("start"), 1U);

    build().shutdown();
    clearServiceCalls();
    coordinator->start(std::nullopt);
    executor.runUntilIdle();
    EXPECT_EQ(serviceCalls(), 0U);
    EXPECT_FALSE(Probe::hasStarted(*coordinator));
}

TEST_F(Lifecycle, TheFirstCaptureReadingIsStoredWithoutAHubRun) {
    capture->use = camera();
    Coordinator& c = build();
    c.start(PauseReason::manual());
    executor.runUntilIdle();
    EXPECT_TRUE(Probe::captureInUse(c));
    // The first state change is judged from the overridden start, and a pause wins.
    EXPECT_THAT(take(),
                ElementsAre("log(default) 状態 privacyOverride → paused", "state(paused)", "trust(true)"));
}

TEST_F(Lifecycle, CameraWhilePausedIsSilent) {
    Coordinator& c = start(PauseReason::manual());
    take();
    capture->change(camera());
    executor.runUntilIdle();
    EXPECT_EQ(c.effectiveState(), State::paused);
    EXPECT_THAT(events, IsEmpty());
}

TEST_F(Lifecycle, CameraWhileCollapsedOverridesAndItsEndAsksForPlacementAtOnce) {
    Coordinator& c = givenCollapsed();
    take();
    sleeps.clear();
    const int placements = Probe::placeShownGeneration(c);

    capture->change(camera());
    executor.runUntilIdle();
    EXPECT_EQ(c.effectiveState(), State::privacyOverride);
    EXPECT_EQ(c.baseState(), State::collapsed);
    EXPECT_THAT(take(),
                ElementsAre("log(default) 状態 collapsed → privacyOverride", "state(privacyOverride)"));
    EXPECT_EQ(visibility->currentPlan(), core::VisibilityPlan::noRestriction());
    EXPECT_EQ(Probe::placeShownGeneration(c), placements);

    capture->change({});
    EXPECT_EQ(Probe::placeShownGeneration(c), placements + 1);
    EXPECT_TRUE(Probe::placeShownTask(c));
    executor.runUntilIdle();
    EXPECT_THAT(take(),
                ElementsAre("log(default) 状態 privacyOverride → collapsed", "state(collapsed)",
                            "log(default) 制限が効きました（許す 1 個・Apple 以外：app.trayvane.pellacor）",
                            "restrictionConfirmed"));
    // Zero delay: no sleep, and the task is done and cleared on the first turns.
    EXPECT_THAT(sleeps, IsEmpty());
    EXPECT_FALSE(Probe::placeShownTask(c));
}

TEST_F(Lifecycle, MicrophoneAloneChangesNothing) {
    Coordinator& c = givenCollapsed();
    take();
    visibility->log.clearCalls();

    capture->change(microphone());
    executor.runUntilIdle();
    EXPECT_EQ(c.effectiveState(), State::collapsed);
    EXPECT_FALSE(Probe::captureInUse(c));
    EXPECT_THAT(events, IsEmpty());
    EXPECT_EQ(visibility->log.callCount(), 0U);
}

TEST_F(Lifecycle, CameraOverridesEveryBaseButPaused) {
    for (State base : {State::starting, State::needsPermission, State::collapsed, State::revealed,
                       State::revealedAll, State::paused}) {
        SCOPED_TRACE(core::rawValue(base));
        capture->use = {};
        build();
        givenState(base);
        capture->change(camera());
        executor.runUntilIdle();
        EXPECT_EQ(coordinator->effectiveState(),
                  base == State::paused ? State::paused : State::privacyOverride);
        EXPECT_EQ(coordinator->baseState(), base);
        EXPECT_EQ(visibility->currentPlan(), core::VisibilityPlan::noRestriction());
        coordinator->shutdown();
    }
}

TEST_F(Lifecycle, PauseReasonRules) {
    Coordinator& c = givenCollapsed();
    EXPECT_EQ(c.currentPauseReason(), std::nullopt);

    // The user's pause is a pause by hand.
    c.pause();
    EXPECT_EQ(c.currentPauseReason(), PauseReason::manual());

    // Already paused: the first reason stays, but a start attempt still goes stale.
    const auto noItems = PauseReason::healthProblems({system::HealthProblem::noItems});
    givenPaused(noItems);
    const int generation = Probe::startGeneration(c);
    c.pause();
    EXPECT_EQ(c.currentPauseReason(), noItems);
    EXPECT_EQ(Probe::startGeneration(c), generation + 1);

    // Any other state clears it.
    givenNeedsPermission();
    EXPECT_EQ(c.currentPauseReason(), std::nullopt);
}

TEST_F(Lifecycle, PauseReasonEqualityComparesTheProblems) {
    using system::HealthProblem;
    using system::UnavailableReason;
    const auto problems = [](std::vector<HealthProblem> list) { return PauseReason::healthProblems(list); };
    EXPECT_EQ(problems({HealthProblem::noItems}), problems({HealthProblem::noItems}));
    EXPECT_NE(problems({HealthProblem::noItems}), problems({HealthProblem::ownItemMissing}));
    EXPECT_NE(problems({HealthProblem::noItems}), problems({HealthProblem::noItems, HealthProblem::noItems}));
    EXPECT_NE(problems({HealthProblem::cannotRead(UnavailableReason::systemError(1))}),
              problems({HealthProblem::cannotRead(UnavailableReason::systemError(2))}));
    EXPECT_NE(problems({}), PauseReason::manual());
    EXPECT_EQ(PauseReason::controlRemoved(), PauseReason::controlRemoved());
    EXPECT_NE(PauseReason::osVersionChanged(), PauseReason::optionKeyAtLaunch());
}

TEST_F(Lifecycle, PermissionWaitIsToldAfterTheStateAndOnlyWhenEnteredOrLeft) {
    start();
    take();
    givenNeedsPermission();
    EXPECT_THAT(take(), ElementsAre(::testing::StartsWith("log(default) 起動の読み（1 回目）"),
                                    ::testing::StartsWith("log(error) 点検の問題"),
                                    "log(default) 状態 starting → needsPermission", "state(needsPermission)",
                                    "permissionWait(true)"));

    // A trust check that finds the permission gone again stays in the wait: nothing more to tell of it.
    trust->trusted = false;
    executor.advanceBy(2s);
    EXPECT_THAT(take(), ElementsAre("trust(false)"));

    // Granted: a new attempt leaves the wait.
    trust->trusted = true;
    reader->allReads.hold();
    executor.advanceBy(2s);
    EXPECT_THAT(take(),
                ElementsAre("trust(true)", ::testing::StartsWith("log(default) アクセシビリティの許可"),
                            "log(default) 状態 needsPermission → starting", "state(starting)",
                            "permissionWait(false)"));
}

TEST_F(Lifecycle, PauseAndResume) {
    Coordinator& c = start();
    c.resume(); // not paused: ignored
    EXPECT_EQ(Probe::startGeneration(c), 1);

    c.pause();
    EXPECT_EQ(c.effectiveState(), State::paused);
    EXPECT_EQ(c.currentPauseReason(), PauseReason::manual());

    c.resume();
    EXPECT_EQ(c.effectiveState(), State::starting);
    EXPECT_EQ(c.currentPauseReason(), std::nullopt);
    EXPECT_EQ(Probe::startGeneration(c), 3); // the pause made the first attempt stale; a new one began

    c.shutdown();
    c.pause();
    EXPECT_EQ(c.baseState(), State::starting);
    // Nor does a resume after shutdown start anything.
    build();
    Coordinator& paused = start(PauseReason::manual());
    paused.shutdown();
    paused.resume();
    EXPECT_EQ(paused.baseState(), State::paused);
}

TEST_F(Lifecycle, BeginStartingEndsAFoldRescue) {
    Coordinator& c = givenFoldRescue();
    ASSERT_TRUE(c.foldRescueActive());
    c.pause();
    c.resume();
    EXPECT_FALSE(c.foldRescueActive());
}

// A reveal asked for while starting waits for the start to end.
struct RevealWishCase {
    const char* name;
    std::vector<bool> wishes;
    State endsIn;
    State then;
};
void PrintTo(const RevealWishCase& c, std::ostream* os) {
    *os << c.name;
}

class RevealAfterStart : public CoordinatorFixture, public ::testing::WithParamInterface<RevealWishCase> {};

TEST_P(RevealAfterStart, IsCarriedOutOnlyWhenTheStartEndsCollapsed) {
    const auto& param = GetParam();
    Coordinator& c = start();
    for (bool all : param.wishes) {
        c.reveal(all);
    }
    EXPECT_EQ(c.effectiveState(), State::starting);
    EXPECT_TRUE(Probe::revealAfterStart(c).has_value());
    EXPECT_EQ(logLines().size(), param.wishes.size());
    EXPECT_EQ(logLines().front(), "log(info) 起動の点検が済んだら出します");

    if (param.endsIn == State::collapsed) {
        answerStartRead(reader->items);
    } else {
        givenState(param.endsIn);
    }
    EXPECT_EQ(c.effectiveState(), param.then);
    EXPECT_FALSE(Probe::revealAfterStart(c).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Wishes, RevealAfterStart,
    ::testing::Values(
        RevealWishCase{"collapsedReveals", {false}, State::collapsed, State::revealed},
        RevealWishCase{"collapsedRevealsAll", {true}, State::collapsed, State::revealedAll},
        RevealWishCase{"allIsKeptByALaterWish", {true, false}, State::collapsed, State::revealedAll},
        RevealWishCase{"pausedDrops", {false}, State::paused, State::paused},
        RevealWishCase{"permissionDrops", {true}, State::needsPermission, State::needsPermission}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Lifecycle, TheHubRunsItsStepsInOrder) {
    belowBarVisible = true;
    Coordinator& c = givenCollapsed();
    c.belowBarEnabled = true;
    c.reveal(false); // opens the panel below the bar
    ASSERT_TRUE(Probe::isBelowBarShown(c));
    executor.runUntilIdle();
    take();
    visibility->observer = [this](const std::string& call) { events.push_back("visibility " + call); };

    c.pause();
    // Log, enforce, close the panel, …, tell the state.
    EXPECT_THAT(take(), ElementsAre("log(default) 状態 collapsed → paused", "visibility removeRestriction",
                                    "log(info) 下の段を閉じます", "belowBar(false)", "state(paused)"));
}

TEST_F(Lifecycle, DeferredOrderIsReplayedOnlyInAWritableState) {
    Coordinator& c = start();
    // A reorder asked for while starting waits.
    concurrency::spawn(executor, c.applyOrder(true));
    executor.runUntilIdle();
    ASSERT_EQ(Probe::deferredOrder(c), true);
    c.pause();
    EXPECT_EQ(Probe::deferredOrder(c), true);
    givenNeedsPermission();
    EXPECT_EQ(Probe::deferredOrder(c), true);
    givenCollapsed();
    EXPECT_EQ(Probe::deferredOrder(c), std::nullopt);
}

// A launch enforces at once; placement and reads depend on who launched.
struct LaunchCase {
    const char* name;
    std::string bundleID;
    bool known;
    bool placed; // a placement after 2 s
};
void PrintTo(const LaunchCase& c, std::ostream* os) {
    *os << c.name;
}

class LaunchEvents : public CoordinatorFixture, public ::testing::WithParamInterface<LaunchCase> {};

TEST_P(LaunchEvents, EnforceAndMaybePlace) {
    const auto& param = GetParam();
    timings.profile = makeProfile({{core::AppKey("com.example.shown"), core::Section::shown},
                                   {core::AppKey("com.example.hidden"), core::Section::hidden}});
    if (param.known) {
        // The start's read found it.
        reader->items = {item(param.bundleID)};
    }
    Coordinator& c = givenCollapsed();
    ASSERT_EQ(Probe::knownOwners(c).contains(core::AppKey(param.bundleID)), param.known);
    visibility->applied.clear();
    sleeps.clear();
    const int placements = Probe::placeShownGeneration(c);

    apps->running.insert(param.bundleID);
    apps->emit(system::AppActivity::launched(param.bundleID));
    executor.runUntilIdle();

    // The launch enforces at once: a running application counts as a current owner.
    const auto* allowed = Probe::requestedPlan(c)->allowedBundleIDs();
    ASSERT_NE(allowed, nullptr);
    const bool allowedNow = std::find(allowed->begin(), allowed->end(), param.bundleID) != allowed->end();
    EXPECT_EQ(allowedNow, param.bundleID != "com.example.hidden");
    // Only a newly running Apple application changes the plan here: shown ones are
    // allowed whether they run or not.
    EXPECT_EQ(visibility->applied.size(), param.bundleID == "com.apple.Music" ? 1U : 0U);
    EXPECT_EQ(Probe::placeShownGeneration(c), placements + (param.placed ? 1 : 0));
    // The placement waits 2 s; an owner not yet known gets its first quick read
    // and its reread.
    std::vector<concurrency::Duration> waits;
    if (param.placed) {
        waits.push_back(2s);
    }
    if (!param.known) {
        waits.insert(waits.end(), {300ms, 1500ms});
    }
    EXPECT_EQ(sleeps, waits);
}

INSTANTIATE_TEST_SUITE_P(Launches, LaunchEvents,
                         ::testing::Values(LaunchCase{"shownApp", "com.example.shown", false, true},
                                           LaunchCase{"knownShownApp", "com.example.shown", true, true},
                                           LaunchCase{"appleApp", "com.apple.Music", false, true},
                                           LaunchCase{"hiddenApp", "com.example.hidden", false, false},
                                           LaunchCase{"self", "app.trayvane.pellacor", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Lifecycle, OnlyLaunchesCount) {
    givenCollapsed();
    clearServiceCalls();
    apps->emit(system::AppActivity::terminated("com.apple.Music"));
    apps->emit(system::AppActivity::activated("com.apple.Music"));
    executor.runUntilIdle();
    EXPECT_EQ(serviceCalls(), 0U);
}

// The state line is progress in the first 300 s of a run, routine afterwards.
struct LevelCase {
    concurrency::Duration after;
    const char* level;
};
void PrintTo(const LevelCase& c, std::ostream* os) {
    *os << std::chrono::duration<double>(c.after).count() << " s: " << c.level;
}

class StateLogLevel : public CoordinatorFixture, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(StateLogLevel, DependsOnTimeSinceStart) {
    start();
    executor.advanceBy(GetParam().after);
    take();
    givenCollapsed();
    const std::string level = GetParam().level;
    EXPECT_THAT(
        logLines(),
        ElementsAre(::testing::StartsWith("log(default) 起動の読み（1 回目）"),
                    "log(" + level + ") 状態 starting → collapsed",
                    "log(" + level + ") 制限が効きました（許す 1 個・Apple 以外：app.trayvane.pellacor）"));
}

INSTANTIATE_TEST_SUITE_P(Times, StateLogLevel,
                         ::testing::Values(LevelCase{0s, "default"}, LevelCase{299s, "default"},
                                           LevelCase{300s - 1ns, "default"}, LevelCase{300s, "info"},
                                           LevelCase{3600s, "info"}));

TEST_F(Lifecycle, WithoutAStartEveryLineIsRoutine) {
    // Pausing and resuming by hand run a start attempt without the start.
    Coordinator& c = build();
    c.pause();
    c.resume();
    executor.runUntilIdle();
    EXPECT_EQ(c.baseState(), State::collapsed);
    EXPECT_THAT(logLines(),
                ElementsAre("log(info) 状態 starting → paused", "log(info) 状態 paused → starting",
                            ::testing::StartsWith("log(default) 起動の読み（1 回目）"),
                            "log(info) 状態 starting → collapsed",
                            "log(info) 制限が効きました（許す 1 個・Apple 以外：app.trayvane.pellacor）"));
}

TEST_F(Lifecycle, ShutdownRemovesTheRestrictionBeforeAnythingElse) {
    Coordinator& c = givenCollapsed();
    c.belowBarEnabled = true;
    c.reveal(false);
    executor.runUntilIdle();
    take();
    visibility->observer = [this](const std::string& call) { events.push_back("visibility " + call); };

    c.shutdown();
    EXPECT_THAT(take(),
                ElementsAre("visibility removeRestriction", "log(info) 下の段を閉じます", "belowBar(false)"));
    EXPECT_EQ(visibility->currentPlan(), core::VisibilityPlan::noRestriction());
    EXPECT_FALSE(apps->isWatching());
    EXPECT_FALSE(capture->isWatching());
    // No state change: the base keeps its value.
    EXPECT_EQ(c.baseState(), State::collapsed);
}

TEST_F(Lifecycle, AfterShutdownNothingReachesAServiceAndASecondShutdownChangesNothing) {
    Coordinator& c = givenCollapsed();
    // An apply in flight, a placement waiting, and the watchers' handlers kept.
    apps->running.insert("com.example.new");
    visibility->replies.hold();
    setSection("com.example.new", core::Section::shown);
    c.enforce();
    executor.runUntilIdle();
    apps->emit(system::AppActivity::launched("com.apple.Music"));
    auto captureHandler = capture->handler();
    ASSERT_EQ(visibility->replies.waitingCount(), 1U);

    c.shutdown();
    take();
    clearServiceCalls();

    visibility->replies.release(system::SystemResult<core::VisibilityPlan>::timeout());
    captureHandler(camera());
    c.enforce();
    c.pause();
    c.resume();
    c.reveal(true);
    c.shutdown();
    executor.advanceBy(10min);
    executor.runUntilIdle();

    EXPECT_EQ(serviceCalls(), 0U);
    EXPECT_THAT(events, IsEmpty());
    EXPECT_EQ(c.baseState(), State::collapsed);
    EXPECT_FALSE(Probe::captureInUse(c));
    EXPECT_EQ(executor.pendingTimerCount(), 0U);
}

TEST_F(Lifecycle, DroppingTheCoordinatorEndsItsTasks) {
    Coordinator& c = givenCollapsed();
    apps->emit(system::AppActivity::launched("com.apple.Music")); // a placement waits 2 s
    visibility->replies.hold();
    apps->running.insert("com.example.new");
    setSection("com.example.new", core::Section::shown);
    c.enforce();
    executor.runUntilIdle();
    auto captureHandler = capture->handler();
    std::weak_ptr<Coordinator> weak = coordinator;
    coordinator.reset();
    EXPECT_TRUE(weak.expired());

    take();
    clearServiceCalls();
    visibility->replies.release(system::SystemResult<core::VisibilityPlan>::timeout());
    captureHandler(camera());
    executor.advanceBy(10min);
    EXPECT_EQ(serviceCalls(), 0U);
    EXPECT_THAT(events, IsEmpty());
}

TEST_F(Lifecycle, CreateRefusesMissingRequiredServices) {
    auto without = services();
    without.visibility = nullptr;
    EXPECT_EQ(Coordinator::create(without, timings, clocks()), nullptr);
    without = services();
    without.health = nullptr;
    EXPECT_EQ(Coordinator::create(without, timings, clocks()), nullptr);
    auto noSleep = clocks();
    noSleep.sleep = nullptr;
    EXPECT_EQ(Coordinator::create(services(), timings, noSleep), nullptr);

    // The optional ones may all be absent.
    auto bare = services();
    bare.pointer = nullptr;
    bare.hover = nullptr;
    bare.trust = nullptr;
    bare.dragWatcher = nullptr;
    bare.screens = nullptr;
    bare.reorderer = nullptr;
    bare.ownItemPlaced = nullptr;
    bare.ownItemOnBar = nullptr;
    auto c = Coordinator::create(bare, timings, clocks());
    ASSERT_NE(c, nullptr);
    // The start's read finds the bar healthy.
    c->start(std::nullopt);
    executor.runUntilIdle();
    EXPECT_EQ(c->effectiveState(), State::collapsed);
    c->shutdown();
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
