#include "Support/CoordinatorFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pellacor::testing {
namespace PELLACOR_TEST_FILE {
namespace {

using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

using State = core::MenuBarState;
using PauseReason = coordinator::PauseReason;
using system::HealthProblem;
using system::HealthReport;
using system::UnavailableReason;
using Result = system::ItemReading::Result;

constexpr const char* otherApp = "com.example.weather";
constexpr const char* appleApp = "com.apple.clock";
const std::string ownReadCall = "readItems(app.trayvane.pellacor)";
const std::string foldedReadCall = "readItems(app.trayvane.pellacor, com.apple.MenuBarAgent)";

const std::string foldedLine = "log(default) 操作口は「≪」の後ろに畳まれたままです。止めずに隠したまま、"
                               "操作口が出るのを待ちます";
const std::string hiddenBarLine =
    "log(default) メニューバーが隠れているようです（Apple 以外のアイコンが読めません）。"
    "出るまで待ちます（何も隠しません）";

// A coordinator whose start attempt runs against the fakes (its reads are not
// held). The periodic trust checks and the automatic collapse are off, so that
// `sleeps` holds only the start-up's waits.
class Starting : public CoordinatorFixture {
protected:
    Starting() {
        holdStartRead = false;
        timings.trustCheckInterval = std::nullopt;
        timings.autoCollapseAfter = std::nullopt;
    }

    static core::ItemSnapshot chevronItem() {
        return item(std::string(core::NotchPlanner::chevronOwner), 0, core::Rect(900, 0, 18, 24));
    }
    static HealthReport reportOf(std::vector<HealthProblem> problems) {
        return HealthReport{std::move(problems)};
    }

    // The events that are log lines containing the fragment.
    std::vector<std::string> linesWith(const std::string& fragment) const {
        std::vector<std::string> lines;
        for (const auto& line : logLines()) {
            if (line.find(fragment) != std::string::npos) {
                lines.push_back(line);
            }
        }
        return lines;
    }
    // Virtual times of the reader's calls with this text, from the start.
    std::vector<concurrency::Duration> readTimes(const std::string& call) const {
        return reader->timesOf(call);
    }

