#include "Concurrency/Task.h"

#include "Concurrency/Continuation.h"
#include "Concurrency/ManualExecutor.h"
#include "Concurrency/Sleep.h"
#include "Concurrency/TaskHandle.h"

#include <chrono>
#include <coroutine>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace std::chrono_literals;
using namespace pellacor::concurrency;

namespace {

using Log = std::shared_ptr<std::vector<std::string>>;

Log makeLog() {
    return std::make_shared<std::vector<std::string>>();
}

Task<void> record(Log log, std::string name) {
    log->push_back(name);
    co_return;
}

Task<void> spawnTwoThenNote(MainExecutor* executor, Log log) {
    spawn(*executor, record(log, "child-1"));
    spawn(*executor, record(log, "child-2"));
    log->push_back("parent-done-spawning");
    co_return;
}

TEST(TaskTest, SpawnedTasksStartLaterInSpawnOrder) {
    ManualExecutor executor;
    Log log = makeLog();
    auto first = spawn(executor, record(log, "first"));
    auto second = spawn(executor, record(log, "second"));
    log->push_back("spawning-code-returned");
    EXPECT_FALSE(first.isFinished());

    executor.runUntilIdle();
    EXPECT_EQ(*log, (std::vector<std::string>{"spawning-code-returned", "first", "second"}));
    EXPECT_TRUE(first.isFinished());
    EXPECT_TRUE(second.isFinished());

    // Also from inside a task: children start after the spawning task has
    // returned control.
    log->clear();
    spawn(executor, spawnTwoThenNote(&executor, log));
    executor.runUntilIdle();
    EXPECT_EQ(*log, (std::vector<std::string>{"parent-done-spawning", "child-1", "child-2"}));
}

Task<int> twice(int value) {
    co_return value * 2;
}

Task<int> failing() {
    throw std::runtime_error("broken");
    co_return 0;
}

Task<std::string> nestedWork() {
    int doubled = co_await twice(21);
    std::string text = std::to_string(doubled);
    try {
        auto ignored = co_await failing();
        (void)ignored;
        text += " no-exception";
    } catch (const std::runtime_error& error) {
        text += std::string(" caught ") + error.what();
    }
    co_return text;
}

TEST(TaskTest, NestedTasksHandBackValuesAndExceptions) {
    ManualExecutor executor;
    auto handle = spawn(executor, nestedWork());
    executor.runUntilIdle();
    EXPECT_EQ(handle.result(), "42 caught broken");
}

Task<int> addOne(int value) {
    co_return value + 1;
}

Task<int> countUp(int times) {
    int total = 0;
    for (int i = 0; i < times; ++i) {
        auto next = co_await addOne(total);
        total = next;
    }
    co_return total;
}

TEST(TaskTest, ManyNestedTasksThatFinishAtOnceDoNotExhaustTheStack) {
    ManualExecutor executor;
    auto handle = spawn(executor, countUp(200000));
    executor.runUntilIdle();
    EXPECT_EQ(handle.result(), 200000);
}

Task<bool> innerSeesCancellation() {
    co_await sleep(10s);
    co_return isCancelled();
}

Task<std::vector<bool>> outerCancellable() {
    std::vector<bool> seen;
    seen.push_back(isCancelled());
    auto inner = co_await innerSeesCancellation();
    seen.push_back(inner);
    seen.push_back(isCancelled());
    co_return seen;
}

TEST(TaskTest, NestedTasksShareTheCancellationOfTheirTask) {
    ManualExecutor executor;
    auto handle = spawn(executor, outerCancellable());
    executor.runUntilIdle();
    EXPECT_FALSE(isCancelled()); // outside any task
    handle.cancel();
    executor.runUntilIdle();
    ASSERT_TRUE(handle.isFinished());
    EXPECT_EQ(handle.result(), (std::vector<bool>{false, true, true}));
    EXPECT_EQ(executor.now(), Instant{});
}

Task<int> valueAfter(Duration delay, int value) {
    co_await sleep(delay);
    co_return value;
}

Task<int> joinPlusOne(TaskHandle<int> other) {
    auto value = co_await other;
    co_return value + 1;
}

Task<int> joinThenCount(TaskHandle<void> other) {
    co_await other;
    co_return 1;
}

TEST(TaskTest, JoiningWaitsForRunningFinishedAndCancelledTasks) {
    ManualExecutor executor;

    // A finished task: the join answers at once.
    auto finished = spawn(executor, valueAfter(0s, 7));
    executor.runUntilIdle();
    ASSERT_TRUE(finished.isFinished());
    auto joinedFinished = spawn(executor, joinPlusOne(finished));
    executor.runUntilIdle();
    EXPECT_EQ(joinedFinished.result(), 8);

    // A running task, awaited by two tasks: both resume when it ends, not before.
    auto running = spawn(executor, valueAfter(5s, 10));
    auto joinerA = spawn(executor, joinPlusOne(running));
    auto joinerB = spawn(executor, joinPlusOne(running));
    executor.advanceBy(5s - 1ns);
    EXPECT_FALSE(joinerA.isFinished());
    EXPECT_FALSE(joinerB.isFinished());
    executor.advanceBy(1ns);
    EXPECT_EQ(joinerA.result(), 11);
    EXPECT_EQ(joinerB.result(), 11);

    // A cancelled task ends early through its sleep; its joiner resumes then.
    auto cancelled = spawn(executor, valueAfter(100s, 20));
    auto joinerC = spawn(executor, joinPlusOne(cancelled));
    executor.runUntilIdle();
    cancelled.cancel();
    executor.runUntilIdle();
    EXPECT_EQ(joinerC.result(), 21);
    EXPECT_FALSE(joinerC.isCancelled()); // joining does not pass cancellation on

    // An empty handle counts as finished, ignores cancel() and, awaited, lets
    // the joiner go on at once.
    TaskHandle<void> none;
    EXPECT_FALSE(static_cast<bool>(none));
    EXPECT_TRUE(none.isFinished());
    none.cancel();
    auto joinedNone = spawn(executor, joinThenCount(none));
    executor.runUntilIdle();
    EXPECT_EQ(joinedNone.result(), 1);
}

Task<void> setAfter(std::shared_ptr<bool> flag, Duration delay) {
    co_await sleep(delay);
    *flag = true;
}

TEST(TaskTest, DroppingTheHandleDoesNotCancel) {
    ManualExecutor executor;
    auto flag = std::make_shared<bool>(false);
    spawn(executor, setAfter(flag, 5s));
    executor.advanceBy(5s);
    EXPECT_TRUE(*flag);
}

// The frame keeps a copy of the token while it exists.
Task<void> holdToken([[maybe_unused]] std::shared_ptr<int> token, Duration delay) {
    co_await sleep(delay);
}

Task<void> holdTokenAndJoin([[maybe_unused]] std::shared_ptr<int> token, TaskHandle<void> other) {
    co_await other;
}

TEST(TaskTest, FramesAreFreedWhenTasksFinishOrTheExecutorGoes) {
    auto token = std::make_shared<int>(0);
    {
        ManualExecutor executor;
        auto finished = spawn(executor, holdToken(token, 1s));
        executor.advanceBy(1s);
        ASSERT_TRUE(finished.isFinished());
        EXPECT_EQ(token.use_count(), 1) << "a finished task's frame is freed at once, handle or not";

        // Never awaited or spawned.
        {
            Task<void> unused = holdToken(token, 1s);
            EXPECT_EQ(token.use_count(), 2);
        }
        EXPECT_EQ(token.use_count(), 1);

        // Spawned but never started; suspended in a long sleep; two tasks
        // waiting on each other's handles; a cancelled one never run again.
        spawn(executor, holdToken(token, 1s));
        auto sleeping = spawn(executor, holdToken(token, 1h));
        executor.runUntilIdle();
        spawn(executor, holdTokenAndJoin(token, sleeping));
        auto cancelled = spawn(executor, holdToken(token, 1h));
        cancelled.cancel();
        EXPECT_EQ(token.use_count(), 5);
    }
    EXPECT_EQ(token.use_count(), 1);
}

// Parks the task until the test resumes or drops its continuation.
struct Parking {
    Continuation continuation;
};
struct Park {
    std::shared_ptr<Parking> parking;
    bool await_ready() const noexcept { return false; }
    template <typename P> void await_suspend(std::coroutine_handle<P> self) {
        parking->continuation = Continuation::of(self);
    }
    void await_resume() const noexcept {}
};

Task<int> parkThenAnswer([[maybe_unused]] std::shared_ptr<int> token, std::shared_ptr<Parking> parking) {
    Park park{std::move(parking)}; // not a temporary in the co_await: g++ 12 would destroy it twice
    co_await park;
    co_return 42;
}

Task<int> joinAndAdd([[maybe_unused]] std::shared_ptr<int> token, TaskHandle<int> other) {
    auto value = co_await other;
    co_return value + 1;
}

TEST(TaskTest, AnOrphanedTaskFreesItselfAndItsJoinerWhileTheExecutorLives) {
    ManualExecutor executor;
    auto token = std::make_shared<int>(0);
    auto parking = std::make_shared<Parking>();
    {
        auto joined = spawn(executor, parkThenAnswer(token, parking));
        spawn(executor, joinAndAdd(token, joined));
    }
    executor.runUntilIdle();
    EXPECT_EQ(token.use_count(), 3) << "both frames wait";

    // Nothing can resume the parked task any more: it and the task joining it
    // are gone at once, not when the executor goes.
    parking->continuation = Continuation();
    executor.runUntilIdle();
    EXPECT_EQ(token.use_count(), 1);

    // Resumed instead, the joined task finishes and the joiner reads its value,
    // handles or not.
    auto joined = spawn(executor, parkThenAnswer(token, parking));
    auto joiner = spawn(executor, joinAndAdd(token, joined));
    joined = {};
    executor.runUntilIdle();
    std::move(parking->continuation).resume();
    executor.runUntilIdle();
    EXPECT_EQ(joiner.result(), 43);
    EXPECT_EQ(token.use_count(), 1);
}

Task<void> failDeepInside() {
    throw std::runtime_error("the layout file vanished");
    co_return;
}

Task<void> awaitFailure() {
    co_await failDeepInside();
}

TEST(TaskDeathTest, AnExceptionLeavingANamedTaskWritesAFaultLineAndEndsTheProcess) {
    EXPECT_DEATH(
        {
            ManualExecutor executor;
            spawn(executor, awaitFailure(), "layout refresh");
            executor.runUntilIdle();
        },
        "fault: the task \"layout refresh\" ended with an uncaught exception: the layout file vanished");
    EXPECT_DEATH(
        {
            ManualExecutor executor;
            spawn(executor, awaitFailure());
            executor.runUntilIdle();
        },
        "fault: the task \"\\(unnamed\\)\"");
}

TEST(TaskTest, HandlesMayOutliveTheirExecutor) {
    TaskHandle<void> handle;
    {
        ManualExecutor executor;
        handle = spawn(executor, holdToken(std::make_shared<int>(0), 1h));
        executor.runUntilIdle();
    }
    EXPECT_FALSE(handle.isFinished());
    handle.cancel(); // the task is gone; nothing happens
}

} // namespace
} // namespace PELLACOR_TEST_FILE
