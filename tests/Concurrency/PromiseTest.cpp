#include "Concurrency/Promise.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/TaskHandle.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::concurrency;
using namespace std::chrono_literals;

namespace {

struct Resumed {
    int count = 0;
    std::thread::id thread;
};

// The value, or what became of the wait.
Task<std::string> awaitValue(Future<std::string> future, std::shared_ptr<Resumed> resumed) {
    auto result = co_await std::move(future);
    ++resumed->count;
    resumed->thread = std::this_thread::get_id();
    co_return result.hasValue() ? *std::move(result) : result.isBroken() ? "broken" : "timed out";
}

Task<std::string> awaitWithin(Future<std::string> future, Duration timeout) {
    auto result = co_await std::move(future).waitFor(timeout);
    co_return result.hasValue() ? *std::move(result) : result.isBroken() ? "broken" : "timed out";
}

class PromiseTest : public ::testing::Test {
protected:
    ManualExecutor executor;
    std::shared_ptr<Resumed> resumed = std::make_shared<Resumed>();
};

TEST_F(PromiseTest, CompletedOnAnotherThreadBeforeTheAwait) {
    Promise<std::string> promise;
    std::thread([promise] { promise.setValue("early"); }).join();
    auto task = spawn(executor, awaitValue(promise.future(), resumed));
    executor.runUntilIdle();
    EXPECT_EQ(task.result(), "early");
    EXPECT_EQ(resumed->count, 1);
    EXPECT_EQ(resumed->thread, std::this_thread::get_id());
}

TEST_F(PromiseTest, CompletedOnAnotherThreadAfterTheAwait) {
    Promise<std::string> promise;
    auto task = spawn(executor, awaitValue(promise.future(), resumed));
    executor.runUntilIdle();
    ASSERT_FALSE(task.isFinished());

    std::thread completer([promise] {
        EXPECT_TRUE(promise.setValue("late"));
        EXPECT_FALSE(promise.setValue("again")); // only the first counts
    });
    EXPECT_TRUE(executor.runUntil([&] { return task.isFinished(); }));
    completer.join();
    executor.runUntilIdle();
    EXPECT_EQ(task.result(), "late");
    EXPECT_EQ(resumed->count, 1);
    EXPECT_EQ(resumed->thread, std::this_thread::get_id());
}

Task<int> awaitVoid(Future<void> future) {
    auto result = co_await std::move(future);
    co_return result.hasValue() ? 1 : 0;
}

TEST_F(PromiseTest, VoidPromisesCarryOnlyTheCompletion) {
    Promise<void> promise;
    auto task = spawn(executor, awaitVoid(promise.future()));
    executor.runUntilIdle();
    EXPECT_FALSE(task.isFinished());
    promise.setValue();
    executor.runUntilIdle();
    EXPECT_EQ(task.result(), 1);
}

TEST_F(PromiseTest, APromiseDroppedWithoutAValueResumesItsAwaiterAsBroken) {
    // Before and after the await, and from another thread, as the last copy of
    // a promise may go wherever the work that held it ends.
    {
        std::optional<Promise<std::string>> promise(std::in_place);
        auto task = spawn(executor, awaitValue(promise->future(), resumed));
        executor.runUntilIdle();
        ASSERT_FALSE(task.isFinished());
        std::thread([p = std::move(promise)]() mutable { p.reset(); }).join();
        ASSERT_TRUE(executor.runUntil([&] { return task.isFinished(); }));
        EXPECT_EQ(task.result(), "broken");
        EXPECT_EQ(resumed->thread, std::this_thread::get_id());
    }
    {
        Future<std::string> future = Promise<std::string>().future();
        auto task = spawn(executor, awaitValue(std::move(future), resumed));
        executor.runUntilIdle();
        EXPECT_EQ(task.result(), "broken");
    }
    {
        Future<void> future = Promise<void>().future();
        auto task = spawn(executor, awaitVoid(std::move(future)));
        executor.runUntilIdle();
        EXPECT_EQ(task.result(), 0);
    }
    EXPECT_EQ(resumed->count, 2);
    EXPECT_EQ(executor.pendingTimerCount(), 0U);
}

TEST_F(PromiseTest, WaitForEndsAtItsTimeLimitOnTheExecutorClock) {
    Promise<std::string> promise;
    auto task = spawn(executor, awaitWithin(promise.future(), 2s));
    executor.advanceBy(2s - 1ns);
    EXPECT_FALSE(task.isFinished());
    executor.advanceBy(1ns);
    EXPECT_EQ(task.result(), "timed out");
    EXPECT_TRUE(promise.setValue("late")) << "nobody waits any more, but the value is still taken";
}

TEST_F(PromiseTest, WaitForGivesTheValueOrTheBreakAndDropsItsTimer) {
    struct Case {
        const char* name;
        std::function<void(std::optional<Promise<std::string>>&)> settle;
        std::string expected;
    };
    const Case cases[]{
        {"value", [](auto& p) { p->setValue("value"); }, "value"},
        {"broken", [](auto& p) { p.reset(); }, "broken"},
    };
    for (const Case& c : cases) {
        std::optional<Promise<std::string>> promise(std::in_place);
        const Instant start = executor.now();
        auto task = spawn(executor, awaitWithin(promise->future(), 2s));
        executor.advanceBy(1s);
        c.settle(promise);
        executor.runUntilIdle();
        EXPECT_EQ(task.result(), c.expected) << c.name;
        EXPECT_EQ(executor.pendingTimerCount(), 0U) << c.name;
        EXPECT_EQ(executor.now(), start + 1s) << c.name;
    }
    // Settled before the await: no timer at all.
    Promise<std::string> early;
    early.setValue("early");
    auto task = spawn(executor, awaitWithin(early.future(), 2s));
    executor.runUntilIdle();
    EXPECT_EQ(task.result(), "early");
    EXPECT_EQ(executor.pendingTimerCount(), 0U);
}

TEST_F(PromiseTest, CancellingTheAwaitingTaskDoesNotEndTheWait) {
    Promise<std::string> promise;
    auto task = spawn(executor, awaitWithin(promise.future(), 5s));
    executor.runUntilIdle();
    task.cancel();
    executor.advanceBy(1s);
    EXPECT_FALSE(task.isFinished());
    promise.setValue("kept");
    executor.runUntilIdle();
    EXPECT_EQ(task.result(), "kept");
}

} // namespace
} // namespace PELLACOR_TEST_FILE
