#include "Support/CoordinatorFixture.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace pellacor::testing {
namespace PELLACOR_TEST_FILE {
namespace {

using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

using State = core::MenuBarState;
using core::HoverZone;

system::CaptureUse camera() {
    return {.camera = true, .microphone = false};
}

// A coordinator whose trust checks are off, so that only the reveal loops
// sample, sleep and log while virtual time runs.
class RevealFixture : public CoordinatorFixture {
protected:
    RevealFixture() { timings.trustCheckInterval = std::nullopt; }

    // Started, then set to `state` with the panel mode and the camera as given;
    // the events so far are taken.
    Coordinator& startIn(State state, bool panelMode = false, bool cameraOn = false) {
        Coordinator& c = givenState(state);
        c.belowBarEnabled = panelMode;
        if (cameraOn) {
            capture->change(camera());
        }
        executor.runUntilIdle();
        take();
        return c;
    }

    static system::PointerSample away() { return {.inMenuBar = false, .menuOpen = false}; }
    static system::PointerSample inBar() { return {.inMenuBar = true, .menuOpen = false}; }
    static system::PointerSample menuOpen() { return {.inMenuBar = false, .menuOpen = true}; }

    // The pointer rests in `zone` at `where` from the next hover sample on.
    void pointAt(HoverZone zone, core::Point where = {900, 1110}) {
        hover->samples.next = {.zone = zone, .buttonsPressed = false, .location = where};
    }
    std::size_t spaceChecks() const {
        return std::ranges::count_if(
            hover->log.calls(), [](const std::string& call) { return call.starts_with("checkEmptySpace"); });
    }

