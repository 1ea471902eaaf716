#include "Support/FakeRevealer.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/TaskHandle.h"
#include "Support/LogCapture.h"

#include <gtest/gtest.h>

namespace pellacor::system {
void PrintTo(const RevealTicket& ticket, std::ostream* out) {
    *out << toString(ticket);
}
} // namespace pellacor::system

namespace {

using namespace std::chrono_literals;
using pellacor::concurrency::Instant;
using pellacor::concurrency::ManualExecutor;
using pellacor::concurrency::Task;
using pellacor::core::LogLevel;
using pellacor::system::PressRevealing;
using pellacor::system::RevealPurpose;
using pellacor::system::RevealTicket;
using pellacor::testing::FakeRevealer;
using Kind = FakeRevealer::Call::Kind;
using Ticket = std::optional<RevealTicket>;
using Line = std::pair<LogLevel, std::string>;

class FakeRevealerTest : public ::testing::Test {
protected:
    // Runs a revealer call as a task of its own and lets the executor go idle.
    Ticket run(Task<Ticket> call) {
        auto handle = pellacor::concurrency::spawn(executor, std::move(call));
        executor.runUntilIdle();
        EXPECT_TRUE(handle.isFinished());
        return handle.result().value_or(std::nullopt);
    }
    Ticket reveal(const std::string& bundleID, RevealPurpose purpose = RevealPurpose::press) {
        return run(revealer->beginReveal(bundleID, purpose));
    }
    Ticket lift() { return run(revealer->beginLift()); }

    // The coordinator's log lines since the last call, with their levels.
    std::vector<Line> takeLines() {
        std::vector<Line> lines;
        for (const auto& record : logs.records()) {
            if (record.category == "app") {
                lines.emplace_back(record.level, record.message);
            }
        }
        logs.clear();
        return lines;
    }

