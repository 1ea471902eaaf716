#include "Concurrency/MainExecutor.h"
#include "Concurrency/ManualExecutor.h"
#include "Concurrency/Sleep.h"
#include "Concurrency/Task.h"
#include "Concurrency/TaskHandle.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace PELLACOR_TEST_FILE {

using namespace std::chrono_literals;
using namespace pellacor::concurrency;

namespace {

// The task pattern of docs/concurrency.md, verbatim.
class Poller : public std::enable_shared_from_this<Poller> {
public:
    Poller(MainExecutor& executor, Sleep sleep, std::function<void()> poll)
        : executor_(executor), sleep_(std::move(sleep)), poll_(std::move(poll)) {}

    void start() {
        if (isShutDown_) {
            return;
        }
        ++generation_; // an older loop dies at its next check
        task_.cancel();
        task_ = spawn(executor_, loop(weak_from_this(), generation_, sleep_));
    }

    void shutdown() {
        isShutDown_ = true;
        ++generation_;
        task_.cancel();
    }

private:
    static Task<void> loop(std::weak_ptr<Poller> weak, std::uint64_t generation, Sleep sleep) {
        for (;;) {
            co_await sleep(2s);
            std::shared_ptr<Poller> self = weak.lock();
            if (!self || isCancelled() || self->isShutDown_ || self->generation_ != generation) {
                co_return;
            }
            self->poll_();
        } // `self` is released here, before the next suspension
    }

    MainExecutor& executor_;
    Sleep sleep_;
    std::function<void()> poll_;
    std::uint64_t generation_ = 0;
    bool isShutDown_ = false;
    TaskHandle<void> task_;
};

class TaskPatternTest : public ::testing::Test {
protected:
    ManualExecutor executor;
    int polls = 0;
    std::shared_ptr<Poller> poller = std::make_shared<Poller>(executor, defaultSleep(), [this] { ++polls; });
};

TEST_F(TaskPatternTest, PollsEveryTwoSecondsWhileStarted) {
    poller->start();
    executor.advanceBy(6s);
    EXPECT_EQ(polls, 3);
    EXPECT_EQ(poller.use_count(), 1) << "the task holds the owner only weakly";
}

TEST_F(TaskPatternTest, RestartLeavesOneLoopAndShutdownEndsIt) {
    poller->start();
    executor.advanceBy(1s);
    poller->start();
    executor.advanceBy(4s);
    EXPECT_EQ(polls, 2) << "only the newer loop polls (at 3 s and 5 s)";

    poller->shutdown();
    poller->start(); // ignored after shutdown
    executor.advanceBy(10s);
    EXPECT_EQ(polls, 2);
    EXPECT_EQ(executor.pendingTimerCount(), 0U);
}

TEST_F(TaskPatternTest, ALoopWhoseOwnerIsGoneEndsAtItsNextCheck) {
    poller->start();
    executor.advanceBy(2s);
    std::weak_ptr<Poller> weak = poller;
    poller.reset();
    EXPECT_TRUE(weak.expired());
    executor.advanceBy(2s);
    EXPECT_EQ(polls, 1);
    EXPECT_EQ(executor.pendingTimerCount(), 0U) << "the loop ended instead of sleeping again";
}

} // namespace
} // namespace PELLACOR_TEST_FILE
