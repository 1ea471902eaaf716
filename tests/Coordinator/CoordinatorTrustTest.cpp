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
using State = core::MenuBarState;
using PauseReason = coordinator::PauseReason;

// The first tick runs as the coordinator starts; each `tick()` runs the next.
class Trust : public CoordinatorFixture {
protected:
    void tick() { executor.advanceBy(2s); }

    Coordinator& startedIn(State state) {
        Coordinator& c = givenState(state);
        take();
        return c;
    }
};

TEST_F(Trust, TheFirstTickMakesTheTrustKnownOnce) {
    Coordinator& c = start();
    EXPECT_EQ(Probe::accessibilityTrusted(c), true);
    EXPECT_EQ(Probe::grantRetriesLeft(c), 3);
    EXPECT_THAT(take(), ElementsAre("trust(true)"));
    tick();
    tick();
    EXPECT_EQ(trust->log.count("isTrusted"), 3U);
    EXPECT_THAT(events, IsEmpty());
    EXPECT_EQ(c.effectiveState(), State::starting);
}

TEST_F(Trust, WithdrawnWhilePausedOnlyTells) {
    Coordinator& c = start(PauseReason::manual());
    take();
    trust->trusted = false;
    tick();
    EXPECT_THAT(take(), ElementsAre("trust(false)"));
    EXPECT_EQ(c.effectiveState(), State::paused);
}

TEST_F(Trust, WithdrawnWhileShowingStopsHiding) {
    for (State state : {State::collapsed, State::revealed, State::revealedAll}) {
        SCOPED_TRACE(core::rawValue(state));
        build();
        trust->trusted = true;
        Coordinator& c = startedIn(state);
        trust->trusted = false;
        tick();
        EXPECT_EQ(c.effectiveState(), State::needsPermission);
        EXPECT_THAT(
            take(),
            ElementsAre("trust(false)", "log(error) アクセシビリティの許可が外れました。何も隠しません",
                        "log(default) 状態 " + std::string(core::rawValue(state)) + " → needsPermission",
                        "state(needsPermission)", "permissionWait(true)"));
        EXPECT_EQ(visibility->currentPlan(), core::VisibilityPlan::noRestriction());
        c.shutdown();
    }
}

TEST_F(Trust, AGrantGivesThreeFreshStartsUntilTheNextGrant) {
    trust->trusted = false;
    Coordinator& c = startedIn(State::needsPermission);
    trust->trusted = true;
    for (int attempt = 1; attempt <= 3; ++attempt) {
        SCOPED_TRACE(attempt);
        const int generation = Probe::startGeneration(c);
        // The fresh attempt's read waits, so the attempt stays under way.
        reader->allReads.hold();
        tick();
        EXPECT_EQ(c.effectiveState(), State::starting);
        EXPECT_GT(Probe::startGeneration(c), generation);
        EXPECT_EQ(logLines().front(),
                  "log(default) アクセシビリティの許可が付いています。点検からやり直します");
        // The attempt found no permission again.
        givenNeedsPermission();
        take();
    }
    tick();
    tick();
    EXPECT_EQ(c.effectiveState(), State::needsPermission);
    EXPECT_THAT(logLines(), IsEmpty());

    // Withdrawn and granted again: three more.
    trust->trusted = false;
    tick();
    trust->trusted = true;
    reader->allReads.hold();
    tick();
    EXPECT_EQ(c.effectiveState(), State::starting);
    EXPECT_EQ(Probe::grantRetriesLeft(c), 2);
}

TEST_F(Trust, ATrustedProcessOutsideThePermissionWaitIsLeftAlone) {
    for (State state : {State::starting, State::paused, State::collapsed}) {
        SCOPED_TRACE(core::rawValue(state));
        build();
        Coordinator& c = startedIn(state);
        tick();
        EXPECT_EQ(c.effectiveState(), state);
        EXPECT_THAT(take(), IsEmpty());
        c.shutdown();
    }
}

// Whether the control item is on the bar, tick by tick.
struct OwnItemCase {
    const char* name;
    State state;
    std::vector<std::optional<bool>> ticks;
    State then;
    int streak;
};
void PrintTo(const OwnItemCase& c, std::ostream* os) {
    *os << c.name;
}

class OwnItemOnBar : public Trust, public ::testing::WithParamInterface<OwnItemCase> {};

