#include "Support/CoordinatorFixture.h"
#include "Support/PressPrinters.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pellacor::testing {
namespace PELLACOR_TEST_FILE {
namespace {

using namespace std::chrono_literals;
using concurrency::Duration;
using concurrency::TaskHandle;
using coordinator::Coordinator;
using coordinator::PressSource;
using core::AppKey;
using core::BelowBarEntry;
using core::Section;
using core::VisibilityPlan;
using system::PressOutcome;
using system::RevealPurpose;
using system::RevealTicket;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Result = system::SystemResult<VisibilityPlan>;
using Ticket = std::optional<RevealTicket>;

// The collapsed coordinator with the calls a press test makes of it.
class Pressing : public CollapsedCoordinatorFixture {
protected:
    template <typename T> TaskHandle<T> spawn(concurrency::Task<T> task) {
        auto handle = concurrency::spawn(executor, std::move(task));
        executor.runUntilIdle();
        return handle;
    }
    TaskHandle<std::optional<PressOutcome>> press(const std::string& bundleID, int index,
                                                  PressSource source = PressSource::belowBar) {
        return spawn(coordinator->pressItem(BelowBarEntry{bundleID, index, 41, std::nullopt}, source));
    }
};

// -- pressItem ------------------------------------------------------------------

TEST_F(Pressing, APressClosesThePanelAndLogsItsSourceBeforeAndItsOutcomeAndTimeAfter) {
    Coordinator& c = collapsed();
    c.setBelowBar(true);
    take();
    presser->presses.dueAt(executor.now() + 1234ms, PressOutcome::opened(core::PressMethod::revealPress));

    auto first = press(hidden, 2);
    EXPECT_EQ(presser->log.calls(), (std::vector<std::string>{"press(com.example.hidden#2)"}));
    EXPECT_TRUE(Probe::isPressingItem(c));
    EXPECT_THAT(take(), ElementsAre("log(info) 下の段を閉じます", "belowBar(false)",
                                    "log(info) 下の段から押します（com.example.hidden・2 番目）"));

    // A second press meanwhile is refused at once, from either panel, and the panel
    // is left as it is.
    c.setBelowBar(true);
    take();
    auto second = press(shown, 0, PressSource::search);
    ASSERT_TRUE(second.isFinished());
    EXPECT_EQ(*second.result(), std::nullopt);
    EXPECT_THAT(
        take(),
        ElementsAre("log(default) 前に押したのを待っているので、押しません（com.example.shown・検索の窓）"));
    EXPECT_TRUE(Probe::isBelowBarShown(c));
    EXPECT_EQ(presser->log.callCount(), 1u);

    executor.advanceBy(1234ms);
    ASSERT_TRUE(first.isFinished());
    EXPECT_EQ(*first.result(), PressOutcome::opened(core::PressMethod::revealPress));
    EXPECT_THAT(
        take(),
        ElementsAre("log(info) 下の段から押した結果（com.example.hidden・opened(revealPress)・1234 ms）"));
    EXPECT_FALSE(Probe::isPressingItem(c));

    // The next press goes through.
    auto third = press(shown, 1, PressSource::search);
    ASSERT_TRUE(third.isFinished());
    EXPECT_EQ(*third.result(), PressOutcome::notFound());
    EXPECT_THAT(logLines(),
                ElementsAre("log(info) 下の段を閉じます",
                            "log(info) 検索の窓から押します（com.example.shown・1 番目）",
                            "log(info) 検索の窓から押した結果（com.example.shown・notFound・0 ms）"));
}

TEST_F(Pressing, NothingIsPressedWithoutAPresserOrAfterShutdown) {
    Coordinator& c = collapsed();
    c.presser = nullptr;
    auto without = press(hidden, 0);
    ASSERT_TRUE(without.isFinished());
    EXPECT_EQ(*without.result(), std::nullopt);

    c.presser = presser;
    c.shutdown();
    take();
    auto after = press(hidden, 0);
    ASSERT_TRUE(after.isFinished());
    EXPECT_EQ(*after.result(), std::nullopt);
    EXPECT_THAT(take(), IsEmpty());
    EXPECT_EQ(presser->log.callCount(), 0u);
}

TEST_F(Pressing, APressThatNeverEndsIsGivenUpAfterItsLimitSoThatLaterPressesWork) {
    Coordinator& c = collapsed();
    presser->presses.hold();
    auto stuck = press(hidden, 0);
    executor.advanceBy(30s - 1ms);
    EXPECT_FALSE(stuck.isFinished());
    EXPECT_TRUE(Probe::isPressingItem(c));
    take();

    executor.advanceBy(1ms);
    ASSERT_TRUE(stuck.isFinished());
    EXPECT_EQ(*stuck.result(), std::nullopt);
    EXPECT_FALSE(Probe::isPressingItem(c));
    EXPECT_THAT(take(), ElementsAre("log(default) 下の段から押したのが 30 "
                                    "秒で終わらないので、待つのをやめます（com.example.hidden）"));

    // A later answer of the abandoned press changes nothing; the next press runs.
    presser->presses.release(PressOutcome::notOpened());
    executor.runUntilIdle();
    EXPECT_THAT(take(), IsEmpty());
    auto next = press(shown, 0);
    ASSERT_TRUE(next.isFinished());
    EXPECT_EQ(*next.result(), PressOutcome::notFound());
}

// -- isHidden -------------------------------------------------------------------

TEST_F(Pressing, AnApplicationIsHiddenWhenThePlanInForceLeavesItOut) {
    Coordinator& c = collapsed();
    EXPECT_TRUE(c.isHidden(hidden));
    EXPECT_FALSE(c.isHidden(shown));
    EXPECT_TRUE(c.isHidden("com.example.unknown"));
    c.pause();
    executor.runUntilIdle();
    EXPECT_EQ(visibility->currentPlan(), VisibilityPlan::noRestriction());
    EXPECT_FALSE(c.isHidden(hidden));
}

// -- beginReveal / endReveal ------------------------------------------------------

TEST_F(Pressing, ARevealLetsTheApplicationThroughUntilItsTicketEnds) {
    Coordinator& c = collapsed();
    const Ticket ticket = revealForPress(hidden);
    ASSERT_EQ(ticket, (RevealTicket{1, hidden}));
    EXPECT_EQ(visibility->applied, (std::vector<VisibilityPlan>{revealedPlan()}));
    EXPECT_FALSE(c.isHidden(hidden));
    EXPECT_THAT(logLines(),
                ElementsAre("log(info) 押すために一時的に見せます（com.example.hidden）",
                            "log(default) 制限が効きました（許す 4 個・Apple 以外：app.trayvane.pellacor,"
                            "com.example.hidden,com.example.shown）",
                            "log(info) 一時的に見せました（com.example.hidden・待ち 0 ms）"));
    take();

    c.endReveal(*ticket);
    executor.runUntilIdle();
    EXPECT_EQ(visibility->applied.back(), collapsedPlan());
    EXPECT_TRUE(c.isHidden(hidden));
    EXPECT_EQ(logLines().front(), "log(info) 一時的に見せたのを戻します（com.example.hidden）");
    EXPECT_THAT(Probe::revealDeadlines(c), IsEmpty());

    // Again: nothing happens, nothing is enforced.
    take();
    const auto calls = visibility->log.callCount();
    c.endReveal(*ticket);
    c.endReveal(RevealTicket{99, hidden});
    executor.runUntilIdle();
    EXPECT_EQ(visibility->log.callCount(), calls);
    EXPECT_THAT(take(), IsEmpty());
}

TEST_F(Pressing, AnEmptyBundleIdentifierGetsNoTicketAndNoLine) {
    Coordinator& c = collapsed();
    EXPECT_EQ(revealForPress(""), std::nullopt);
    EXPECT_EQ(Probe::revealSerial(c), 0);
    EXPECT_THAT(take(), IsEmpty());
    EXPECT_EQ(visibility->log.callCount(), 0u);
}

TEST_F(Pressing, TwoTicketsForOneApplicationKeepItShownUntilBothEnd) {
    Coordinator& c = collapsed();
    const Ticket first = revealForPress(hidden);
    const Ticket second = revealForPress(hidden, RevealPurpose::leaveShown);
    ASSERT_EQ(first, (RevealTicket{1, hidden}));
    ASSERT_EQ(second, (RevealTicket{2, hidden}));

    c.endReveal(*first);
    executor.runUntilIdle();
    EXPECT_EQ(visibility->currentPlan(), revealedPlan());
    c.endReveal(*second);
    executor.runUntilIdle();
    EXPECT_EQ(visibility->currentPlan(), collapsedPlan());
}

TEST_F(Pressing, ARevealWaitsForThePendingApplyAndChecksThePlanItPutInForce) {
    Coordinator& c = collapsed();
    visibility->replies.hold();
    auto pending = spawn(c.beginReveal(hidden, RevealPurpose::press));
    EXPECT_FALSE(pending.isFinished());
    executor.advanceBy(250ms);
    visibility->replies.release(Result::ok(revealedPlan()));
    executor.runUntilIdle();
    ASSERT_TRUE(pending.isFinished());
    EXPECT_EQ(*pending.result(), (RevealTicket{1, hidden}));
    EXPECT_EQ(logLines().back(), "log(info) 一時的に見せました（com.example.hidden・待ち 250 ms）");
    EXPECT_EQ(revealSleeps, (std::vector<Duration>{15s}));

    // The plan already asked for: the finished apply is joined at once.
    take();
    EXPECT_EQ(revealForPress(hidden), (RevealTicket{2, hidden}));
    EXPECT_EQ(visibility->applied.size(), 1u);

    // While a lift is open the apply is cancelled and the plan is no restriction.
    const Ticket lifted = liftForPress();
    ASSERT_TRUE(lifted.has_value());
    EXPECT_EQ(revealForPress(shown), (RevealTicket{4, shown}));
}

// Why a reveal fails: its line, its ticket ended at once, no ticket.
struct FailureCase {
    const char* name;
    std::function<void(Coordinator&, const RevealTicket& pending)> meanwhile;
    std::optional<VisibilityPlan> answer;
};

class RevealFailure : public Pressing, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(RevealFailure, EndsTheTicketAndGivesNone) {
    Coordinator& c = collapsed();
    visibility->replies.hold();
    auto pending = spawn(c.beginReveal(hidden, RevealPurpose::press));
    GetParam().meanwhile(c, RevealTicket{1, hidden});
    executor.runUntilIdle();
    visibility->replies.release(Result::ok(GetParam().answer.value_or(revealedPlan())));
    executor.runUntilIdle();
    ASSERT_TRUE(pending.isFinished());
    EXPECT_EQ(*pending.result(), std::nullopt);
    EXPECT_THAT(logLines(),
                ::testing::Contains("log(default) 一時的に見せられませんでした（com.example.hidden）"));
    EXPECT_THAT(Probe::temporaryReveals(c), IsEmpty());
    EXPECT_THAT(Probe::revealDeadlines(c), IsEmpty());
    EXPECT_THAT(revealSleeps, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RevealFailure,
    ::testing::Values(
        FailureCase{"planLacksTheApplication", [](Coordinator&, const RevealTicket&) {},
                    VisibilityPlan::allow({"app.trayvane.pellacor", "com.apple.Music", "com.example.shown"})},
        FailureCase{"ticketEndedMeanwhile",
                    [](Coordinator& c, const RevealTicket& ticket) { c.endReveal(ticket); }, std::nullopt},
        FailureCase{"shutDownMeanwhile", [](Coordinator& c, const RevealTicket&) { c.shutdown(); },
                    std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Pressing, ARevealOfAnOverflowedApplicationTakesTheShownOnesIntoTheOverflowWhileItLasts) {
    Coordinator& c = collapsed();
    // Overflowed while the user had it shown, then moved to hidden.
    setSection(hidden, Section::shown);
    givenOverflow(hidden);
    setSection(hidden, Section::hidden);
    const Ticket ticket = revealForPress(hidden);
    ASSERT_TRUE(ticket.has_value());
    EXPECT_EQ(visibility->currentPlan(),
              VisibilityPlan::allow({"app.trayvane.pellacor", "com.apple.Music", hidden}));

    c.endReveal(*ticket);
    executor.runUntilIdle();
    EXPECT_EQ(visibility->currentPlan(), collapsedPlan());
}

// -- Deadlines --------------------------------------------------------------------

struct DeadlineCase {
    const char* name;
    std::optional<RevealPurpose> purpose; // nothing: a lift
    Duration limit;
    const char* line;
};

class RevealDeadline : public Pressing, public ::testing::WithParamInterface<DeadlineCase> {};

TEST_P(RevealDeadline, EndsTheTicketThroughTheRevealSleepAlone) {
    const auto& param = GetParam();
    Coordinator& c = collapsed();
    sleeps.clear();
    const Ticket ticket = param.purpose ? revealForPress(hidden, *param.purpose) : liftForPress();
    ASSERT_TRUE(ticket.has_value());
    EXPECT_EQ(revealSleeps, (std::vector<Duration>{param.limit}));
    EXPECT_THAT(sleeps, ::testing::Not(::testing::Contains(param.limit)));
    EXPECT_NE(visibility->currentPlan(), collapsedPlan());

    executor.advanceBy(param.limit - 1ms);
    EXPECT_EQ(Probe::revealDeadlines(c), (std::set<int>{ticket->id}));
    take();
    executor.advanceBy(1ms);
    EXPECT_THAT(Probe::revealDeadlines(c), IsEmpty());
    EXPECT_THAT(Probe::temporaryReveals(c), IsEmpty());
    EXPECT_THAT(Probe::temporaryLifts(c), IsEmpty());
    EXPECT_EQ(visibility->currentPlan(), collapsedPlan());
    const auto lines = logLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], param.line);

    // The presser's own end afterwards does nothing.
    take();
    c.endReveal(*ticket);
    EXPECT_THAT(take(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RevealDeadline,
    ::testing::Values(DeadlineCase{"press", RevealPurpose::press, 15s,
                                   "log(default) 一時的に見せたのを、15 秒で戻します（com.example.hidden）"},
                      DeadlineCase{"leaveShown", RevealPurpose::leaveShown, 100s,
                                   "log(default) 一時的に見せたのを、100 秒で戻します（com.example.hidden）"},
                      DeadlineCase{"lift", std::nullopt, 40s,
                                   "log(default) 一時的に外した制限を、40 秒で戻します"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Pressing, AnEndedTicketCancelsItsDeadline) {
    Coordinator& c = collapsed();
    const Ticket ticket = revealForPress(hidden);
    c.endReveal(*ticket);
    executor.runUntilIdle();
    take();
    executor.advanceBy(20s);
    EXPECT_THAT(take(), IsEmpty());
    EXPECT_EQ(revealSleeps, (std::vector<Duration>{15s}));
}

// -- beginLift ----------------------------------------------------------------------

TEST_F(Pressing, ALiftRemovesTheRestrictionUntilItsTicketEnds) {
    Coordinator& c = collapsed();
    const Ticket revealed = revealForPress(hidden);
    take();
    const Ticket lifted = liftForPress();
    // Reveals and lifts share the serial numbers.
    ASSERT_EQ(lifted, (RevealTicket{2, ""}));
    EXPECT_EQ(visibility->currentPlan(), VisibilityPlan::noRestriction());
    EXPECT_FALSE(c.isHidden(hidden));
    EXPECT_EQ(logLines().front(), "log(info) 本物を押すために、一時的に制限を外します");

    take();
    c.endReveal(*lifted);
    executor.runUntilIdle();
    EXPECT_EQ(logLines().front(), "log(info) 一時的に外した制限を戻します");
    EXPECT_EQ(visibility->currentPlan(), revealedPlan());

    c.shutdown();
    take();
    EXPECT_EQ(liftForPress(), std::nullopt);
    EXPECT_EQ(revealForPress(hidden), std::nullopt);
    EXPECT_THAT(take(), IsEmpty());
}

// -- pressableItems ------------------------------------------------------------------

TEST_F(Pressing, PressableItemsAddRememberedItemsAndPlaceholdersInTheProfileOrder) {
    const std::string table = "com.example.table";
    timings.profile = makeProfile({{AppKey(shown), Section::shown},
                                   {AppKey(hidden), Section::hidden},
                                   {AppKey(table), Section::hidden},
                                   {AppKey("com.example.quit"), Section::hidden}});
    timings.profile.order = {AppKey(table), AppKey(hidden), AppKey(shown)};
    apps->running = {shown, hidden, table};
    reader->items = {item(shown, 0), item(hidden, 0), item(hidden, 1)};
    Coordinator& c = givenCollapsed();
    // The hidden application's items are missing from the next read: remembered.
    reader->items = {item(shown, 0), item("com.example.new", 0)};
    c.refreshItems();
    executor.runUntilIdle();

    std::vector<std::string> listed;
    for (const auto& snapshot : c.pressableItems()) {
        listed.push_back(snapshot.description());
    }
    // The table's application that never showed gets a placeholder; the one that
    // does not run, none.
    EXPECT_THAT(listed, ElementsAre(item(table, 0).description(), item(hidden, 0).description(),
                                    item(hidden, 1).description(), item(shown, 0).description(),
                                    item("com.example.new", 0).description()));
    EXPECT_EQ(c.pressableItems().front().ownerPID(), 0);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