    // Starts into the fold rescue: the read lacks the own item, which has a place on screen.
    Coordinator& startFoldRescue() {
        reader->items = {item(otherApp)};
        health->report = reportOf({HealthProblem::ownItemMissing});
        ownItemPlaced = true;
        Coordinator& c = start();
        executor.advanceBy(1s + 2s);
        EXPECT_EQ(c.baseState(), State::collapsed);
        EXPECT_TRUE(Probe::foldRescue(c));
        sleeps.clear();
        return c;
    }
};

// -- The static judgements --------------------------------------------------------

TEST_F(Starting, ReadSummariesCountItemsOwnersAndTheChevron) {
    EXPECT_EQ(Probe::describe(readOf({item(selfID), item(otherApp, 0), item(otherApp, 1), chevronItem()})),
              "4 個・3 アプリ・「≪」あり");
    EXPECT_EQ(Probe::describe(readOf({item(selfID)})), "1 個・1 アプリ・「≪」なし");
    EXPECT_EQ(Probe::describe(readOf({})), "0 個・0 アプリ・「≪」なし");
    EXPECT_EQ(Probe::describe(Result::unavailable(UnavailableReason::noAccessibilityPermission)),
              "使えない（noAccessibilityPermission）");
    EXPECT_EQ(Probe::describe(Result::timeout()), "時間切れ");
}

TEST_F(Starting, OnlyANonEmptyAllAppleReadWithoutTheOwnItemLooksHidden) {
    struct Case {
        const char* name;
        Result read;
        bool hidden;
    };
    const std::vector<Case> cases{
        {"Apple only", readOf({item(appleApp), chevronItem()}), true},
        {"empty", readOf({}), false},
        {"unavailable", Result::unavailable(UnavailableReason::noAccessibilityPermission), false},
        {"timeout", Result::timeout(), false},
        {"Apple and another", readOf({item(appleApp), item(otherApp)}), false},
        {"Apple and the own", readOf({item(appleApp), item(selfID)}), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Probe::menuBarLooksHidden(c.read, selfID), c.hidden);
    }
}

TEST_F(Starting, OnlyPassingProblemsAreWorthRetrying) {
    struct Case {
        std::vector<HealthProblem> problems;
        bool worth;
    };
    const std::vector<Case> cases{
        {{}, false},
        {{HealthProblem::readTimedOut}, true},
        {{HealthProblem::noItems}, true},
        {{HealthProblem::ownItemMissing}, true},
        {{HealthProblem::cannotRead(UnavailableReason::noAccessibilityPermission)}, false},
        {{HealthProblem::hidingComponentMissing, HealthProblem::ownItemMissing}, false},
        {{HealthProblem::notInApplicationsFolder, HealthProblem::readTimedOut}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(system::toString(HealthReport{c.problems}));
        EXPECT_EQ(Probe::isWorthRetrying(HealthReport{c.problems}), c.worth);
    }
}

TEST_F(Starting, AnEmptyHiddenBarDelayListIsRefused) {
    timings.hiddenBarPollDelays.clear();
    EXPECT_EQ(Coordinator::create(services(), timings, clocks()), nullptr);
}

// -- The start task -----------------------------------------------------------------

TEST_F(Starting, GoesFromStartThroughTheReadToAConfirmedRestriction) {
    reader->items = {item(selfID), item(otherApp)};
    reader->allReads.dueAt(concurrency::Instant{} + 250ms, readOf(reader->items));
    Coordinator& c = start();
    EXPECT_EQ(c.baseState(), State::starting);
    executor.advanceBy(250ms);

    EXPECT_EQ(c.baseState(), State::collapsed);
    EXPECT_EQ(health->judged, std::vector{readOf({item(selfID), item(otherApp)})});
    EXPECT_EQ(Probe::items(c).size(), 2U);
    EXPECT_THAT(events,
                ElementsAre("log(default) 起動の読み（1 回目）2 個・2 アプリ・「≪」なし・250 ms",
                            "log(info) 初めて見るアプリを「hidden」に入れました（com.example.weather）",
                            "profile", "items(2)", "trust(true)", "log(default) 状態 starting → collapsed",
                            "state(collapsed)",
                            "log(default) 制限が効きました（許す 1 個・Apple 以外：app.trayvane.pellacor）",
                            "restrictionConfirmed"));
    EXPECT_FALSE(Probe::foldRescue(c));
}

TEST_F(Starting, ATimedOutFirstReadIsRetriedAfterASecond) {
    reader->items = {item(selfID)};
    reader->allReads.immediate(Result::timeout());
    health->reports = {reportOf({HealthProblem::readTimedOut})};
    Coordinator& c = start();
    EXPECT_EQ(c.baseState(), State::starting);
    EXPECT_THAT(logLines(), ElementsAre("log(default) 起動の読み（1 回目）時間切れ・0 ms",
                                        "log(default) 点検をやり直します（[readTimedOut]）"));
    take();

    executor.advanceBy(1s);
    EXPECT_EQ(c.baseState(), State::collapsed);
    EXPECT_THAT(readTimes("readItems"), ElementsAre(0s, 1s));
    const auto lines = logLines();
    ASSERT_GE(lines.size(), 2U);
    EXPECT_EQ(lines[0], "log(default) 起動の読み（2 回目）1 個・1 アプリ・「≪」なし・0 ms");
    EXPECT_EQ(lines[1], "log(default) 状態 starting → collapsed");
}

TEST_F(Starting, ThreeReadsWithoutTheOwnItemPauseAfterTheirWaits) {
    for (std::optional<bool> onBar : {std::optional<bool>(true), std::optional<bool>()}) {
        SCOPED_TRACE(onBar ? "on the bar" : "unknown");
        events.clear();
        sleeps.clear();
        reader = std::make_shared<FakeItemReader>(executor);
        reader->items = {item(otherApp)};
        health->report = reportOf({HealthProblem::ownItemMissing});
        ownItemOnBar = onBar;
        ownItemPlaced = false;
        coordinator.reset();
        Coordinator& c = start();

        executor.advanceBy(1s);
        EXPECT_EQ(c.baseState(), State::starting);
        executor.advanceBy(2s);
        EXPECT_EQ(c.baseState(), State::paused);
        EXPECT_EQ(c.currentPauseReason(), PauseReason::healthProblems({HealthProblem::ownItemMissing}));
        EXPECT_EQ(readTimes("readItems").size(), 3U);
        EXPECT_EQ(readTimes("readItems").back() - readTimes("readItems").front(), 3s);
        EXPECT_THAT(sleeps, ElementsAre(1s, 2s));
        EXPECT_EQ(linesWith("点検をやり直します").size(), 2U);
        EXPECT_THAT(linesWith("起動の読み"),
                    ElementsAre("log(default) 起動の読み（1 回目）1 個・1 アプリ・「≪」なし・0 ms",
                                "log(default) 起動の読み（2 回目）1 個・1 アプリ・「≪」なし・0 ms",
                                "log(default) 起動の読み（3 回目）1 個・1 アプリ・「≪」なし・0 ms"));
        EXPECT_THAT(linesWith("点検の問題"), ElementsAre("log(error) 点検の問題 [ownItemMissing]"));
        EXPECT_FALSE(Probe::foldRescue(c));
        EXPECT_TRUE(Probe::startTask(c).isFinished());
        // The items were taken in all the same.
        EXPECT_EQ(Probe::items(c).size(), 1U);
        c.shutdown();
    }
}

TEST_F(Starting, AWrongFolderWithAMissingOwnItemPausesAtOnceWithBoth) {
    reader->items = {item(otherApp)};
    health->report = reportOf({HealthProblem::notInApplicationsFolder, HealthProblem::ownItemMissing});
    ownItemPlaced = true;
    Coordinator& c = start();
    EXPECT_EQ(c.baseState(), State::paused);
    EXPECT_EQ(c.currentPauseReason(), PauseReason::healthProblems({HealthProblem::notInApplicationsFolder,
                                                                   HealthProblem::ownItemMissing}));
    EXPECT_EQ(reader->log.count("readItems"), 1U);
    EXPECT_THAT(sleeps, IsEmpty());
    EXPECT_FALSE(Probe::foldRescue(c));
    EXPECT_THAT(linesWith("点検"),
                ElementsAre("log(error) 点検の問題 [notInApplicationsFolder, ownItemMissing]"));
}

TEST_F(Starting, AnEmptyReadIsNoItemsAndNotAHiddenBar) {
    health->report = reportOf({HealthProblem::noItems});
    Coordinator& c = start();
    executor.advanceBy(3s);
    EXPECT_EQ(c.baseState(), State::paused);
    EXPECT_EQ(c.currentPauseReason(), PauseReason::healthProblems({HealthProblem::noItems}));
    EXPECT_EQ(reader->log.count("readItems"), 3U);
    EXPECT_EQ(reader->log.count(ownReadCall), 0U);
    EXPECT_THAT(linesWith("メニューバーが隠れて"), IsEmpty());
}

// Each row runs one attempt whose single read ends in the decision.
TEST_F(Starting, TheDecisionTakesTheFirstRowThatApplies) {
    const auto noPermission = HealthProblem::cannotRead(UnavailableReason::noAccessibilityPermission);
    struct Case {
        const char* name;
        std::vector<HealthProblem> problems;
        bool trusted;
        std::optional<bool> onBar;
        State state;
        std::optional<PauseReason> reason;
    };
    const std::vector<Case> cases{
        {"no permission wins over an item off the bar",
         {noPermission},
         true,
         false,
         State::needsPermission,
         {}},
        {"untrusted wins over an item off the bar", {}, false, false, State::needsPermission, {}},
        {"an item off the bar pauses a healthy start",
         {},
         true,
         false,
         State::paused,
         PauseReason::controlRemoved()},
        {"an unknown place on the bar is no finding", {}, true, std::nullopt, State::collapsed, {}},
        {"healthy", {}, true, true, State::collapsed, {}},
        {"another refusal is not retried",
         {HealthProblem::cannotRead(UnavailableReason::hidingComponentMissing)},
         true,
         true,
         State::paused,
         PauseReason::healthProblems({HealthProblem::cannotRead(UnavailableReason::hidingComponentMissing)})},
        {"a missing hiding component",
         {HealthProblem::hidingComponentMissing},
         true,
         true,
         State::paused,
         PauseReason::healthProblems({HealthProblem::hidingComponentMissing})},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        reader = std::make_shared<FakeItemReader>(executor);
        reader->items = {item(selfID)};
        health->report = reportOf(row.problems);
        trust->trusted = row.trusted;
        ownItemOnBar = row.onBar;
        coordinator.reset();
        events.clear();
        Coordinator& c = start();
        EXPECT_EQ(c.baseState(), row.state);
        EXPECT_EQ(c.currentPauseReason(), row.reason);
        EXPECT_EQ(reader->log.count("readItems"), 1U);
        EXPECT_FALSE(Probe::foldRescue(c));
        if (row.reason == PauseReason::controlRemoved()) {
            EXPECT_THAT(
                linesWith("操作口がメニューバーにありません"),
                ElementsAre("log(error) 操作口がメニューバーにありません（システム設定の「メニューバーに"
                            "追加することを許可」が切かもしれません）。何も隠しません"));
        }
        c.shutdown();
    }
}

TEST_F(Starting, AStaleAttemptLogsItsReadAndDecidesNothing) {
    reader->allReads.hold();
    Coordinator& c = start();
    c.pause();
    executor.runUntilIdle();
    take();
    ASSERT_TRUE(reader->allReads.release(readOf({item(selfID)})));
    executor.runUntilIdle();
    EXPECT_EQ(c.baseState(), State::paused);
    EXPECT_EQ(health->log.callCount(), 0U);
    EXPECT_THAT(events, ElementsAre("log(default) 起動の読み（1 回目）1 個・1 アプリ・「≪」なし・0 ms"));
}

TEST_F(Starting, ShutdownDuringTheRetryWaitEndsTheAttempt) {
    health->report = reportOf({HealthProblem::readTimedOut});
    Coordinator& c = start();
    c.shutdown();
    executor.advanceBy(10s);
    EXPECT_EQ(reader->log.count("readItems"), 1U);
    EXPECT_EQ(health->log.callCount(), 1U);
    EXPECT_EQ(c.baseState(), State::starting);
}

// -- The hidden-bar wait ------------------------------------------------------------

TEST_F(Starting, AnAppleOnlyReadWaitsForTheBarWithoutLimitAndRestartsTheCount) {
    reader->allReads.immediate(Result::timeout());
    reader->items = {item(appleApp)};
    health->reports = {reportOf({HealthProblem::readTimedOut})};
    health->report = reportOf({HealthProblem::ownItemMissing});
    Coordinator& c = start();
    executor.advanceBy(1s);
    EXPECT_THAT(linesWith("起動の読み"),
                ElementsAre("log(default) 起動の読み（1 回目）時間切れ・0 ms",
                            "log(default) 起動の読み（2 回目）1 個・1 アプリ・「≪」なし・0 ms"));
    EXPECT_THAT(linesWith("メニューバーが隠れて"), ElementsAre(hiddenBarLine));

    // Polls of the own item only: 1, 1, 2, 2, 3 s, then 3 s over and over.
    executor.advanceBy(60s);
    EXPECT_EQ(c.baseState(), State::starting);
    EXPECT_EQ(reader->log.count("readItems"), 2U);
    const auto polls = readTimes(ownReadCall);
    ASSERT_GE(polls.size(), 8U);
    std::vector<concurrency::Duration> gaps;
    for (std::size_t i = 1; i < polls.size(); ++i) {
        gaps.push_back(polls[i] - polls[i - 1]);
    }
    EXPECT_EQ(polls[0], 2s);
    EXPECT_THAT(std::vector(gaps.begin(), gaps.begin() + 7), ElementsAre(1s, 2s, 2s, 3s, 3s, 3s, 3s));
    EXPECT_EQ(visibility->currentPlan(), core::VisibilityPlan::noRestriction());

    // The bar shows: the attempt reads again, counting from the first.
    reader->items = {item(appleApp), item(selfID)};
    health->report = {};
    take();
    executor.advanceBy(3s);
    EXPECT_EQ(c.baseState(), State::collapsed);
    const auto lines = logLines();
    ASSERT_GE(lines.size(), 2U);
    EXPECT_EQ(lines[0], "log(default) メニューバーが出て、操作口が読めました。点検を続けます");
    EXPECT_EQ(lines[1], "log(default) 起動の読み（1 回目）2 個・2 アプリ・「≪」なし・0 ms");
}

TEST_F(Starting, AnUnavailablePollHandsTheJudgementBackToTheAttempt) {
    reader->items = {item(appleApp)};
    reader->ownerReads(selfID).immediate(Result::unavailable(UnavailableReason::noAccessibilityPermission));
    reader->allReads.immediate(readOf({item(appleApp)}));
    reader->allReads.immediate(Result::unavailable(UnavailableReason::noAccessibilityPermission));
    health->reports = {{},
                       reportOf({HealthProblem::cannotRead(UnavailableReason::noAccessibilityPermission)})};
    Coordinator& c = start();
    executor.advanceBy(1s);
    EXPECT_EQ(c.baseState(), State::needsPermission);
    EXPECT_EQ(reader->log.count("readItems"), 2U);
    EXPECT_THAT(linesWith("起動の読み（1 回目）"),
                Contains("log(default) 起動の読み（1 回目）使えない（noAccessibilityPermission）・0 ms"));
}

TEST_F(Starting, APauseDuringTheHiddenBarWaitEndsItSilently) {
    reader->items = {item(appleApp)};
    Coordinator& c = start();
    c.pause();
    executor.runUntilIdle();
    take();
    executor.advanceBy(30s);
    EXPECT_EQ(reader->log.count(ownReadCall), 0U);
    EXPECT_THAT(events, IsEmpty());

    // A poll in flight when the pause comes is dropped with it.
    c.resume();
    reader->ownerReads(selfID).hold();
    executor.advanceBy(1s);
    ASSERT_EQ(reader->ownerReads(selfID).waitingCount(), 1U);
    c.pause();
    executor.runUntilIdle();
    take();
    reader->items = {item(selfID)};
    reader->ownerReads(selfID).release(readOf({item(selfID)}));
    executor.advanceBy(30s);
    EXPECT_EQ(c.baseState(), State::paused);
    EXPECT_EQ(reader->log.count("readItems"), 2U);
    EXPECT_THAT(events, IsEmpty());
}

// -- The fold rescue ----------------------------------------------------------------

TEST_F(Starting, AMissingButPlacedOwnItemCollapsesAndEndsTheRescueWhenItAppears) {
    Coordinator& c = startFoldRescue();
    EXPECT_FALSE(Probe::startTask(c).isFinished());
    EXPECT_THAT(
        linesWith("操作口"),
        ElementsAre("log(default) 操作口が一覧にありません（「≪」の後ろに畳まれたかもしれません）。"
                    "隠して空きを作り、操作口が出るかを見ます",
                    "log(default) 操作口が畳まれているので、下の段が切でも、ノッチ対策で「表示」のアプリを"
                    "一時的に隠して空きを作ります"));
    take();

    reader->ownerReads(selfID).immediate(readOf({}));
    reader->ownerReads(selfID).immediate(readOf({item(selfID)}));
    executor.advanceBy(1s + 2s);
    EXPECT_THAT(readTimes(ownReadCall), ElementsAre(4s, 6s));
    EXPECT_THAT(linesWith("操作口"), ElementsAre("log(default) 隠して空きができ、操作口が出ました"));
    EXPECT_TRUE(Probe::startTask(c).isFinished());
    // Cleared only by the next attempt.
    EXPECT_TRUE(Probe::foldRescue(c));
    EXPECT_EQ(c.baseState(), State::collapsed);
    c.pause();
    c.resume();
    EXPECT_FALSE(Probe::foldRescue(c));
}

TEST_F(Starting, RevealsAndACameraDoNotUseUpTheFirstDelays) {
    Coordinator& c = startFoldRescue();
    for (const char* cause : {"revealed", "revealedAll", "camera"}) {
        SCOPED_TRACE(cause);
        if (std::string(cause) == "camera") {
            capture->change({.camera = true, .microphone = false});
        } else {
            givenRevealed(std::string(cause) == "revealedAll");
        }
        executor.advanceBy(10s);
        EXPECT_EQ(reader->log.count(ownReadCall), 0U);
        if (std::string(cause) == "camera") {
            capture->change({});
        } else {
            givenCollapsed();
        }
    }
    EXPECT_TRUE(std::ranges::all_of(sleeps, [](auto d) { return d == 1s; }));
    sleeps.clear();
    // The chevron keeps the second phase waiting.
    reader->items = {item(otherApp), chevronItem()};
    executor.advanceBy(1s + 2s + 3s);
    EXPECT_EQ(reader->log.count(ownReadCall), 3U);
    EXPECT_EQ(reader->log.count(foldedReadCall), 1U);
    EXPECT_THAT(sleeps, ElementsAre(2s, 3s, 2s));
    EXPECT_EQ(c.baseState(), State::collapsed);
}

TEST_F(Starting, NotchChangesExtendTheFirstPhaseEightTimesAtMost) {
    // Only the test's own notch checks, of a shown application that runs.
    timings.notchTick = std::nullopt;
    timings.profile = makeProfile({{core::AppKey(otherApp), core::Section::shown}});
    apps->running.insert(otherApp);
    Coordinator& c = startFoldRescue();
    for (int i = 0; i < 9; ++i) {
        reader->ownerReads(selfID).hold();
        executor.advanceBy(1s);
        ASSERT_EQ(reader->ownerReads(selfID).waitingCount(), 1U) << i;
        // While the rescue's read is on its way, the notch handling changes what it hides: past its
        // hold after the last change, a crowded bar overflows the application, a plain screen brings
        // it back.
        executor.advanceBy(3s);
        const int changes = Probe::notchChangeCount(c);
        if (i % 2 == 0) {
            givenOverflow(otherApp);
        } else {
            screens->attached = {{core::Rect(0, 0, 1440, 900), std::nullopt}};
            concurrency::spawn(executor, c.checkNotch());
            executor.runUntilIdle();
        }
        ASSERT_EQ(Probe::notchChangeCount(c), changes + 1) << i;
        reader->ownerReads(selfID).release(readOf({}));
        executor.runUntilIdle();
    }
    EXPECT_EQ(linesWith("ノッチ対策が空きを作っている途中です").size(), 8U);
    EXPECT_THAT(linesWith("ノッチ対策が空き"), Contains("log(default) ノッチ対策が空きを作っている途中です。"
                                                        "操作口が出るのを待ち続けます"));
    // Eight waits of the first delay again, then the second delay.
    std::vector<concurrency::Duration> expected(8, 1s);
    expected.push_back(2s);
    EXPECT_EQ(sleeps, expected);
}

TEST_F(Starting, TheFoldedMessageIsLoggedOnceAndAVanishedChevronPauses) {
    Coordinator& c = startFoldRescue();
    reader->items = {item(otherApp), chevronItem()};
    executor.advanceBy(1s + 2s + 3s);
    executor.advanceBy(120s);
    EXPECT_EQ(c.baseState(), State::collapsed);
    EXPECT_GE(reader->log.count(foldedReadCall), 60U);
    EXPECT_THAT(linesWith("畳まれたまま"), ElementsAre(foldedLine));
    EXPECT_TRUE(Probe::foldRescue(c));

    reader->items = {item(otherApp)};
    take();
    executor.advanceBy(2s);
    EXPECT_EQ(c.baseState(), State::paused);
    EXPECT_EQ(c.currentPauseReason(), PauseReason::healthProblems({HealthProblem::ownItemMissing}));
    EXPECT_FALSE(Probe::foldRescue(c));
    EXPECT_THAT(linesWith("操作口"), ElementsAre("log(error) 隠しても操作口が出ません。一時停止します"));
    const auto polls = reader->log.count(foldedReadCall);
    executor.advanceBy(10s);
    EXPECT_EQ(reader->log.count(foldedReadCall), polls);
}

TEST_F(Starting, TheSecondPhaseFindsTheFoldedItemAndWaitsOutFailedReads) {
    Coordinator& c = startFoldRescue();
    auto& folded =
        reader->ownerReads(std::set<std::string>{selfID, std::string(core::NotchPlanner::chevronOwner)});
    folded.immediate(Result::timeout());
    folded.immediate(readOf({item(selfID)}));
    take();
    executor.advanceBy(1s + 2s + 3s);
    EXPECT_EQ(reader->log.count(foldedReadCall), 1U);
    executor.advanceBy(2s);
    EXPECT_EQ(reader->log.count(foldedReadCall), 2U);
    EXPECT_EQ(c.baseState(), State::collapsed);
    EXPECT_THAT(linesWith("操作口"), ElementsAre("log(default) 畳まれていた操作口が出ました"));
    EXPECT_TRUE(Probe::startTask(c).isFinished());
}

TEST_F(Starting, APauseEndsTheRescueAtItsNextCheck) {
    Coordinator& c = startFoldRescue();
    c.pause();
    executor.advanceBy(30s);
    EXPECT_EQ(reader->log.count(ownReadCall), 0U);
    EXPECT_EQ(reader->log.count(foldedReadCall), 0U);
    EXPECT_THAT(linesWith("操作口"), Not(Contains(::testing::HasSubstr("一時停止"))));
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
