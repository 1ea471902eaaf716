#include "MenuBarSystem/Support/OneShotSignal.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/TaskHandle.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <thread>

namespace PELLACOR_TEST_FILE {

using namespace std::chrono_literals;
using pellacor::concurrency::Duration;
using pellacor::concurrency::Instant;
using pellacor::concurrency::ManualExecutor;
using pellacor::concurrency::spawn;
using pellacor::concurrency::Task;
using pellacor::concurrency::TaskHandle;
using pellacor::system::OneShotSignal;

namespace {

struct Outcome {
    bool value;
    Instant at;
    std::thread::id thread;
};

Task<Outcome> waitOn(std::shared_ptr<OneShotSignal> signal, Duration timeout,
                     const ManualExecutor* executor) {
    auto value = co_await signal->wait(timeout);
    co_return Outcome{value, executor->now(), std::this_thread::get_id()};
}

class OneShotSignalTest : public ::testing::Test {
protected:
    TaskHandle<Outcome> startWait(Duration timeout) {
        return spawn(executor, waitOn(signal, timeout, &executor));
    }

    ManualExecutor executor;
    std::shared_ptr<OneShotSignal> signal = std::make_shared<OneShotSignal>();
};

TEST_F(OneShotSignalTest, FiredBeforeTheWaitAnswersAtOnce) {
    signal->fire(true);
    auto wait = startWait(1s);
    executor.runUntilIdle();
    ASSERT_TRUE(wait.isFinished());
    EXPECT_TRUE(wait.result()->value);
    EXPECT_EQ(wait.result()->at, Instant{});
    EXPECT_EQ(executor.pendingTimerCount(), 0U) << "the time-out was cancelled straight away";
}

TEST_F(OneShotSignalTest, TimesOutInVirtualTimeAndIgnoresALateFire) {
    auto wait = startWait(1s);
    executor.advanceBy(1s - 1ns);
    EXPECT_FALSE(wait.isFinished());
    executor.advanceBy(1ns);
    ASSERT_TRUE(wait.isFinished());
    EXPECT_FALSE(wait.result()->value);
    EXPECT_EQ(wait.result()->at, Instant{} + 1s);

    signal->fire(true);
    auto again = startWait(1s);
    executor.runUntilIdle();
    ASSERT_TRUE(again.isFinished());
    EXPECT_FALSE(again.result()->value) << "the time-out's false stays";
}

TEST_F(OneShotSignalTest, OnlyTheFirstFireCounts) {
    auto wait = startWait(1s);
    executor.runUntilIdle();
    signal->fire(true);
    signal->fire(false);
    executor.runUntilIdle();
    ASSERT_TRUE(wait.isFinished());
    EXPECT_TRUE(wait.result()->value);
    EXPECT_EQ(executor.pendingTimerCount(), 0U);
}

TEST_F(OneShotSignalTest, ASecondConcurrentWaiterGetsFalseAtOnce) {
    auto first = startWait(1s);
    auto second = startWait(1s);
    executor.runUntilIdle();
    ASSERT_TRUE(second.isFinished());
    EXPECT_FALSE(second.result()->value);
    EXPECT_FALSE(first.isFinished());

    signal->fire(true);
    executor.runUntilIdle();
    ASSERT_TRUE(first.isFinished());
    EXPECT_TRUE(first.result()->value);
}

TEST_F(OneShotSignalTest, AFireFromAnotherThreadResumesTheWaiterOnTheExecutor) {
    auto wait = startWait(1s);
    executor.runUntilIdle();
    std::thread completion([signal = signal] { signal->fire(true); });
    ASSERT_TRUE(executor.runUntil([&] { return wait.isFinished(); }));
    completion.join();
    EXPECT_TRUE(wait.result()->value);
    EXPECT_EQ(wait.result()->thread, std::this_thread::get_id());
    EXPECT_EQ(wait.result()->at, Instant{});
}

TEST_F(OneShotSignalTest, AWaitOutlivesItsSignalAndStillTimesOut) {
    auto wait = startWait(1s);
    executor.runUntilIdle();
    signal.reset();
    executor.advanceBy(1s);
    ASSERT_TRUE(wait.isFinished());
    EXPECT_FALSE(wait.result()->value);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
