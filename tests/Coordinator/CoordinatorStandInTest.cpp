#include "MenuBarCore/Planning/OrderPlanner.h"
#include "Support/CoordinatorFixture.h"
#include "Support/PressPrinters.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ostream>

namespace pellacor::testing {
namespace PELLACOR_TEST_FILE {
namespace {

using namespace std::chrono_literals;
using concurrency::Duration;
using coordinator::OrderOutcome;
using core::ItemSnapshot;
using core::LayoutTable;
using system::PressOutcome;
using system::UnavailableReason;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Read = system::ItemReading::Result;
using Table = system::SystemResult<LayoutTable>;

constexpr const char* agent = "com.apple.MenuBarAgent";

// The real user switcher, 28 points wide unless said otherwise.
ItemSnapshot realSwitcher(double width = 28) {
    return ItemSnapshot(agent, 312, "com.apple.menuextra.user", std::nullopt, std::nullopt, 0,
                        core::Rect(700, 0, width, 24));
}
// Another item of the menu-bar agent, too wide to be its chevron.
ItemSnapshot agentItem() {
    return ItemSnapshot(agent, 312, std::nullopt, std::nullopt, std::nullopt, 0, core::Rect(660, 0, 30, 24));
}
// The agent's overflow chevron: its last item, 16 points wide.
ItemSnapshot chevron() {
    return ItemSnapshot(agent, 312, std::nullopt, std::nullopt, std::nullopt, 5, core::Rect(640, 0, 16, 24));
}
ItemSnapshot control() {
    return ItemSnapshot("app.trayvane.pellacor", 100, "trv-control", std::nullopt, std::nullopt, 0,
                        core::Rect(500, 0, 28, 24));
}

class StandIn : public CollapsedCoordinatorFixture {
protected:
    StandIn() {
        timings.trustCheckInterval = std::nullopt;
        timings.profile = makeProfile(
            {{core::AppKey(shown), core::Section::shown}, {core::AppKey(hidden), core::Section::hidden}});
        reorderer->table = unlisted();
    }

    static std::string keyOf(const std::string& bundleID) { return "status:" + bundleID + "::Item-0"; }
    static std::string controlKey() { return keyOf(selfID); }
    static std::string standInKey() { return core::OrderPlanner::followerKey(selfID, "UserSwitcherStandIn"); }
    // Left to right: the hidden application, the control item, the shown one.
    static LayoutTable unlisted() { return {{controlKey(), 100}, {keyOf(shown), 50}, {keyOf(hidden), 150}}; }
    // The table once the system has listed the new stand-in, far from the control item.
    static LayoutTable listed() {
        LayoutTable table = unlisted();
        table[standInKey()] = 10;
        return table;
    }

    // Collapsed, the stand-in switched on; what the collapse did to the table forgotten.
    Coordinator& enabled() {
        build().userSwitcherStandInEnabled = true;
        Coordinator& c = collapsed();
        reorderer->log.clearCalls();
        reorderer->written.clear();
        reorderer->readTimes.clear();
        reorderer->writeTimes.clear();
        return c;
    }
    // The stand-in shown now, its placement started; the time it started.
    Duration shownNow(Coordinator& c) {
        const Duration startedAt = executor.now().time_since_epoch();
        c.restoreUserSwitcherAnswer(true);
        EXPECT_TRUE(Probe::isUserSwitcherStandInShown(c));
        return startedAt;
    }
    std::optional<OrderOutcome> placement(Coordinator& c) {
        executor.advanceBy(20s);
        const auto& task = Probe::standInPlacement(c);
        EXPECT_TRUE(task.isFinished());
        return task.result();
    }
    // The "app" lines about the stand-in's icon among the events, taken.
    std::vector<std::string> standInLines() {
        std::vector<std::string> lines;
        for (const auto& event : take()) {
            if (event.find("代わりのアイコン") != std::string::npos) {
                lines.push_back(event);
            }
        }
        return lines;
    }

