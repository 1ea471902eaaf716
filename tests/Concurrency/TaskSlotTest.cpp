#include "Concurrency/TaskSlot.h"

#include "Concurrency/MainExecutor.h"
#include "Concurrency/ManualExecutor.h"
#include "Concurrency/Sleep.h"
#include "Concurrency/Task.h"
#include "Concurrency/TaskHandle.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace std::chrono_literals;
using namespace pellacor::concurrency;

namespace {

// The slot pattern of docs/concurrency.md, verbatim.
class Refresher : public std::enable_shared_from_this<Refresher> {
public:
    Refresher(MainExecutor& executor, Sleep sleep, std::function<int()> read)
        : sleep_(std::move(sleep)), read_(std::move(read)), refresh_(executor, "refresh") {}

    // Reads again after a short delay; a newer call replaces an older one.
    void refreshSoon() {
        refresh_.start(
            [this](Generation generation) { return refreshLater(weak_from_this(), generation, sleep_); });
    }
    void shutdown() { refresh_.stop(); }

    // Runs inside the caller's task, which keeps the refresher for the call.
    Task<int> settledValue() { return settledValueBody(shared_from_this()); }

    int value() const { return value_; }
    const TaskSlot<>& refresh() const { return refresh_; }

private:
    static Task<void> refreshLater(std::weak_ptr<Refresher> weak, Generation generation, Sleep sleep) {
        co_await sleep(200ms);
        std::shared_ptr<Refresher> self = lockIfCurrent(weak, &Refresher::refresh_, generation);
        if (!self) {
            co_return; // gone, cancelled, restarted or shut down
        }
        self->value_ = self->read_();
    }

    static Task<int> settledValueBody(std::shared_ptr<Refresher> self) {
        while (self->refresh_.isRunning()) {
            co_await self->sleep_(50ms);
        }
        co_return self->value_;
    }

    Sleep sleep_;
    std::function<int()> read_;
    int value_ = 0;
    TaskSlot<> refresh_;
};

class TaskSlotTest : public ::testing::Test {
protected:
    ManualExecutor executor;
    int reads = 0;
    std::shared_ptr<Refresher> refresher =
        std::make_shared<Refresher>(executor, defaultSleep(), [this] { return ++reads * 10; });
};

TEST_F(TaskSlotTest, StartReplacesAndCancelsTheHeldTaskUnderANewGeneration) {
    refresher->refreshSoon();
    const Generation first = refresher->refresh().generation();
    const TaskHandle<void> older = refresher->refresh().handle();
    executor.advanceBy(100ms);
    refresher->refreshSoon();
    EXPECT_EQ(refresher->refresh().generation(), first + 1);
    EXPECT_FALSE(refresher->refresh().isCurrent(first));
    EXPECT_TRUE(older.isCancelled());
    EXPECT_FALSE(refresher->refresh().handle() == older);

    executor.runUntilIdle();
    EXPECT_TRUE(older.isFinished()) << "woken by the cancel, it found its generation stale";
    EXPECT_EQ(reads, 0);
    EXPECT_TRUE(refresher->refresh().isRunning());
    executor.advanceBy(200ms);
    EXPECT_EQ(reads, 1) << "only the newer task read, 200 ms after it started";
    EXPECT_EQ(refresher->value(), 10);
    EXPECT_FALSE(refresher->refresh().isRunning());
}

TEST_F(TaskSlotTest, StopBumpsTheGenerationCancelsAndHoldsNothing) {
    refresher->refreshSoon();
    const Generation started = refresher->refresh().generation();
    const TaskHandle<void> task = refresher->refresh().handle();
    refresher->shutdown();
    EXPECT_EQ(refresher->refresh().generation(), started + 1);
    EXPECT_TRUE(task.isCancelled());
    EXPECT_FALSE(refresher->refresh().isRunning());
    EXPECT_FALSE(refresher->refresh().handle());
    executor.advanceBy(1s);
    EXPECT_TRUE(task.isFinished());
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(executor.pendingTimerCount(), 0U);

    refresher->shutdown(); // stopping an empty slot only bumps
    EXPECT_EQ(refresher->refresh().generation(), started + 2);
}

TEST_F(TaskSlotTest, ATaskWhoseOwnerIsGoneEndsWithoutTouchingIt) {
    refresher->refreshSoon();
    const TaskHandle<void> task = refresher->refresh().handle();
    executor.advanceBy(100ms);
    refresher.reset();
    executor.advanceBy(200ms);
    EXPECT_TRUE(task.isFinished());
    EXPECT_EQ(reads, 0);
}

Task<int> askThenForget(std::shared_ptr<Refresher> refresher) {
    Task<int> call = refresher->settledValue();
    refresher.reset(); // the caller lets go; the call keeps its owner
    auto value = co_await std::move(call);
    co_return value;
}

TEST_F(TaskSlotTest, AMemberCoroutineKeepsItsOwnerForTheCall) {
    refresher->refreshSoon();
    std::weak_ptr<Refresher> weak = refresher;
    auto asked = spawn(executor, askThenForget(std::exchange(refresher, nullptr)));
    executor.advanceBy(100ms);
    EXPECT_FALSE(weak.expired()) << "held by the call";
    executor.advanceBy(200ms);
    EXPECT_EQ(asked.result(), 10);
    EXPECT_TRUE(weak.expired()) << "released when the call ended";
}

} // namespace
} // namespace PELLACOR_TEST_FILE
