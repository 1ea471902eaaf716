#include "Concurrency/Promise.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/TaskHandle.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <thread>

using namespace pellacor::concurrency;

namespace {

struct Resumed {
    int count = 0;
    std::thread::id thread;
};

Task<std::string> awaitValue(Future<std::string> future, std::shared_ptr<Resumed> resumed) {
    auto value = co_await std::move(future);
    ++resumed->count;
    resumed->thread = std::this_thread::get_id();
    co_return value;
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
    co_await std::move(future);
    co_return 1;
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

TEST_F(PromiseTest, ATaskWaitingOnAnAbandonedPromiseIsFreed) {
    {
        std::optional<Promise<std::string>> promise(std::in_place);
        spawn(executor, awaitValue(promise->future(), resumed));
        executor.runUntilIdle();
        std::thread([p = std::move(promise)]() mutable { p.reset(); }).join();
    }
    executor.runUntilIdle();
    EXPECT_EQ(resumed->count, 0);
    EXPECT_EQ(resumed.use_count(), 1) << "the waiting frame was destroyed";
}

} // namespace