TEST_P(OwnItemOnBar, PausesOnlyAfterTwoTicksOffWhileHiding) {
    const auto& param = GetParam();
    // Waiting for the permission means the permission is missing.
    trust->trusted = param.state != State::needsPermission;
    Coordinator& c = startedIn(param.state);
    for (const auto& onBar : param.ticks) {
        ownItemOnBar = onBar;
        tick();
    }
    EXPECT_EQ(c.effectiveState(), param.then);
    EXPECT_EQ(Probe::offBarStreak(c), param.streak);
    if (param.then == State::paused && param.state != State::paused) {
        EXPECT_EQ(c.currentPauseReason(), PauseReason::controlRemoved());
        EXPECT_EQ(logLines().front(),
                  "log(error) 操作口がメニューバーから外されました（システム設定の"
                  "「メニューバーに追加することを許可」が切かもしれません）。何も隠しません");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ticks, OwnItemOnBar,
    ::testing::Values(
        OwnItemCase{"oneTickOff", State::collapsed, {false}, State::collapsed, 1},
        OwnItemCase{"offThenBack", State::collapsed, {false, true}, State::collapsed, 0},
        OwnItemCase{"twoTicksOffCollapsed", State::collapsed, {false, false}, State::paused, 0},
        OwnItemCase{"twoTicksOffRevealed", State::revealed, {false, false}, State::paused, 0},
        OwnItemCase{"twoTicksOffRevealedAll", State::revealedAll, {false, false}, State::paused, 0},
        OwnItemCase{"offWhilePaused", State::paused, {false, false, false}, State::paused, 0},
        OwnItemCase{"unknownKeepsTheStreak", State::collapsed, {false, std::nullopt}, State::collapsed, 1},
        OwnItemCase{"unknownBetween", State::collapsed, {false, std::nullopt, false}, State::paused, 0},
        OwnItemCase{"offWhileStarting", State::starting, {false, false, false}, State::starting, 0},
        OwnItemCase{"offWhileWaiting", State::needsPermission, {false, false}, State::needsPermission, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Trust, TheControlItemBackEndsOnlyItsOwnPause) {
    Coordinator& c = startedIn(State::collapsed);
    ownItemOnBar = false;
    tick();
    tick();
    ASSERT_EQ(c.currentPauseReason(), PauseReason::controlRemoved());
    take();
    ownItemOnBar = true;
    reader->allReads.hold();
    tick();
    EXPECT_EQ(c.effectiveState(), State::starting);
    EXPECT_EQ(logLines().front(), "log(default) 操作口がメニューバーに戻りました。点検からやり直します");

    c.pause();
    take();
    tick();
    EXPECT_EQ(c.effectiveState(), State::paused);
    EXPECT_THAT(take(), IsEmpty());
}

TEST_F(Trust, LosingTrustInATickResetsTheOffBarStreakOfTheSameTick) {
    Coordinator& c = startedIn(State::collapsed);
    ownItemOnBar = false;
    tick();
    ASSERT_EQ(Probe::offBarStreak(c), 1);
    trust->trusted = false;
    tick();
    EXPECT_EQ(c.effectiveState(), State::needsPermission);
    EXPECT_EQ(Probe::offBarStreak(c), 0);
}

TEST_F(Trust, WithoutTheServiceNothingIsChecked) {
    auto without = services();
    without.trust = nullptr;
    coordinator = Coordinator::create(without, timings, clocks());
    coordinator->start(std::nullopt);
    executor.advanceBy(10s);
    EXPECT_FALSE(Probe::trustTask(*coordinator));
    EXPECT_FALSE(Probe::knownUntrusted(*coordinator));
    EXPECT_EQ(trust->log.callCount(), 0U);
}

TEST_F(Trust, WithoutAnIntervalThereIsNoTask) {
    timings.trustCheckInterval = std::nullopt;
    Coordinator& c = start();
    executor.advanceBy(10s);
    EXPECT_FALSE(Probe::trustTask(c));
    EXPECT_EQ(trust->log.callCount(), 0U);
}

TEST_F(Trust, KnownUntrustedRefreshesTheTrustWithoutChangingTheState) {
    Coordinator& c = startedIn(State::collapsed);
    trust->trusted = false;
    EXPECT_TRUE(Probe::knownUntrusted(c));
    EXPECT_THAT(take(), ElementsAre("trust(false)"));
    EXPECT_EQ(c.effectiveState(), State::collapsed);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