    // Collapsed with hover reveal on; the hover loop has seen the pointer away.
    Coordinator& hoverReady(bool panelMode = false) {
        Coordinator& c = start();
        c.hoverRevealEnabled = true;
        c.belowBarEnabled = panelMode;
        pointAt(HoverZone::away);
        givenCollapsed();
        executor.advanceBy(150ms); // the first sample: away
        take();
        hover->log.clearCalls();
        return c;
    }
};

// -- Toggle, reveal and collapse over every base state ---------------------------

enum class Op { toggle, reveal, collapse };

struct MoveCase {
    std::string name;
    Op op;
    bool flag; // toggle's option, reveal's all
    State base;
    bool panelMode;
    bool panelOpen; // before the move
    bool cameraOn;
    State expected; // base state afterwards
    bool panelShown;
};
void PrintTo(const MoveCase& c, std::ostream* os) {
    *os << c.name;
}

std::string nameOf(State state) {
    return std::string(core::rawValue(state));
}

// The Part's tables, one row per base state; each row gives the base state after
// the move for (flag false, panel mode off), (flag false, on), (flag true, off),
// (flag true, on). A move that leaves the bar collapsed in panel mode without the
// flag has opened the panel (or, for a toggle, flipped it). With a camera in use
// nothing changes the state and the panel ends closed.
struct Row {
    State base;
    State plain, plainPanel, flagged, flaggedPanel;
};

std::vector<MoveCase> movesOf(Op op, const char* opName, std::initializer_list<Row> rows) {
    std::vector<MoveCase> cases;
    for (const Row& row : rows) {
        const State results[] = {row.plain, row.plainPanel, row.flagged, row.flaggedPanel};
        for (int i = 0; i < 4; ++i) {
            const bool flag = i >= 2;
            const bool panelMode = i % 2 == 1;
            const std::string suffix = std::string(flag ? "_flag" : "") + (panelMode ? "_panelMode" : "");
            const bool opensPanel = op != Op::collapse && panelMode && !flag && row.base == State::collapsed;
            cases.push_back({std::string(opName) + "_" + nameOf(row.base) + suffix, op, flag, row.base,
                             panelMode, false, false, results[i], opensPanel});
            cases.push_back({std::string(opName) + "_" + nameOf(row.base) + suffix + "_camera", op, flag,
                             row.base, panelMode, false, true, row.base, false});
        }
    }
    return cases;
}

std::vector<MoveCase> allMoves() {
    using S = State;
    std::vector<MoveCase> cases;
    auto add = [&cases](std::vector<MoveCase> more) { cases.insert(cases.end(), more.begin(), more.end()); };
    add(movesOf(Op::toggle, "toggle",
                {
                    {S::starting, S::starting, S::starting, S::starting, S::starting},
                    {S::needsPermission, S::needsPermission, S::needsPermission, S::needsPermission,
                     S::needsPermission},
                    {S::paused, S::paused, S::paused, S::paused, S::paused},
                    {S::collapsed, S::revealed, S::collapsed, S::revealedAll, S::revealedAll},
                    {S::revealed, S::collapsed, S::collapsed, S::collapsed, S::collapsed},
                    {S::revealedAll, S::collapsed, S::collapsed, S::collapsed, S::collapsed},
                }));
    add(movesOf(Op::reveal, "reveal",
                {
                    {S::starting, S::starting, S::starting, S::starting, S::starting},
                    {S::needsPermission, S::needsPermission, S::needsPermission, S::needsPermission,
                     S::needsPermission},
                    {S::paused, S::paused, S::paused, S::paused, S::paused},
                    {S::collapsed, S::revealed, S::collapsed, S::revealedAll, S::revealedAll},
                    {S::revealed, S::revealed, S::revealed, S::revealedAll, S::revealedAll},
                    {S::revealedAll, S::revealedAll, S::revealedAll, S::revealedAll, S::revealedAll},
                }));
    add(movesOf(Op::collapse, "collapse",
                {
                    {S::starting, S::starting, S::starting, S::starting, S::starting},
                    {S::needsPermission, S::needsPermission, S::needsPermission, S::needsPermission,
                     S::needsPermission},
                    {S::paused, S::paused, S::paused, S::paused, S::paused},
                    {S::collapsed, S::collapsed, S::collapsed, S::collapsed, S::collapsed},
                    {S::revealed, S::collapsed, S::collapsed, S::collapsed, S::collapsed},
                    {S::revealedAll, S::collapsed, S::collapsed, S::collapsed, S::collapsed},
                }));
    // An open panel while collapsed in panel mode: a plain toggle closes it, a
    // plain reveal keeps it, a collapse closes it, and a move to every item closes it.
    cases.push_back(
        {"toggle_openPanel", Op::toggle, false, S::collapsed, true, true, false, S::collapsed, false});
    cases.push_back(
        {"reveal_openPanel", Op::reveal, false, S::collapsed, true, true, false, S::collapsed, true});
    cases.push_back(
        {"collapse_openPanel", Op::collapse, false, S::collapsed, true, true, false, S::collapsed, false});
    cases.push_back(
        {"toggle_flag_openPanel", Op::toggle, true, S::collapsed, true, true, false, S::revealedAll, false});
    cases.push_back(
        {"reveal_flag_openPanel", Op::reveal, true, S::collapsed, true, true, false, S::revealedAll, false});
    return cases;
}

class Moves : public RevealFixture, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(Moves, FollowTheTables) {
    const MoveCase& param = GetParam();
    Coordinator& c = startIn(param.base, param.panelMode, param.cameraOn);
    if (param.panelOpen) {
        c.setBelowBar(true);
        take();
    }
    switch (param.op) {
    case Op::toggle:
        c.toggle(param.flag);
        break;
    case Op::reveal:
        c.reveal(param.flag);
        break;
    case Op::collapse:
        c.collapse();
        break;
    }
    executor.runUntilIdle();

