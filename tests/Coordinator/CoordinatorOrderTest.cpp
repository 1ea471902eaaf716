#include "MenuBarCore/Planning/OrderPlanner.h"
#include "Support/CoordinatorFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pellacor::testing {
namespace PELLACOR_TEST_FILE {
namespace {

using namespace std::chrono_literals;
using coordinator::OrderOutcome;
using core::AppKey;
using core::Section;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using Table = system::SystemResult<core::LayoutTable>;

std::string keyOf(const std::string& bundleID) {
    return "status:" + bundleID + "::Item-0";
}

// A started coordinator whose layout table holds the control item and two shown
// applications, left to right: control, a, b. The profile wants b before a.
class Order : public CoordinatorFixture {
protected:
    static constexpr const char* a = "com.example.a";
    static constexpr const char* b = "com.example.b";

    Order() {
        timings.profile = makeProfile({{AppKey(a), Section::shown}, {AppKey(b), Section::shown}});
        timings.profile.order = {AppKey(b), AppKey(a)};
        apps->running = {a, b};
        reorderer->table = barTable();
    }

    static core::LayoutTable barTable() { return {{keyOf(selfID), 100}, {keyOf(a), 50}, {keyOf(b), 40}}; }

    Coordinator& at(State state, std::optional<PauseReason> reason = std::nullopt) {
        Coordinator& c = reason ? givenPaused(*reason) : givenState(state);
        take();
        reorderer->log.clearCalls();
        return c;
    }

