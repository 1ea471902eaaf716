#include "Support/FakeRevealer.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/TaskHandle.h"
#include "Support/PressPrinters.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {
namespace {

using namespace std::chrono_literals;
using pellacor::concurrency::Instant;
using pellacor::concurrency::ManualExecutor;
using pellacor::concurrency::Task;
using pellacor::system::PressRevealing;
using pellacor::system::RevealPurpose;
using pellacor::system::RevealTicket;
using pellacor::testing::FakeRevealer;
using Kind = FakeRevealer::Call::Kind;
using Ticket = std::optional<RevealTicket>;

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
}

TEST_F(FakeRevealerTest, EndingIsIdempotent) {
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

    revealer->setLiftFails(true);
    EXPECT_EQ(lift(), std::nullopt);
    EXPECT_FALSE(revealer->isLifted());

    auto begins = revealer->calls(Kind::beginReveal);
    ASSERT_EQ(begins.size(), 1u);
    EXPECT_EQ(begins[0].purpose, RevealPurpose::press);
    EXPECT_EQ(begins[0].ticket, std::nullopt);
}

TEST_F(FakeRevealerTest, DelayedRevealsAndLiftsAreGrantedOnceApplied) {
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
}

TEST_F(FakeRevealerTest, TheOneArgumentRevealIsForAPress) {
    PressRevealing& protocol = *revealer;
    Ticket ticket = run(protocol.beginReveal("com.example.a"));
    ASSERT_TRUE(ticket.has_value());
    EXPECT_EQ(revealer->calls(Kind::beginReveal).at(0).purpose, RevealPurpose::press);
}

TEST_F(FakeRevealerTest, ARevealEndedWhileItIsAppliedIsRefused) {
    // The id is the next serial number; ending it before the reveal has taken
    // effect leaves no reveal to hand out.
    revealer->setRevealDelay(1s);
    auto revealing = pellacor::concurrency::spawn(executor, revealer->beginReveal("com.example.a"));
    executor.runUntilIdle();
    ASSERT_EQ(revealer->temporarilyShown(), std::set<std::string>{"com.example.a"});
    revealer->endReveal(RevealTicket{revealer->lastSerial(), "com.example.a"});
    executor.advanceBy(1s);
    ASSERT_TRUE(revealing.isFinished());
    EXPECT_EQ(revealing.result().value(), std::nullopt);
    EXPECT_TRUE(revealer->heldTickets().empty());
}

} // namespace
} // namespace PELLACOR_TEST_FILE