    EXPECT_EQ(c.baseState(), param.expected);
    EXPECT_EQ(Probe::isBelowBarShown(c), param.panelShown);
    const auto seen = take();
    const bool changed = param.expected != param.base;
    EXPECT_EQ(std::ranges::count_if(seen, [](const std::string& e) { return e.starts_with("state("); }),
              changed ? 1 : 0);
    if (changed) {
        EXPECT_THAT(seen, Contains("state(" + nameOf(param.expected) + ")"));
    }
    // Only a wish while starting (and not under a camera) is remembered.
    const bool remembers = param.op == Op::reveal && param.base == State::starting && !param.cameraOn;
    EXPECT_EQ(Probe::revealAfterStart(c).has_value(), remembers);
    if (remembers) {
        EXPECT_EQ(Probe::revealAfterStart(c), param.flag);
        EXPECT_THAT(seen, ElementsAre("log(info) 起動の点検が済んだら出します"));
    }
}

INSTANTIATE_TEST_SUITE_P(EveryBase, Moves, ::testing::ValuesIn(allMoves()),
                         [](const auto& info) { return info.param.name; });

TEST_F(RevealFixture, APlainToggleInPanelModeOpensAndClosesThePanel) {
    Coordinator& c = startIn(State::collapsed, true);
    c.toggle(false);
    EXPECT_THAT(take(), ElementsAre("log(info) 下の段を出します", "belowBar(true)"));
    c.toggle(false);
    EXPECT_THAT(take(), ElementsAre("log(info) 下の段を閉じます", "belowBar(false)"));
    EXPECT_EQ(c.baseState(), State::collapsed);
}

TEST_F(RevealFixture, ACameraLeavesOnlyTheClosingOfThePanel) {
    Coordinator& c = startIn(State::collapsed, true);
    c.setBelowBar(true);
    capture->change(camera()); // the hub closes the panel itself
    take();
    c.setBelowBar(true);
    take();
    c.collapse();
    EXPECT_THAT(take(), ElementsAre("log(info) 下の段を閉じます", "belowBar(false)"));
    EXPECT_FALSE(Probe::revealAfterStart(c).has_value());
    c.setBelowBar(true);
    take();
    c.toggle(false);
    EXPECT_THAT(take(), ElementsAre("log(info) 下の段を閉じます", "belowBar(false)"));
    EXPECT_EQ(c.effectiveState(), State::privacyOverride);
}

TEST_F(RevealFixture, ACollapseWhileStartingForgetsTheWishToReveal) {
    Coordinator& c = startIn(State::starting);
    c.reveal(true);
    c.collapse();
    answerStartRead(reader->items);
    EXPECT_EQ(c.baseState(), State::collapsed);
}

TEST_F(RevealFixture, NothingMovesAfterShutdown) {
    Coordinator& c = startIn(State::collapsed, true);
    c.shutdown();
    take();
    c.toggle(false);
    c.reveal(true);
    c.collapse();
    // Nor does a dwell over the control item.
    c.hoverRevealEnabled = true;
    c.updateHoverWatch();
    pointAt(HoverZone::control);
    executor.advanceBy(1s);
    c.setBelowBar(true);
    EXPECT_EQ(c.baseState(), State::collapsed);
    EXPECT_FALSE(Probe::isBelowBarShown(c));
    EXPECT_THAT(take(), IsEmpty());
}

// -- Auto-collapse -----------------------------------------------------------------

TEST_F(RevealFixture, ARevealedBarCollapsesAfterExactlyTwentyTicksAway) {
    pointer->samples.next = away();
    Coordinator& c = startIn(State::revealed);
    executor.advanceBy(9500ms);
    EXPECT_EQ(c.baseState(), State::revealed);
    EXPECT_EQ(pointer->log.count("sample"), 19U);
    EXPECT_THAT(logLines(), IsEmpty());

    executor.advanceBy(500ms);
    EXPECT_EQ(c.baseState(), State::collapsed);
    EXPECT_EQ(pointer->log.count("sample"), 20U);
    EXPECT_THAT(logLines(), ElementsAre("log(info) マウスが離れて 10 秒。自動でしまいます",
                                        "log(default) 状態 revealed → collapsed"));
    EXPECT_THAT(sleeps, ::testing::Each(500ms));
    EXPECT_FALSE(Probe::collapseTask(c));

    // The loop ended with the collapse.
    executor.advanceBy(10s);
    EXPECT_EQ(pointer->log.count("sample"), 20U);
}

TEST_F(RevealFixture, ThePointerInTheBarOrAnOpenMenuStartsTheCountAgain) {
    // 19 ticks away, one in the bar, 19 away, one over an open menu, then away.
    pointer->samples.then(away(), 19);
    pointer->samples.then({inBar()});
    pointer->samples.then(away(), 19);
    pointer->samples.then({menuOpen()});
    pointer->samples.next = away();
    Coordinator& c = startIn(State::revealed);
    executor.advanceBy(29500ms); // 59 ticks: the last count is at 19
    EXPECT_EQ(c.baseState(), State::revealed);
    executor.advanceBy(500ms);
    EXPECT_EQ(c.baseState(), State::collapsed);
}

TEST_F(RevealFixture, AlternatingSamplesNeverCollapse) {
    for (int i = 0; i < 200; ++i) {
        pointer->samples.then({away(), i % 2 == 0 ? inBar() : menuOpen()});
    }
    Coordinator& c = startIn(State::revealedAll);
    executor.advanceBy(200s);
    EXPECT_EQ(c.baseState(), State::revealedAll);
    EXPECT_EQ(pointer->log.count("sample"), 400U);
}

TEST_F(RevealFixture, RevealingEverythingKeepsTheCount) {
    pointer->samples.next = away();
    Coordinator& c = startIn(State::revealed);
    executor.advanceBy(6s);
    const int generation = Probe::collapseGeneration(c);
    c.reveal(true);
    EXPECT_EQ(c.baseState(), State::revealedAll);
    EXPECT_EQ(Probe::collapseGeneration(c), generation);
    executor.advanceBy(4s);
    EXPECT_EQ(c.baseState(), State::collapsed);
}

TEST_F(RevealFixture, TheCountStopsWhenTheBarCollapsesOrACameraStarts) {
    pointer->samples.next = away();
    Coordinator& c = startIn(State::revealed);
    executor.advanceBy(5s);
    c.toggle(false);
    EXPECT_FALSE(Probe::collapseTask(c));
    const auto samples = pointer->log.count("sample");
    executor.advanceBy(20s);
    EXPECT_EQ(pointer->log.count("sample"), samples);

    // A fresh reveal counts from zero; a camera stops the count and keeps the state.
    c.toggle(false);
    executor.advanceBy(9s);
    capture->change(camera());
    executor.advanceBy(20s);
    EXPECT_EQ(c.baseState(), State::revealed);
    EXPECT_EQ(c.effectiveState(), State::privacyOverride);
}

TEST_F(RevealFixture, NoPointerOrNoLimitMeansNoAutoCollapse) {
    for (bool withPointer : {false, true}) {
        SCOPED_TRACE(withPointer ? "no limit" : "no pointer");
        coordinator.reset();
        timings.autoCollapseAfter = withPointer ? std::nullopt : std::optional<concurrency::Duration>(10s);
        auto bare = services();
        if (!withPointer) {
            bare.pointer = nullptr;
        }
        coordinator = Coordinator::create(bare, timings, clocks());
        ASSERT_NE(coordinator, nullptr);
        givenRevealed();
        executor.advanceBy(60s);
        EXPECT_EQ(coordinator->baseState(), State::revealed);
        EXPECT_FALSE(Probe::collapseTask(*coordinator));
    }
}

TEST_F(RevealFixture, LoopStepsOfNoTimeAreRefused) {
    for (auto* step : {&timings.autoCollapseTick, &timings.hoverTick, &timings.hoverIdleTick}) {
        const auto kept = *step;
        *step = concurrency::Duration::zero();
        EXPECT_EQ(Coordinator::create(services(), timings, clocks()), nullptr);
        *step = kept;
    }
    EXPECT_NE(Coordinator::create(services(), timings, clocks()), nullptr);
}

// -- Hover reveal ------------------------------------------------------------------

TEST_F(RevealFixture, ADwellOfAThirdOfASecondOverTheControlItemReveals) {
    timings.autoCollapseAfter = std::nullopt; // so that the last sleeps are the hover loop's
    Coordinator& c = hoverReady();
    const auto restFrom = executor.now() + 150ms; // the next sample sees the control item
    pointAt(HoverZone::control);
    executor.advanceTo(restFrom + 299ms);
    EXPECT_EQ(c.baseState(), State::collapsed);
    executor.advanceTo(restFrom + 300ms);
    EXPECT_EQ(c.baseState(), State::revealed);
    EXPECT_THAT(logLines(), ElementsAre("log(info) マウスを乗せたので出します",
                                        "log(default) 状態 collapsed → revealed"));
    // No probe of the bar for the control item, and fast ticks while over it.
    EXPECT_EQ(spaceChecks(), 0U);
    EXPECT_FALSE(Probe::hoverTask(c));
    EXPECT_THAT(std::vector(sleeps.end() - 6, sleeps.end()), ::testing::Each(50ms));
}

TEST_F(RevealFixture, ThePointerAlreadyRestingWhenTheWatchBeginsNeverReveals) {
    Coordinator& c = start();
    c.hoverRevealEnabled = true;
    pointAt(HoverZone::control);
    givenCollapsed();
    executor.advanceBy(5s);
    EXPECT_EQ(c.baseState(), State::collapsed);
}

TEST_F(RevealFixture, TheRightHandBandRevealsOnlyOnceTheCheckFindsItEmpty) {
    Coordinator& c = hoverReady();
    hover->spaceChecks.hold();
    pointAt(HoverZone::rightSpace, {1200, 1110});
    executor.advanceBy(2s);
    EXPECT_EQ(c.baseState(), State::collapsed);
    EXPECT_THAT(hover->log.calls(), Contains("checkEmptySpace(1200, 1110)"));
    EXPECT_EQ(spaceChecks(), 1U);

    ASSERT_TRUE(hover->spaceChecks.release({true, ""}));
    executor.runUntilIdle();
    EXPECT_EQ(c.baseState(), State::revealed);
}

TEST_F(RevealFixture, ARestingPointerOverAnOccupiedSpotIsProbedOnceUntilItMovesMoreThanEightPoints) {
    Coordinator& c = hoverReady();
    hover->space = {false, "AXMenuBarItem・AXMenuBar・AXMenuBar"};
    pointAt(HoverZone::rightSpace, {1200, 1110});
    executor.advanceBy(5s);
    EXPECT_EQ(spaceChecks(), 1U);
    EXPECT_THAT(logLines(),
                ElementsAre("log(debug) 右の帯は空きではありません（AXMenuBarItem・AXMenuBar・AXMenuBar）"));

    pointAt(HoverZone::rightSpace, {1206, 1105}); // 7.8 points away
    executor.advanceBy(5s);
    EXPECT_EQ(spaceChecks(), 1U);

    pointAt(HoverZone::rightSpace, {1200, 1119}); // 9 points from the probed spot
    executor.advanceBy(5s);
    EXPECT_EQ(spaceChecks(), 2U);
    EXPECT_EQ(logLines().size(), 2U);
    EXPECT_EQ(c.baseState(), State::collapsed);

    // The band cleared up: the next probe (after the pointer moved on) reveals.
    hover->space = {true, ""};
    pointAt(HoverZone::rightSpace, {1300, 1110});
    executor.advanceBy(1s);
    EXPECT_EQ(c.baseState(), State::revealed);
}

TEST_F(RevealFixture, AMenuThatOpensDuringTheCheckSpendsTheDwell) {
    Coordinator& c = hoverReady();
    hover->spaceChecks.hold();
    pointAt(HoverZone::rightSpace);
    executor.advanceBy(1s);
    ASSERT_EQ(hover->spaceChecks.waitingCount(), 1U);
    hover->menuOpen = true;
    hover->spaceChecks.release({true, ""});
    executor.runUntilIdle();
    hover->menuOpen = false;
    executor.advanceBy(5s);
    EXPECT_EQ(c.baseState(), State::collapsed);
    EXPECT_EQ(spaceChecks(), 1U);

    // Only leaving the zone and coming back gives another chance.
    pointAt(HoverZone::away);
    executor.advanceBy(1s);
    pointAt(HoverZone::rightSpace);
    executor.advanceBy(1s);
    EXPECT_EQ(spaceChecks(), 2U);
    EXPECT_EQ(c.baseState(), State::revealed);
}

TEST_F(RevealFixture, APointerThatMovedOnDuringTheCheckDwellsAgain) {
    Coordinator& c = hoverReady();
    hover->spaceChecks.hold();
    pointAt(HoverZone::rightSpace, {1200, 1110});
    executor.advanceBy(1s);
    ASSERT_EQ(hover->spaceChecks.waitingCount(), 1U);
    pointAt(HoverZone::rightSpace, {1250, 1110});
    hover->spaceChecks.release({true, ""});
    executor.runUntilIdle();
    EXPECT_EQ(c.baseState(), State::collapsed);

    // The dwell starts again at the new spot, which is probed afresh.
    executor.advanceBy(299ms);
    EXPECT_EQ(spaceChecks(), 1U);
    executor.advanceBy(100ms);
    EXPECT_THAT(hover->log.calls(), Contains("checkEmptySpace(1250, 1110)"));
    EXPECT_EQ(c.baseState(), State::revealed);
}

TEST_F(RevealFixture, AnOpenMenuOrAPressedButtonRevealsNothing) {
    Coordinator& c = hoverReady();
    hover->menuOpen = true;
    pointAt(HoverZone::control);
    executor.advanceBy(2s);
    EXPECT_EQ(c.baseState(), State::collapsed);

    hover->menuOpen = false;
    pointAt(HoverZone::away);
    executor.advanceBy(1s);
    hover->samples.next = {.zone = HoverZone::control, .buttonsPressed = true, .location = {}};
    executor.advanceBy(2s);
    EXPECT_EQ(c.baseState(), State::collapsed);
}

TEST_F(RevealFixture, ACheckAnsweredAfterTheStateMovedOnChangesNothing) {
    Coordinator& c = hoverReady();
    hover->spaceChecks.hold();
    pointAt(HoverZone::rightSpace);
    executor.advanceBy(1s);
    ASSERT_EQ(hover->spaceChecks.waitingCount(), 1U);
    c.pause();
    take();
    hover->spaceChecks.release({true, ""});
    executor.runUntilIdle();
    EXPECT_EQ(c.baseState(), State::paused);
    EXPECT_THAT(take(), IsEmpty());
}

TEST_F(RevealFixture, InPanelModeHoverOpensThePanelAndWaitsWhileItIsOpen) {
    Coordinator& c = hoverReady(true);
    pointAt(HoverZone::control);
    executor.advanceBy(1s);
    EXPECT_EQ(c.baseState(), State::collapsed);
    EXPECT_TRUE(Probe::isBelowBarShown(c));
    EXPECT_THAT(take(), ElementsAre("log(info) マウスを乗せたので、下の段を出します",
                                    "log(info) 下の段を出します", "belowBar(true)"));
    EXPECT_FALSE(Probe::hoverTask(c));
    hover->log.clearCalls();
    executor.advanceBy(5s);
    EXPECT_EQ(hover->log.callCount(), 0U);

    // The user closes it: the watch starts again, and a fresh rest opens it again.
    c.belowBarDidClose();
    EXPECT_THAT(take(), ElementsAre("log(info) 下の段が閉じました"));
    EXPECT_TRUE(Probe::hoverTask(c));
    pointAt(HoverZone::away);
    executor.advanceBy(1s);
    pointAt(HoverZone::control);
    executor.advanceBy(1s);
    EXPECT_TRUE(Probe::isBelowBarShown(c));
}

TEST_F(RevealFixture, TheHoverWatchRunsOnlyWhileCollapsedWithTheSwitchOnAndASensor) {
    Coordinator& c = givenCollapsed();
    EXPECT_FALSE(Probe::hoverTask(c)); // the switch is off
    c.hoverRevealEnabled = true;
    c.updateHoverWatch();
    EXPECT_TRUE(Probe::hoverTask(c));
    const int generation = Probe::hoverGeneration(c);
    c.updateHoverWatch(); // a running watch continues
    EXPECT_EQ(Probe::hoverGeneration(c), generation);

    for (State state :
         {State::revealed, State::revealedAll, State::paused, State::needsPermission, State::starting}) {
        givenState(state);
        EXPECT_FALSE(Probe::hoverTask(c)) << core::rawValue(state);
        givenCollapsed();
        EXPECT_TRUE(Probe::hoverTask(c)) << core::rawValue(state);
    }
    capture->change(camera());
    EXPECT_FALSE(Probe::hoverTask(c));
    capture->change({});
    EXPECT_TRUE(Probe::hoverTask(c));
    c.hoverRevealEnabled = false;
    c.updateHoverWatch();
    EXPECT_FALSE(Probe::hoverTask(c));
    hover->log.clearCalls();
    executor.advanceBy(5s);
    EXPECT_EQ(hover->log.callCount(), 0U);
}

// -- The below-bar panel closed from outside ------------------------------------------

struct ClosedOutsideCase {
    const char* name;
    Op op;
    bool hover;
    bool panelMode;
    std::vector<std::string> after; // what the move does once the panel is known closed
};
void PrintTo(const ClosedOutsideCase& c, std::ostream* os) {
    *os << c.name;
}

class ClosedOutside : public RevealFixture, public ::testing::WithParamInterface<ClosedOutsideCase> {};

TEST_P(ClosedOutside, IsNoticedByTheNextMoveAndPutRightWithoutClosingItAgain) {
    const auto& param = GetParam();
    Coordinator& c = startIn(State::collapsed, param.panelMode);
    c.setBelowBar(true);
    executor.runUntilIdle();
    take();
    belowBarVisible = false; // the user closed the window behind the coordinator's back

    if (param.hover) {
        Probe::hoverReveal(c);
    } else if (param.op == Op::toggle) {
        c.toggle(false);
    } else if (param.op == Op::reveal) {
        c.reveal(false);
    } else {
        c.collapse();
    }
    auto seen = take();
    std::vector<std::string> expected{"log(default) 下の段の窓が見えていないので、閉じたことにします",
                                      "log(info) 下の段が閉じました"};
    expected.insert(expected.end(), param.after.begin(), param.after.end());
    EXPECT_EQ(seen, expected);
    EXPECT_THAT(seen, Not(Contains("belowBar(false)")));
}

INSTANTIATE_TEST_SUITE_P(
    Moves, ClosedOutside,
    ::testing::Values(ClosedOutsideCase{"toggle",
                                        Op::toggle,
                                        false,
                                        false,
                                        {"log(default) 状態 collapsed → revealed", "state(revealed)"}},
                      ClosedOutsideCase{"toggleInPanelModeOpensItAgain",
                                        Op::toggle,
                                        false,
                                        true,
                                        {"log(info) 下の段を出します", "belowBar(true)"}},
                      ClosedOutsideCase{"reveal",
                                        Op::reveal,
                                        false,
                                        false,
                                        {"log(default) 状態 collapsed → revealed", "state(revealed)"}},
                      ClosedOutsideCase{"collapse", Op::collapse, false, false, {}},
                      ClosedOutsideCase{"hoverReveal",
                                        Op::toggle,
                                        true,
                                        false,
                                        {"log(info) マウスを乗せたので出します",
                                         "log(default) 状態 collapsed → revealed", "state(revealed)"}},
                      ClosedOutsideCase{"hoverRevealInPanelMode",
                                        Op::toggle,
                                        true,
                                        true,
                                        {"log(info) マウスを乗せたので、下の段を出します",
                                         "log(info) 下の段を出します", "belowBar(true)"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RevealFixture, APanelStillOnScreenIsNotClosedBySync) {
    Coordinator& c = startIn(State::collapsed, true);
    c.setBelowBar(true);
    take();
    c.reveal(false);
    EXPECT_TRUE(Probe::isBelowBarShown(c));
    EXPECT_THAT(take(), IsEmpty());
    c.belowBarDidClose();
    c.belowBarDidClose();
    EXPECT_THAT(take(), ElementsAre("log(info) 下の段が閉じました"));
}

TEST_F(RevealFixture, OpeningThePanelAsksForAFreshRead) {
    Coordinator& c = startIn(State::collapsed);
    const auto reads = reader->log.callCount();
    c.setBelowBar(true);
    c.setBelowBar(true);
    EXPECT_THAT(take(), ElementsAre("log(info) 下の段を出します", "belowBar(true)"));
    executor.runUntilIdle();
    EXPECT_EQ(reader->log.callCount(), reads + 1);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