    concurrency::TaskHandle<OrderOutcome> order(bool reordered) {
        auto handle = concurrency::spawn(executor, coordinator->applyOrder(reordered));
        executor.runUntilIdle();
        return handle;
    }
    // The bar's applications left to right, as the fake's table now says.
    std::vector<AppKey> bar() const { return core::OrderPlanner::currentOrder(reorderer->table, selfID); }
};

TEST_F(Order, AReorderImposesTheProfilesOrderAndASectionChangeAdoptsTheBars) {
    struct Row {
        bool reordered;
        OrderOutcome outcome;
        std::vector<AppKey> bar;
        std::vector<AppKey> profileOrder;
        std::vector<std::string> events;
    };
    const Row rows[] = {
        {true,
         OrderOutcome::written(1),
         {AppKey(b), AppKey(a)},
         {AppKey(b), AppKey(a)},
         {"log(info) 並べ替え：配置表を書きました（1 個・com.example.a）", "layoutOrder(2)"}},
        {false,
         OrderOutcome::unchanged(),
         {AppKey(a), AppKey(b)},
         {AppKey(a), AppKey(b)},
         {"log(info) 並べ替え：もう望む並びです（書きません）", "layoutOrder(2)", "profile"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reordered);
        coordinator.reset();
        reorderer->table = barTable();
        reorderer->written.clear();
        Coordinator& c = at(State::collapsed);
        auto handle = order(row.reordered);
        EXPECT_EQ(handle.result(), row.outcome);
        EXPECT_EQ(bar(), row.bar);
        EXPECT_EQ(Probe::profile(c).order, row.profileOrder);
        EXPECT_EQ(take(), row.events);
    }
}

TEST_F(Order, ASecondRequestWhileOneRunsIsSkippedAndRunByTheFirst) {
    at(State::collapsed);
    reorderer->reads.hold();
    auto first = order(true);
    auto second = order(true);
    ASSERT_TRUE(second.isFinished());
    EXPECT_EQ(second.result(), OrderOutcome::skipped());
    EXPECT_FALSE(first.isFinished());

    reorderer->reads.release(Table::ok(barTable()));
    executor.runUntilIdle();
    // The first run wrote; the second found the order in place, and its outcome is the result.
    EXPECT_EQ(first.result(), OrderOutcome::unchanged());
    EXPECT_EQ(reorderer->log.count("readTable"), 2U);
    EXPECT_EQ(reorderer->written.size(), 1U);
    EXPECT_EQ(bar(), (std::vector{AppKey(b), AppKey(a)}));
}

TEST_F(Order, RequestsWhilePausedMergeIntoOneReorderRunOnCollapse) {
    Coordinator& c = at(State::paused, PauseReason::manual());
    EXPECT_EQ(order(false).result(), OrderOutcome::skipped());
    EXPECT_EQ(order(true).result(), OrderOutcome::skipped());
    EXPECT_EQ(order(false).result(), OrderOutcome::skipped());
    EXPECT_EQ(Probe::deferredOrder(c), true);
    EXPECT_EQ(reorderer->log.callCount(), 0U);

    givenCollapsed();
    EXPECT_EQ(Probe::deferredOrder(c), std::nullopt);
    // A reorder: the profile's order is imposed, once.
    EXPECT_EQ(reorderer->written.size(), 1U);
    EXPECT_EQ(bar(), (std::vector{AppKey(b), AppKey(a)}));
}

TEST_F(Order, TheEffectiveStateDecidesWhetherTheTableIsWritten) {
    struct Row {
        State base;
        bool camera;
        bool writes;
        const char* line;
    };
    const Row rows[] = {
        {State::needsPermission, false, false,
         "log(info) 並べ替え：いまは書きません（状態 needsPermission）。書いてよい状態に戻ったら書きます"},
        {State::starting, false, false,
         "log(info) 並べ替え：いまは書きません（状態 starting）。書いてよい状態に戻ったら書きます"},
        {State::paused, true, false,
         "log(info) 並べ替え：いまは書きません（状態 paused）。書いてよい状態に戻ったら書きます"},
        {State::collapsed, true, true, "log(info) 並べ替え：配置表を書きました（1 個・com.example.a）"},
        {State::revealed, false, true, "log(info) 並べ替え：配置表を書きました（1 個・com.example.a）"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(core::rawValue(row.base));
        coordinator.reset();
        capture->use = {};
        reorderer->table = barTable();
        Coordinator& c =
            at(row.base, row.base == State::paused ? std::optional(PauseReason::manual()) : std::nullopt);
        capture->change({.camera = row.camera, .microphone = false});
        executor.runUntilIdle();
        take();
        const auto outcome = order(true).result();
        EXPECT_EQ(outcome.has_value() && outcome->kind() == OrderOutcome::Kind::written, row.writes);
        EXPECT_EQ(Probe::deferredOrder(c).has_value(), !row.writes);
        EXPECT_THAT(logLines(), Contains(row.line));
    }
}

TEST_F(Order, ATableThatMovesBeforeTheWriteIsReadAgainOnceAtOnce) {
    at(State::collapsed);
    // Each read answers the bar as it was; meanwhile another writer moves an entry.
    const core::LayoutTable moved1 = {{keyOf(selfID), 100}, {keyOf(a), 50}, {keyOf(b), 39}};
    const core::LayoutTable moved2 = {{keyOf(selfID), 100}, {keyOf(a), 50}, {keyOf(b), 38}};
    for (int moves : {1, 2}) {
        SCOPED_TRACE(moves);
        reorderer->table = barTable();
        reorderer->written.clear();
        reorderer->log.clearCalls();
        reorderer->reads.immediate(Table::ok(barTable()));
        reorderer->table = moved1;
        if (moves == 2) {
            // The second read sees a table that has moved on again before the write.
            reorderer->reads.immediate(Table::ok(moved2));
        }
        auto handle = concurrency::spawn(executor, coordinator->applyOrder(true));
        executor.runUntilIdle();
        EXPECT_EQ(handle.result(), moves == 1 ? OrderOutcome::written(1) : OrderOutcome::failed());
        EXPECT_EQ(reorderer->log.count("readTable"), 2U);
        EXPECT_EQ(reorderer->written.size(), 2U);
        EXPECT_THAT(
            take(),
            Contains(
                "log(default) 並べ替え：決めてから書くまでに配置表が動きました（書かずに読み直します）"));
    }
}

TEST_F(Order, AnUngrantedFolderKeepsOnlyAReorderWaiting) {
    for (bool reordered : {false, true}) {
        SCOPED_TRACE(reordered);
        coordinator.reset();
        reorderer->folderGranted = false;
        Coordinator& c = at(State::collapsed);
        EXPECT_EQ(order(reordered).result(), OrderOutcome::needsFolder());
        EXPECT_EQ(Probe::reorderWaitingForFolder(c), reordered);
        EXPECT_EQ(take(),
                  (std::vector<std::string>{
                      "log(info) 並べ替え：配置表のフォルダをまだ選んでもらっていません（書きません）",
                      "layoutOrder(-1)"}));
    }
    // The same profile again keeps the wait; another profile ends it.
    Coordinator& c = *coordinator;
    c.setProfile(Probe::profile(c));
    EXPECT_TRUE(Probe::reorderWaitingForFolder(c));
    c.setProfile(core::Profile(core::Uuid::random(), "仕事", {}, {}, Section::hidden));
    EXPECT_FALSE(Probe::reorderWaitingForFolder(c));
}

TEST_F(Order, FailuresOfTheServiceAreLoggedWithTheirResult) {
    struct Row {
        std::optional<Table> read;
        std::optional<Table> write;
        OrderOutcome outcome;
        const char* line;
    };
    const Row rows[] = {
        {Table::timeout(), std::nullopt, OrderOutcome::failed(),
         "log(error) 並べ替え：配置表を読めません（timeout）"},
        {Table::unavailable(system::UnavailableReason::layoutTableMissing), std::nullopt,
         OrderOutcome::failed(),
         "log(error) 並べ替え：配置表を読めません（unavailable(layoutTableMissing)）"},
        {std::nullopt, Table::unavailable(system::UnavailableReason::layoutWriteRejected),
         OrderOutcome::failed(),
         "log(error) 並べ替え：配置表を書けません（unavailable(layoutWriteRejected)）"},
        {Table::ok({{keyOf(a), 50}, {keyOf(b), 40}}), std::nullopt, OrderOutcome::noControl(),
         "log(error) 並べ替え：配置表に操作口のキーが無いか、2つあります（書きません）"},
    };
    at(State::collapsed);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        if (row.read) {
            reorderer->reads.immediate(*row.read);
        }
        if (row.write) {
            reorderer->writes.immediate(*row.write);
        }
        EXPECT_EQ(order(true).result(), row.outcome);
        EXPECT_EQ(logLines(), std::vector<std::string>{row.line});
        take();
    }
}

TEST_F(Order, MissingShownApplicationsGoFarLeftUnlessTheUserReordered) {
    const char* m1 = "com.example.m1";
    const char* m2 = "com.example.m2";
    struct Row {
        bool reordered;
        std::vector<AppKey> bar;
    };
    const Row rows[] = {
        // The bar's order with the missing ones in front, the later one of the list further left.
        {false, {AppKey(m2), AppKey(m1), AppKey(a), AppKey(b)}},
        // The profile's own order, the missing ones where it puts them.
        {true, {AppKey(b), AppKey(m1), AppKey(a), AppKey(m2)}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reordered);
        coordinator.reset();
        timings.profile.sections[AppKey(m1)] = Section::shown;
        timings.profile.sections[AppKey(m2)] = Section::shown;
        timings.profile.order = {AppKey(b), AppKey(m1), AppKey(a), AppKey(m2)};
        reorderer->table = barTable();
        apps->running = {a, b};
        Coordinator& c = at(State::collapsed);
        // Launched after the placement on collapse, so the table lacks them.
        apps->running = {a, b, m1, m2};
        EXPECT_EQ(order(row.reordered).result().value().kind(), OrderOutcome::Kind::written);
        EXPECT_EQ(bar(), row.bar);
        EXPECT_EQ(Probe::profile(c).order, row.bar);
        EXPECT_THAT(
            logLines(),
            Contains(
                "log(info) "
                "並べ替え：配置表に無い「表示」のアプリを書き足します（com.example.m1,com.example.m2）"));
    }
}

TEST_F(Order, AppleIconsLeftOfTheControlItemMoveRight) {
    at(State::collapsed);
    apps->running.insert("com.apple.Music");
    reorderer->table[keyOf("com.apple.Music")] = 200;
    EXPECT_EQ(order(false).result().value().kind(), OrderOutcome::Kind::written);
    EXPECT_LT(reorderer->table.at(keyOf("com.apple.Music")), 100);
    EXPECT_THAT(
        logLines(),
        Contains("log(info) 並べ替え：操作口の左にある Apple のアイコンを右へ寄せます（com.apple.Music）"));
}

TEST_F(Order, AProfileSwitchDuringTheWriteKeepsTheNewProfilesOrder) {
    Coordinator& c = at(State::collapsed);
    reorderer->writes.hold();
    auto written = order(true);
    ASSERT_EQ(reorderer->writes.waitingCount(), 1U);
    const core::Profile work(core::Uuid::random(), "仕事", {{AppKey(a), Section::shown}}, {AppKey(a)},
                             Section::hidden);
    c.setProfile(work);
    take();
    reorderer->writes.release(Table::ok({{keyOf(selfID), 100}, {keyOf(b), 45}, {keyOf(a), 40}}));
    executor.runUntilIdle();
    EXPECT_EQ(written.result(), OrderOutcome::written(1));
    EXPECT_EQ(Probe::profile(c), work);
    EXPECT_THAT(take(), Not(Contains("profile")));
}

TEST_F(Order, PlacingShownItemsReadsTheTableOnlyWhenSomethingCouldBeMissing) {
    struct Row {
        std::set<std::string> running;
        OrderOutcome outcome;
        std::size_t reads;
    };
    const Row rows[] = {
        {{}, OrderOutcome::unchanged(), 0},
        {{"com.example.hiddenOnly"}, OrderOutcome::unchanged(), 0},
        {{"com.apple.Music"}, OrderOutcome::unchanged(), 1},
        {{a, b}, OrderOutcome::unchanged(), 1},
        {{a, b, "com.example.fresh"}, OrderOutcome::written(1), 2},
    };
    timings.profile.sections[AppKey("com.example.hiddenOnly")] = Section::hidden;
    timings.profile.sections[AppKey("com.example.fresh")] = Section::shown;
    timings.profile.order = {AppKey(a), AppKey(b)};
    Coordinator& c = at(State::collapsed);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reads);
        apps->running = row.running;
        reorderer->table = barTable();
        reorderer->log.clearCalls();
        const std::size_t writes = reorderer->written.size();
        // Collapsing again, as after a pause, places what is missing at once.
        c.pause();
        c.resume();
        executor.runUntilIdle();
        ASSERT_EQ(c.baseState(), State::collapsed);
        // Written once for written(1), not at all when unchanged.
        EXPECT_EQ(reorderer->written.size() - writes, row.outcome == OrderOutcome::written(1) ? 1U : 0U);
        EXPECT_EQ(reorderer->log.count("readTable"), row.reads);
    }
}

TEST_F(Order, ALaunchOfAShownApplicationPlacesItTwoSecondsLater) {
    timings.profile.sections[AppKey("com.example.fresh")] = Section::shown;
    timings.profile.order = {AppKey(a), AppKey(b)};
    Coordinator& c = at(State::collapsed);
    launch("com.example.fresh");
    executor.runUntilIdle();
    EXPECT_FALSE(reorderer->table.contains(keyOf("com.example.fresh")));
    executor.advanceBy(2s);
    executor.runUntilIdle();
    EXPECT_TRUE(reorderer->table.contains(keyOf("com.example.fresh")));
    EXPECT_FALSE(Probe::placeShownTask(c));
}

TEST_F(Order, ShownIconCountsHoldRunningShownApplicationsOnly) {
    timings.profile.sections[AppKey("com.example.hide")] = Section::hidden;
    // New applications go to shown.
    timings.profile.newItemSection = Section::shown;
    apps->running = {a, b, "com.example.hide", "com.apple.Music", selfID, "com.example.known"};
    // An earlier read knew the control item and one more application; the last one finds
    // two items of a, one of an application that has quit and Apple's.
    reader->items = {item("com.example.known"), item(selfID)};
    Coordinator& c = at(State::collapsed);
    reader->items = {item(a, 0), item(a, 1), item("com.example.gone"), item("com.apple.Music")};
    c.refreshItems();
    executor.runUntilIdle();
    EXPECT_EQ(Probe::shownIconCounts(c),
              (std::map<AppKey, int>{{AppKey(a), 2}, {AppKey(b), 1}, {AppKey("com.example.known"), 1}}));
}

TEST_F(Order, TheLayoutOrderIsReportedInEveryState) {
    Coordinator& c = at(State::paused, PauseReason::manual());
    concurrency::spawn(executor, c.refreshLayoutOrder());
    executor.runUntilIdle();
    reorderer->folderGranted = false;
    concurrency::spawn(executor, c.refreshLayoutOrder());
    executor.runUntilIdle();
    reorderer->reads.immediate(Table::timeout());
    concurrency::spawn(executor, c.refreshLayoutOrder());
    executor.runUntilIdle();
    EXPECT_EQ(take(), (std::vector<std::string>{"layoutOrder(2)", "layoutOrder(-1)"}));
}

TEST_F(Order, ShutDownOrWithoutAServiceNothingIsAsked) {
    Coordinator& c = at(State::collapsed);
    c.shutdown();
    executor.runUntilIdle();
    take();
    EXPECT_EQ(order(true).result(), OrderOutcome::skipped());
    EXPECT_EQ(reorderer->log.callCount(), 0U);
    EXPECT_THAT(take(), ::testing::IsEmpty());
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