    pellacor::testing::LogCapture logs;
    ManualExecutor executor;
    std::shared_ptr<FakeRevealer> revealer = std::make_shared<FakeRevealer>(executor);
};

TEST_F(FakeRevealerTest, SerialNumbersAreSharedByRevealsAndLifts) {
    EXPECT_EQ(reveal("com.example.a"), (RevealTicket{1, "com.example.a"}));
    EXPECT_EQ(lift(), (RevealTicket{2, ""}));
    EXPECT_EQ(reveal("com.example.b", RevealPurpose::leaveShown), (RevealTicket{3, "com.example.b"}));

    // No application, no ticket and no number spent.
    EXPECT_EQ(reveal(""), std::nullopt);
    // A shut-down revealer refuses a lift before taking a number.
    revealer->setShutDown(true);
    EXPECT_EQ(lift(), std::nullopt);
    revealer->setShutDown(false);
    EXPECT_EQ(revealer->lastSerial(), 3);

    // A refused reveal or lift spends its number.
    revealer->setRevealFails(true);
    EXPECT_EQ(reveal("com.example.c"), std::nullopt);
    revealer->setRevealFails(false);
    revealer->setLiftFails(true);
    EXPECT_EQ(lift(), std::nullopt);
    revealer->setLiftFails(false);
    EXPECT_EQ(reveal("com.example.c"), (RevealTicket{6, "com.example.c"}));

    EXPECT_EQ(revealer->heldTickets(),
              (std::vector<RevealTicket>{
                  {1, "com.example.a"}, {2, ""}, {3, "com.example.b"}, {6, "com.example.c"}}));
    EXPECT_EQ(revealer->pendingDeadlines(), 4u);
}

TEST_F(FakeRevealerTest, DeadlinesEndTicketsByThemselves) {
    struct Case {
        const char* name;
        bool isLift;
        RevealPurpose purpose;
        pellacor::concurrency::Duration deadline;
    } cases[] = {
        {"press", false, RevealPurpose::press, 15s},
        {"leave shown", false, RevealPurpose::leaveShown, 100s},
        {"lift", true, RevealPurpose::press, 40s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        revealer->clearCalls();
        const Instant granted = executor.now();
        Ticket ticket = c.isLift ? lift() : reveal("com.example.a", c.purpose);
        ASSERT_TRUE(ticket.has_value());

        executor.advanceTo(granted + c.deadline - 1ns);
        EXPECT_TRUE(revealer->isHeld(*ticket));
        EXPECT_TRUE(revealer->calls(Kind::expired).empty());

        executor.advanceBy(1ns);
        EXPECT_FALSE(revealer->isHeld(*ticket));
        EXPECT_EQ(revealer->pendingDeadlines(), 0u);
        auto expired = revealer->calls(Kind::expired);
        ASSERT_EQ(expired.size(), 1u);
        EXPECT_EQ(expired[0].ticket, ticket);
        EXPECT_EQ(expired[0].at, granted + c.deadline);

        // The presser may still give the ticket back: nothing happens.
        revealer->endReveal(*ticket);
        auto ends = revealer->calls(Kind::endReveal);
        ASSERT_EQ(ends.size(), 1u);
        EXPECT_FALSE(ends[0].result);
    }
}

TEST_F(FakeRevealerTest, EndingIsIdempotentAndCancelsTheDeadline) {
    Ticket a = reveal("com.example.a");
    Ticket b = reveal("com.example.b");
    ASSERT_TRUE(a && b);

    revealer->endReveal(*a);
    revealer->endReveal(*a);
    // Same id, other application: the id names the reveal, and it is gone.
    revealer->endReveal(RevealTicket{a->id, "com.example.b"});
    revealer->endReveal(RevealTicket{99, "com.example.a"});
    EXPECT_EQ(revealer->heldTickets(), std::vector<RevealTicket>{*b});
    EXPECT_EQ(revealer->temporarilyShown(), std::set<std::string>{"com.example.b"});

    std::vector<bool> results;
    for (const auto& call : revealer->calls(Kind::endReveal)) {
        results.push_back(call.result);
    }
    EXPECT_EQ(results, (std::vector<bool>{true, false, false, false}));

    // A's deadline was cancelled with it; only B's fires.
    EXPECT_EQ(revealer->pendingDeadlines(), 1u);
    executor.advanceBy(FakeRevealer::pressDeadline);
    auto expired = revealer->calls(Kind::expired);
    ASSERT_EQ(expired.size(), 1u);
    EXPECT_EQ(expired[0].ticket, b);
    EXPECT_EQ(executor.pendingTimerCount(), 0u);
}

TEST_F(FakeRevealerTest, IsHiddenFollowsThePlanRevealsAndLifts) {
    EXPECT_FALSE(revealer->isHidden("com.example.a")) << "unrestricted at first";

    revealer->setAllowed({"com.example.shown"});
    EXPECT_TRUE(revealer->isHidden("com.example.a"));
    EXPECT_FALSE(revealer->isHidden("com.example.shown"));

    Ticket shown = reveal("com.example.a");
    EXPECT_FALSE(revealer->isHidden("com.example.a"));
    EXPECT_TRUE(revealer->isHidden("com.example.b"));

    Ticket lifted = lift();
    EXPECT_FALSE(revealer->isHidden("com.example.b"));
    revealer->endReveal(*lifted);
    EXPECT_TRUE(revealer->isHidden("com.example.b"));
    revealer->endReveal(*shown);
    EXPECT_TRUE(revealer->isHidden("com.example.a"));

    revealer->setHidden({"com.example.a"});
    EXPECT_TRUE(revealer->isHidden("com.example.a"));
    EXPECT_FALSE(revealer->isHidden("com.example.b"));
    revealer->setUnrestricted();
    EXPECT_FALSE(revealer->isHidden("com.example.a"));

    auto queries = revealer->calls(Kind::isHidden);
    ASSERT_EQ(queries.size(), 11u);
    EXPECT_EQ(queries[1].bundleID, "com.example.a");
    EXPECT_TRUE(queries[1].result);
}

TEST_F(FakeRevealerTest, RefusedRevealsLeaveNothingBehind) {
    revealer->setHidden({"com.example.a"});
    revealer->setRevealFails(true);
    EXPECT_EQ(reveal("com.example.a"), std::nullopt);
    EXPECT_TRUE(revealer->isHidden("com.example.a"));
    EXPECT_TRUE(revealer->heldTickets().empty());
    EXPECT_EQ(revealer->pendingDeadlines(), 0u);

    revealer->setLiftFails(true);
    EXPECT_EQ(lift(), std::nullopt);
    EXPECT_FALSE(revealer->isLifted());
    EXPECT_EQ(revealer->pendingDeadlines(), 0u);

    auto begins = revealer->calls(Kind::beginReveal);
    ASSERT_EQ(begins.size(), 1u);
    EXPECT_EQ(begins[0].purpose, RevealPurpose::press);
    EXPECT_EQ(begins[0].ticket, std::nullopt);
}

TEST_F(FakeRevealerTest, DelayedRevealsCountTheirDeadlineFromTheGrant) {
    revealer->setRevealDelay(300ms);
    revealer->setLiftDelay(2s);
    auto revealing = pellacor::concurrency::spawn(executor, revealer->beginReveal("com.example.a"));
    executor.runUntilIdle();
    EXPECT_FALSE(revealing.isFinished());
    executor.advanceBy(300ms);
    ASSERT_TRUE(revealing.isFinished());
    ASSERT_TRUE(revealing.result().value().has_value());
    EXPECT_EQ(revealer->calls(Kind::beginReveal).at(0).at, Instant{} + 300ms);

    // Shut down while the lift is being applied: refused, and the lift is undone.
    auto lifting = pellacor::concurrency::spawn(executor, revealer->beginLift());
    executor.runUntilIdle();
    EXPECT_TRUE(revealer->isLifted());
    revealer->setShutDown(true);
    executor.advanceBy(2s);
    ASSERT_TRUE(lifting.isFinished());
    EXPECT_EQ(lifting.result().value(), std::nullopt);
    EXPECT_FALSE(revealer->isLifted());

    executor.advanceTo(Instant{} + 300ms + FakeRevealer::pressDeadline);
    EXPECT_TRUE(revealer->heldTickets().empty());
}

TEST_F(FakeRevealerTest, TheOneArgumentRevealIsForAPress) {
    PressRevealing& protocol = *revealer;
    Ticket ticket = run(protocol.beginReveal("com.example.a"));
    ASSERT_TRUE(ticket.has_value());
    EXPECT_EQ(revealer->calls(Kind::beginReveal).at(0).purpose, RevealPurpose::press);
    executor.advanceBy(FakeRevealer::pressDeadline);
    EXPECT_FALSE(revealer->isHeld(*ticket));
}

TEST_F(FakeRevealerTest, DeadlinesOutliveNoRevealer) {
    Ticket ticket = reveal("com.example.a");
    ASSERT_TRUE(ticket.has_value());
    revealer.reset();
    // The deadline task wakes, finds no revealer and ends quietly.
    executor.advanceBy(FakeRevealer::pressDeadline);
    executor.runUntilIdle();
    EXPECT_EQ(executor.pendingTimerCount(), 0u);
}

TEST_F(FakeRevealerTest, LogsAsTheCoordinatorDoes) {
    const LogLevel info = LogLevel::info;
    const LogLevel notice = LogLevel::defaultLevel;

    // A reveal that takes a while to apply, given back by the presser, twice.
    revealer->setRevealDelay(300ms);
    auto revealing = pellacor::concurrency::spawn(executor, revealer->beginReveal("com.example.a"));
    executor.runUntilIdle();
    executor.advanceBy(300ms);
    ASSERT_TRUE(revealing.isFinished());
    Ticket a = revealing.result().value();
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(takeLines(), (std::vector<Line>{{info, "押すために一時的に見せます（com.example.a）"},
                                              {info, "一時的に見せました（com.example.a・待ち 300 ms）"}}));
    revealer->setRevealDelay(0ms);
    revealer->endReveal(*a);
    revealer->endReveal(*a);
    EXPECT_EQ(takeLines(), (std::vector<Line>{{info, "一時的に見せたのを戻します（com.example.a）"}}));

    // Reveals ended by their own deadlines, then given back: only the deadline speaks.
    for (auto [purpose, seconds] : {std::pair{RevealPurpose::press, 15}, {RevealPurpose::leaveShown, 100}}) {
        Ticket b = reveal("com.example.b", purpose);
        ASSERT_TRUE(b.has_value());
        takeLines();
        executor.advanceBy(std::chrono::seconds(seconds));
        revealer->endReveal(*b);
        EXPECT_EQ(takeLines(), (std::vector<Line>{{notice, "一時的に見せたのを、" + std::to_string(seconds) +
                                                               " 秒で戻します（com.example.b）"},
                                                  {info, "一時的に見せたのを戻します（com.example.b）"}}));
    }

    // A lift, ended by its deadline.
    ASSERT_TRUE(lift().has_value());
    executor.advanceBy(FakeRevealer::liftDeadline);
    EXPECT_EQ(takeLines(), (std::vector<Line>{{info, "本物を押すために、一時的に制限を外します"},
                                              {notice, "一時的に外した制限を、40 秒で戻します"},
                                              {info, "一時的に外した制限を戻します"}}));

    // Refused reveals and lifts are ended as the presser would end them.
    revealer->setRevealFails(true);
    revealer->setLiftFails(true);
    EXPECT_EQ(reveal("com.example.c"), std::nullopt);
    EXPECT_EQ(lift(), std::nullopt);
    EXPECT_EQ(takeLines(), (std::vector<Line>{{info, "押すために一時的に見せます（com.example.c）"},
                                              {notice, "一時的に見せられませんでした（com.example.c）"},
                                              {info, "一時的に見せたのを戻します（com.example.c）"},
                                              {info, "本物を押すために、一時的に制限を外します"},
                                              {notice, "一時的に制限を外せませんでした"},
                                              {info, "一時的に外した制限を戻します"}}));

    // Calls that take no serial number say nothing.
    revealer->setShutDown(true);
    EXPECT_EQ(reveal(""), std::nullopt);
    EXPECT_EQ(lift(), std::nullopt);
    EXPECT_TRUE(takeLines().empty());
}

TEST_F(FakeRevealerTest, ARevealEndedWhileItIsAppliedIsRefused) {
    // The id is the next serial number; ending it before the reveal has taken
    // effect leaves no reveal to hand out.
    revealer->setRevealDelay(1s);
    auto revealing = pellacor::concurrency::spawn(executor, revealer->beginReveal("com.example.a"));
    executor.runUntilIdle();
    ASSERT_EQ(revealer->temporarilyShown(), std::set<std::string>{"com.example.a"});
    revealer->endReveal(RevealTicket{revealer->lastSerial(), "com.example.a"});
    takeLines();
    executor.advanceBy(1s);
    ASSERT_TRUE(revealing.isFinished());
    EXPECT_EQ(revealing.result().value(), std::nullopt);
    EXPECT_EQ(revealer->pendingDeadlines(), 0u);
    EXPECT_EQ(takeLines(),
              (std::vector<Line>{{LogLevel::defaultLevel, "一時的に見せられませんでした（com.example.a）"}}));
}

} // namespace