    // The real user switcher learnt out of reach, as a read of the lifted bar
    // that shows the chevron without it teaches; then collapsed again.
    void learnOutOfReach(Coordinator& c) {
        c.pause();
        executor.advanceBy(3s); // a read now sees the bar without restriction
        reader->items = {control(), chevron()};
        c.refreshItems();
        executor.runUntilIdle();
        EXPECT_TRUE(Probe::userSwitcherUnreachable(c));
        reader->items = {item(selfID)};
        givenCollapsed();
    }

    template <typename T> concurrency::TaskHandle<T> spawn(concurrency::Task<T> task) {
        auto handle = concurrency::spawn(executor, std::move(task));
        executor.runUntilIdle();
        return handle;
    }
};

// -- When the stand-in shows ------------------------------------------------------

TEST_F(StandIn, AnAnswerRestoredFromThePreviousRunShowsItAndStartsItsPlacement) {
    Coordinator& c = enabled();
    EXPECT_FALSE(Probe::isUserSwitcherStandInShown(c)) << "nothing is known of the real one yet";
    EXPECT_FALSE(Probe::standInPlacement(c));
    take();

    c.restoreUserSwitcherAnswer(true);
    EXPECT_THAT(take(),
                ElementsAre("log(info) 利用者の切り替えは、前の起動で決めた答え（出る設定）から始めます",
                            "log(info) 利用者の切り替えの代わりのアイコンを出します", "standIn(true)"));
    EXPECT_TRUE(Probe::standInPlacement(c));

    // Once known, the remembered answer is not taken again.
    c.restoreUserSwitcherAnswer(false);
    EXPECT_EQ(Probe::realUserSwitcherInBar(c), true);
    EXPECT_THAT(take(), IsEmpty());
}

TEST_F(StandIn, ARestoredAnswerIsTakenOnlyWhenThereIsOneAndNothingIsKnown) {
    Coordinator& c = enabled();
    take();
    c.restoreUserSwitcherAnswer(std::nullopt);
    EXPECT_EQ(Probe::realUserSwitcherInBar(c), std::nullopt);
    c.restoreUserSwitcherAnswer(false);
    EXPECT_THAT(take(),
                ElementsAre("log(info) 利用者の切り替えは、前の起動で決めた答え（出ない設定）から始めます"));
    EXPECT_FALSE(Probe::isUserSwitcherStandInShown(c));

    coordinator.reset();
    Coordinator& stopped = enabled();
    stopped.shutdown();
    take();
    stopped.restoreUserSwitcherAnswer(true);
    EXPECT_EQ(Probe::realUserSwitcherInBar(stopped), std::nullopt);
    EXPECT_THAT(take(), IsEmpty());
}

TEST_F(StandIn, ItShowsOnlyWhileCollapsedOrRevealedWithTheSwitchOn) {
    Coordinator& c = enabled();
    shownNow(c);
    take();
    const std::vector<std::string> shows{"log(info) 利用者の切り替えの代わりのアイコンを出します",
                                         "standIn(true)"};
    const std::vector<std::string> hides{"log(info) 利用者の切り替えの代わりのアイコンを消します",
                                         "standIn(false)"};
    struct Step {
        const char* name;
        std::function<void()> act;
        std::vector<std::string> told;
    };
    const Step steps[] = {
        {"revealed", [&] { c.reveal(false); }, {}},
        {"revealedAll", [&] { c.reveal(true); }, hides},
        {"collapsed", [&] { c.collapse(); }, shows},
        {"a camera in use", [&] { capture->change({.camera = true, .microphone = false}); }, hides},
        {"the camera off", [&] { capture->change({}); }, shows},
        {"paused", [&] { c.pause(); }, hides},
        {"collapsed again", [&] { givenCollapsed(); }, shows},
        {"the switch off",
         [&] {
             c.userSwitcherStandInEnabled = false;
             c.updateStandIn();
         },
         hides},
        {"the switch on",
         [&] {
             c.userSwitcherStandInEnabled = true;
             c.updateStandIn();
         },
         shows},
        {"shut down", [&] { c.shutdown(); }, hides},
        {"after shutdown", [&] { c.updateStandIn(); }, {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        executor.runUntilIdle();
        std::vector<std::string> told;
        for (const auto& event : take()) {
            if (event.starts_with("standIn(") || event.ends_with("アイコンを出します") ||
                event.ends_with("アイコンを消します")) {
                told.push_back(event);
            }
        }
        EXPECT_EQ(told, step.told);
    }
    EXPECT_FALSE(Probe::isUserSwitcherStandInShown(c));
    EXPECT_TRUE(Probe::standInPlacement(c).isCancelled());
}

// -- What a read teaches ------------------------------------------------------------

enum class Bar {
    neverRestricted, // starting: nothing was ever restricted
    restricted,      // collapsed
    liftedAfter,     // paused after a restriction: none now, but there was one
};
enum class Mark { none, current, older };

struct NoteCase {
    const char* name;
    Bar bar;
    Mark mark;
    std::vector<ItemSnapshot> items;
    std::optional<bool> answerBefore;
    bool unreachableBefore;
    std::optional<bool> answer;
    bool unreachable;
    std::vector<std::string> events;
};

void PrintTo(const NoteCase& row, std::ostream* out) {
    *out << row.name;
}

class NoteUserSwitcher : public StandIn, public ::testing::WithParamInterface<NoteCase> {};

TEST_P(NoteUserSwitcher, LearnsOnlyWhatTheReadCanTell) {
    const NoteCase& row = GetParam();
    Coordinator& c = row.bar == Bar::neverRestricted ? start() : collapsed();
    if (row.unreachableBefore) {
        learnOutOfReach(c);
    }
    if (row.bar == Bar::liftedAfter) {
        c.pause();
        executor.runUntilIdle();
    }
    // What an earlier run knew.
    c.restoreUserSwitcherAnswer(row.answerBefore);
    ASSERT_EQ(Probe::realUserSwitcherInBar(c), row.answerBefore);
    ASSERT_EQ(Probe::userSwitcherUnreachable(c), row.unreachableBefore);
    take();

    // A full read of the bar, its mark taken as it begins: none under a
    // restriction or within 3 s of its removal, else the restriction's
    // generation, which an older mark no longer matches.
    if (row.mark != Mark::none) {
        executor.advanceBy(3s);
    }
    reader->allReads.hold();
    c.refreshItems();
    executor.runUntilIdle();
    if (row.mark == Mark::older) {
        c.enforce(); // the removal asked for again: a newer generation
    }
    reader->allReads.releaseNewest(Read::ok(row.items));
    executor.runUntilIdle();
    EXPECT_EQ(Probe::realUserSwitcherInBar(c), row.answer);
    EXPECT_EQ(Probe::userSwitcherUnreachable(c), row.unreachable);
    // What it told of the real user switcher (the read's items and plan aside).
    std::vector<std::string> told;
    for (const auto& event : take()) {
        if (event.starts_with("userSwitcher") || event.find("利用者の切り替え") != std::string::npos) {
            told.push_back(event);
        }
    }
    EXPECT_EQ(told, row.events);
}

const char* const answerFalse = "log(default) 利用者の切り替えは、メニューバーに出ない設定です";
const char* const answerTrue = "log(default) 利用者の切り替えは、メニューバーに出る設定です";
const char* const behindChevron =
    "log(info) 本物の利用者の切り替えは「≪」の後ろにあるので、押したら外さずに予備のメニューを出します";

INSTANTIATE_TEST_SUITE_P(
    Cases, NoteUserSwitcher,
    ::testing::Values(NoteCase{"a lifted bar without it says it does not appear",
                               Bar::liftedAfter,
                               Mark::current,
                               {control(), agentItem()},
                               std::nullopt,
                               false,
                               false,
                               false,
                               {answerFalse, "userSwitcherAnswer(false)"}},
                      NoteCase{"it can turn a former yes into no",
                               Bar::liftedAfter,
                               Mark::current,
                               {control(), agentItem()},
                               true,
                               false,
                               false,
                               false,
                               {answerFalse, "userSwitcherAnswer(false)"}},
                      NoteCase{"a mark of an older restriction proves nothing",
                               Bar::liftedAfter,
                               Mark::older,
                               {control(), agentItem()},
                               true,
                               false,
                               true,
                               false,
                               {}},
                      NoteCase{"nor does a read without the agent's items",
                               Bar::liftedAfter,
                               Mark::current,
                               {control()},
                               std::nullopt,
                               false,
                               std::nullopt,
                               false,
                               {}},
                      NoteCase{"nor a read without a mark",
                               Bar::neverRestricted,
                               Mark::none,
                               {control(), agentItem()},
                               std::nullopt,
                               false,
                               std::nullopt,
                               false,
                               {}},
                      NoteCase{"the chevron without the real one marks it out of reach",
                               Bar::liftedAfter,
                               Mark::current,
                               {control(), agentItem(), chevron()},
                               std::nullopt,
                               false,
                               std::nullopt,
                               true,
                               {behindChevron}},
                      NoteCase{"so does a never restricted bar read without a mark",
                               Bar::neverRestricted,
                               Mark::none,
                               {control(), chevron()},
                               true,
                               false,
                               true,
                               true,
                               {behindChevron}},
                      NoteCase{"but not once a restriction was asked for",
                               Bar::liftedAfter,
                               Mark::none,
                               {control(), chevron()},
                               std::nullopt,
                               false,
                               std::nullopt,
                               false,
                               {}},
                      NoteCase{"nor under a restriction",
                               Bar::restricted,
                               Mark::none,
                               {control(), chevron()},
                               std::nullopt,
                               false,
                               std::nullopt,
                               false,
                               {}},
                      NoteCase{"the real one seen under a restriction says it appears",
                               Bar::restricted,
                               Mark::none,
                               {control(), realSwitcher()},
                               false,
                               false,
                               true,
                               false,
                               {answerTrue, "userSwitcherAnswer(true)"}},
                      NoteCase{"and brings presses back to it",
                               Bar::restricted,
                               Mark::none,
                               {control(), realSwitcher(), chevron()},
                               true,
                               true,
                               true,
                               false,
                               {"log(info) 本物の利用者の切り替えが見えたので、また本物を押しにいきます"}},
                      NoteCase{"measured only without restriction",
                               Bar::liftedAfter,
                               Mark::current,
                               {control(), realSwitcher(26)},
                               std::nullopt,
                               false,
                               true,
                               false,
                               {"userSwitcherWidth(26)", answerTrue, "userSwitcherAnswer(true)"}}),
    [](const ::testing::TestParamInfo<NoteCase>& info) { return "case" + std::to_string(info.index); });

TEST_F(StandIn, AFailedReadTeachesNothing) {
    Coordinator& c = collapsed();
    c.pause();
    executor.advanceBy(3s); // reads now see the bar without restriction
    take();
    for (const Read& read :
         {Read::timeout(), Read::unavailable(UnavailableReason::noAccessibilityPermission)}) {
        reader->allReads.immediate(read);
        c.refreshItems();
        executor.runUntilIdle();
    }
    // Nor does one answered after shutdown.
    reader->allReads.hold();
    c.refreshItems();
    executor.runUntilIdle();
    c.shutdown();
    take();
    reader->allReads.release(Read::ok({control(), realSwitcher()}));
    executor.runUntilIdle();
    EXPECT_EQ(Probe::realUserSwitcherInBar(c), std::nullopt);
    EXPECT_THAT(take(), IsEmpty());
}

TEST_F(StandIn, TheWidthIsToldWhenItChangesAndStoredBeforeItIsTold) {
    Coordinator& c = collapsed();
    std::vector<std::optional<double>> seenByListener;
    c.onUserSwitcherWidth = [&](double) { seenByListener.push_back(c.userSwitcherWidth()); };
    // A read that finds the real one this wide.
    const auto readOf = [&](double width) {
        reader->items = {control(), realSwitcher(width)};
        c.refreshItems();
        executor.runUntilIdle();
    };

    readOf(40); // under the restriction: not measured
    c.pause();
    executor.runUntilIdle();
    readOf(28);
    readOf(28);
    readOf(0); // no width to measure
    readOf(30);
    EXPECT_EQ(seenByListener, (std::vector<std::optional<double>>{28.0, 30.0}));
    EXPECT_EQ(c.userSwitcherWidth(), 30.0);

    // The system drew the real one anew: measured and told again.
    c.forgetUserSwitcherWidth();
    EXPECT_EQ(c.userSwitcherWidth(), std::nullopt);
    readOf(30);
    EXPECT_EQ(seenByListener.size(), 3U);
}

// -- Placing it next to the control item ---------------------------------------------

TEST_F(StandIn, ItsKeyListedOnlyAtTheThirdAttemptIsWrittenThenAboutThreeSecondsIn) {
    Coordinator& c = enabled();
    reorderer->reads.immediate(Table::ok(unlisted()));
    reorderer->reads.immediate(Table::ok(unlisted()));
    reorderer->table = listed();
    const Duration t0 = shownNow(c);
    take();

    EXPECT_EQ(placement(c), OrderOutcome::written(1));
    EXPECT_EQ(reorderer->readTimes, (std::vector<Duration>{t0, t0 + 1s, t0 + 3s}));
    EXPECT_EQ(reorderer->writeTimes, (std::vector<Duration>{t0 + 3s}));
    // One entry: right of the control item, halfway to the next item but no further than 0.25.
    EXPECT_EQ(reorderer->written, (std::vector<LayoutTable>{{{standInKey(), 99.75}}}));
    EXPECT_THAT(standInLines(),
                ElementsAre("log(info) 利用者の切り替えの代わりのアイコンを、操作口の右隣に置きました"));
}

TEST_F(StandIn, ItsKeyNeverListedFailsAfterFourAttempts) {
    Coordinator& c = enabled();
    const Duration t0 = shownNow(c);
    take();
    EXPECT_EQ(placement(c), OrderOutcome::failed());
    EXPECT_EQ(reorderer->readTimes, (std::vector<Duration>{t0, t0 + 1s, t0 + 3s, t0 + 6s}));
    EXPECT_THAT(reorderer->written, IsEmpty());
    EXPECT_THAT(standInLines(),
                ElementsAre("log(default) 利用者の切り替えの代わりのアイコンを、操作口の右隣へ動かせません"
                            "でした（配置表が読めない・まだ載っていない）"));
}

// Each way the placement ends early, with its outcome, its number of reads and writes, and its lines.
TEST_F(StandIn, ThePlacementEndsWithItsOutcomeAndLine) {
    struct Row {
        const char* name;
        std::function<void(Coordinator&)> arrange;
        OrderOutcome outcome;
        std::size_t reads;
        std::size_t writes;
        std::vector<std::string> lines;
    };
    const std::string skippedLine =
        "log(info) 利用者の切り替えの代わりのアイコンは、いまは動かしません（skipped）";
    const std::string failedLine =
        "log(default) 利用者の切り替えの代わりのアイコンを、操作口の右隣へ動かせませんでした（"
        "配置表が読めない・まだ載っていない）";
    const Row rows[] = {
        {"the layout folder not granted",
         [this](Coordinator&) { reorderer->folderGranted = false; },
         OrderOutcome::needsFolder(),
         1,
         0,
         {"log(default) "
          "利用者の切り替えの代わりのアイコンを、操作口の右隣へ動かせません（配置表のフォルダを選んでいない）"
          "。"
          "macOS が置いた場所のままです"}},
        {"the table unreadable",
         [this](Coordinator&) { reorderer->reads.immediate(Table::timeout()); },
         OrderOutcome::failed(),
         1,
         0,
         {failedLine}},
        {"already right of the control item",
         [this](Coordinator&) { reorderer->table[standInKey()] = 99.9; },
         OrderOutcome::unchanged(),
         1,
         0,
         {"log(info) 利用者の切り替えの代わりのアイコンは、もう操作口の右隣にあります"}},
        {"the control item not in the table",
         [this](Coordinator&) {
             reorderer->table = {{standInKey(), 10}, {keyOf(shown), 50}};
         },
         OrderOutcome::unchanged(),
         1,
         0,
         {"log(info) 利用者の切り替えの代わりのアイコンは、もう操作口の右隣にあります"}},
        {"the table moved under the first write",
         [this](Coordinator&) {
             reorderer->writes.immediate(Table::unavailable(UnavailableReason::layoutChanged));
         },
         OrderOutcome::written(1),
         2,
         2,
         {"log(info) 利用者の切り替えの代わりのアイコンを、操作口の右隣に置きました"}},
        {"the write rejected",
         [this](Coordinator&) {
             reorderer->writes.immediate(Table::unavailable(UnavailableReason::layoutWriteRejected));
         },
         OrderOutcome::failed(),
         1,
         1,
         {"log(error) 利用者の切り替えの代わりのアイコンを、操作口の右隣に置けませんでした", failedLine}},
        {"switched off before the second attempt",
         [this](Coordinator& c) {
             reorderer->reads.immediate(Table::ok(unlisted()));
             executor.postAt(executor.now() + 500ms, [&c] {
                 c.userSwitcherStandInEnabled = false;
                 c.updateStandIn();
             });
         },
         OrderOutcome::skipped(),
         1,
         0,
         {skippedLine}},
        {"an order run under way at the second attempt",
         [this](Coordinator& c) {
             reorderer->reads.immediate(Table::ok(unlisted()));
             // An order run whose table read is still on its way.
             executor.postAt(executor.now() + 500ms, [this, &c] {
                 reorderer->reads.hold();
                 concurrency::spawn(executor, c.applyOrder(false));
             });
         },
         OrderOutcome::skipped(),
         2, // its own read and the order run's

         0,
         {skippedLine}},
        {"paused while its key is read",
         [this](Coordinator& c) {
             reorderer->reads.dueAt(executor.now() + 200ms, Table::ok(listed()));
             executor.postAt(executor.now() + 100ms, [&c] { c.pause(); });
         },
         OrderOutcome::skipped(),
         1,
         0,
         {skippedLine}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        coordinator.reset();
        reorderer->folderGranted = true;
        Coordinator& c = enabled();
        reorderer->table = listed();
        row.arrange(c);
        shownNow(c);
        take();
        EXPECT_EQ(placement(c), row.outcome);
        EXPECT_EQ(reorderer->readTimes.size(), row.reads);
        EXPECT_EQ(reorderer->written.size(), row.writes);
        std::vector<std::string> lines;
        for (const auto& line : standInLines()) {
            if (!line.ends_with("出します") && !line.ends_with("消します")) {
                lines.push_back(line);
            }
        }
        EXPECT_EQ(lines, row.lines);
    }
}

TEST_F(StandIn, ShowingItAgainStartsAFreshPlacement) {
    Coordinator& c = enabled();
    shownNow(c);
    const auto first = Probe::standInPlacement(c);
    c.reveal(true);
    c.collapse();
    executor.runUntilIdle();
    EXPECT_TRUE(first.isCancelled());
    EXPECT_TRUE(Probe::standInPlacement(c));
    EXPECT_FALSE(Probe::standInPlacement(c).isCancelled());
}

// -- Pressing the real one ---------------------------------------------------------------

TEST_F(StandIn, APressClosesThePanelPressesTheRealOneAndLogsItsOutcome) {
    Coordinator& c = collapsed();
    c.setBelowBar(true);
    take();
    presser->systemPresses.dueAt(executor.now() + 250ms, PressOutcome::opened(core::PressMethod::liftPress));

    auto pressing = spawn(c.pressUserSwitcher());
    EXPECT_TRUE(Probe::isPressingItem(c));
    EXPECT_EQ(presser->log.calls(), std::vector<std::string>{"pressSystemItem(com.apple.MenuBarAgent)"});
    executor.advanceBy(250ms);
    ASSERT_TRUE(pressing.isFinished());
    EXPECT_EQ(*pressing.result(), PressOutcome::opened(core::PressMethod::liftPress));
    EXPECT_FALSE(Probe::isPressingItem(c));
    EXPECT_FALSE(Probe::userSwitcherUnreachable(c));
    EXPECT_THAT(take(), ElementsAre("log(info) 下の段を閉じます", "belowBar(false)",
                                    "log(info) 利用者の切り替えの代わりのアイコンから、本物を押します",
                                    "log(info) 利用者の切り替えを押した結果（opened(liftPress)・250 ms）"));
}

TEST_F(StandIn, ARealOneNotFoundSendsLaterPressesToTheFallbackWithoutPressing) {
    Coordinator& c = collapsed();
    take();
    auto first = spawn(c.pressUserSwitcher());
    EXPECT_EQ(*first.result(), PressOutcome::notFound());
    EXPECT_TRUE(Probe::userSwitcherUnreachable(c));
    EXPECT_THAT(logLines(),
                Contains("log(default) 制限を外しても、本物の利用者の切り替えが見つかりませんでした（「≪」の"
                         "後ろかもしれないので、出ない設定とは決めません）"));
    EXPECT_EQ(Probe::realUserSwitcherInBar(c), std::nullopt);
    take();

    auto second = spawn(c.pressUserSwitcher());
    EXPECT_EQ(*second.result(), PressOutcome::notFound());
    EXPECT_EQ(presser->log.count("pressSystemItem(com.apple.MenuBarAgent)"), 1U);
    EXPECT_THAT(take(),
                ElementsAre("log(default) 本物の利用者の切り替えは前に見つからなかったので、外さずに予備の"
                            "メニューへ回します"));
}

TEST_F(StandIn, APressThatCannotStartPressesNothingAndChangesNothing) {
    struct Row {
        const char* name;
        std::function<void(Coordinator&)> arrange;
        std::vector<std::string> lines;
    };
    const Row rows[] = {
        {"no presser", [](Coordinator& c) { c.presser = nullptr; }, {}},
        {"shut down", [](Coordinator& c) { c.shutdown(); }, {}},
        {"another press running, the real one out of reach",
         [this](Coordinator& c) {
             learnOutOfReach(c);
             pressUnderWay(hidden);
             presser->log.clearCalls(); // the press under way is not the switcher's
         },
         {"log(default) 前に押したのを待っているので、利用者の切り替えは押しません"}},
        {"the real menu still open",
         [this](Coordinator&) { liftForPress(); },
         {"log(default) 本物のメニューを開いている間なので、利用者の切り替えは押し直しません"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        coordinator.reset();
        presser->log.clearCalls();
        Coordinator& c = collapsed();
        c.setBelowBar(true);
        row.arrange(c);
        const bool pressingBefore = Probe::isPressingItem(c);
        const bool unreachableBefore = Probe::userSwitcherUnreachable(c);
        take();
        auto pressing = spawn(c.pressUserSwitcher());
        ASSERT_TRUE(pressing.isFinished());
        EXPECT_EQ(*pressing.result(), std::nullopt);
        EXPECT_EQ(take(), row.lines);
        EXPECT_THAT(presser->log.calls(), IsEmpty());
        EXPECT_EQ(Probe::isPressingItem(c), pressingBefore);
        EXPECT_EQ(Probe::userSwitcherUnreachable(c), unreachableBefore);
    }
}

// A press of the real one shares the one pressing flag with the panels' presses:
// one that never ends must not refuse every later press.
TEST_F(StandIn, APressThatNeverEndsIsGivenUpAfterItsLimit) {
    Coordinator& c = collapsed();
    presser->systemPresses.hold();
    auto stuck = spawn(c.pressUserSwitcher());
    executor.advanceBy(30s - 1ms);
    EXPECT_FALSE(stuck.isFinished());
    take();
    executor.advanceBy(1ms);
    ASSERT_TRUE(stuck.isFinished());
    EXPECT_EQ(*stuck.result(), std::nullopt);
    EXPECT_FALSE(Probe::isPressingItem(c));
    EXPECT_FALSE(Probe::userSwitcherUnreachable(c));
    EXPECT_THAT(
        take(),
        ElementsAre("log(default) 利用者の切り替えを押したのが 30 秒で終わらないので、待つのをやめます"));

    auto next = spawn(
        c.pressItem(core::BelowBarEntry{hidden, 0, 41, std::nullopt}, coordinator::PressSource::search));
    ASSERT_TRUE(next.isFinished());
    EXPECT_EQ(*next.result(), PressOutcome::notFound());
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
