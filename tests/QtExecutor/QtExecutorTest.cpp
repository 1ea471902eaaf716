#include "Concurrency/Qt/QtExecutor.h"

#include "Concurrency/SerialQueue.h"
#include "Concurrency/Sleep.h"
#include "Concurrency/TaskHandle.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <pthread.h>
#include <string>
#include <thread>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace std::chrono_literals;
using namespace pellacor::concurrency;

namespace {

class QtExecutorTest : public ::testing::Test {
protected:
    // Runs the Qt event loop until condition() holds, for at most timeout.
    bool spinUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 30s) {
        QElapsedTimer elapsed;
        elapsed.start();
        while (!condition()) {
            if (elapsed.elapsed() > timeout.count()) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
        }
        return true;
    }

    int argc = 1;
    char name[8] = "tests";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
    QtExecutor executor;
};

TEST_F(QtExecutorTest, PostsRunInOrderOnTheEventLoopThreadFromAnyThread) {
    std::vector<std::string> log;
    std::vector<std::thread::id> threads;
    executor.post([&] {
        log.push_back("a");
        executor.post([&] { log.push_back("c"); });
    });
    executor.post([&] { log.push_back("b"); });
    EXPECT_TRUE(log.empty()) << "never inline";
    ASSERT_TRUE(spinUntil([&] { return log.size() == 3; }));
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c"}));

    std::thread poster([&] {
        for (int i = 0; i < 3; ++i) {
            executor.postFromAnyThread([&] { threads.push_back(std::this_thread::get_id()); });
        }
    });
    ASSERT_TRUE(spinUntil([&] { return threads.size() == 3; }));
    poster.join();
    EXPECT_EQ(threads, std::vector<std::thread::id>(3, std::this_thread::get_id()));
}

TEST_F(QtExecutorTest, TimersFireInDeadlineOrderTiesInOrderAndNotEarly) {
    std::vector<std::string> log;
    std::vector<bool> onTime;
    const Instant base = executor.now();
    auto note = [&](std::string name, Instant deadline) {
        return [&, name, deadline] {
            log.push_back(name);
            onTime.push_back(executor.now() >= deadline);
        };
    };
    executor.postAt(base + 6ms, note("late", base + 6ms));
    executor.postAt(base + 2ms, note("tie-1", base + 2ms));
    executor.postAt(base + 2ms, note("tie-2", base + 2ms));
    TimerId cancelled = executor.postAt(base + 1ms, note("cancelled", base + 1ms));
    executor.postAt(base + 4ms, note("middle", base + 4ms));
    executor.cancelTimer(cancelled);

    ASSERT_TRUE(spinUntil([&] { return log.size() == 4; }));
    EXPECT_EQ(log, (std::vector<std::string>{"tie-1", "tie-2", "middle", "late"}));
    EXPECT_EQ(onTime, std::vector<bool>(4, true));
    EXPECT_GT(executor.now(), base);
}

// The one Qt timer follows the earliest deadline: a nearer timer set after a
// far one, or left when the nearer one is cancelled, still fires in time (were
// the timer left on the hour, the wait below would give up), and work a timer
// posts runs before the next timer due at the same moment.
TEST_F(QtExecutorTest, TheOneTimerFollowsTheEarliestDeadlineAndPostedWorkRunsBetweenTimers) {
    std::vector<std::string> log;
    const Instant base = executor.now();
    executor.postAt(base + 1h, [&] { log.push_back("hour"); });
    TimerId dropped = executor.postAt(base + 1ms, [&] { log.push_back("dropped"); });
    executor.postAt(base + 30min, [&] { log.push_back("half-hour"); });
    executor.postAt(base + 3ms, [&] {
        log.push_back("first");
        executor.post([&] { log.push_back("posted-by-first"); });
    });
    executor.postAt(base + 3ms, [&] { log.push_back("tie"); });
    executor.cancelTimer(dropped);

    ASSERT_TRUE(spinUntil([&] { return log.size() == 3; }));
    EXPECT_EQ(log, (std::vector<std::string>{"first", "posted-by-first", "tie"}));
}

std::string currentThreadName() {
    char name[16] = {};
    pthread_getname_np(pthread_self(), name, sizeof name);
    return name;
}

struct Trace {
    std::thread::id queueThread;
    std::string queueThreadName;
    std::vector<std::thread::id> resumedOn;
};

Task<int> sleepThenQueue(SerialQueue* queue, std::shared_ptr<Trace> trace) {
    co_await sleep(2ms);
    trace->resumedOn.push_back(std::this_thread::get_id());
    auto job = [trace] {
        trace->queueThread = std::this_thread::get_id();
        trace->queueThreadName = currentThreadName();
        return 41;
    };
    auto value = co_await queue->run(std::move(job));
    trace->resumedOn.push_back(std::this_thread::get_id());
    co_return value + 1;
}

TEST_F(QtExecutorTest, TasksSleepAndAwaitQueuesAndResumeOnTheEventLoopThread) {
    SerialQueue queue("app.trayvane.pellacor.item-presser");
    auto trace = std::make_shared<Trace>();
    auto task = spawn(executor, sleepThenQueue(&queue, trace));
    ASSERT_TRUE(spinUntil([&] { return task.isFinished(); }));
    EXPECT_EQ(task.result(), 42);
    EXPECT_NE(trace->queueThread, std::this_thread::get_id());
    EXPECT_EQ(trace->queueThreadName, "or.item-presser");
    EXPECT_EQ(trace->resumedOn, std::vector<std::thread::id>(2, std::this_thread::get_id()));
}

Task<void> sleepLong([[maybe_unused]] std::shared_ptr<int> token) {
    co_await sleep(1h);
}

TEST_F(QtExecutorTest, CancelWakesASleepingTaskAndUnfinishedTasksGoWithTheExecutor) {
    auto token = std::make_shared<int>(0);
    auto cancelled = spawn(executor, sleepLong(token));
    spawn(executor, sleepLong(token));
    ASSERT_TRUE(spinUntil([&] { return token.use_count() == 3; }));
    cancelled.cancel();
    ASSERT_TRUE(spinUntil([&] { return cancelled.isFinished(); }));
    EXPECT_EQ(token.use_count(), 2);
    {
        QtExecutor second;
        spawn(second, sleepLong(token));
        EXPECT_EQ(token.use_count(), 3);
    }
    EXPECT_EQ(token.use_count(), 2) << "the second executor destroyed its task";
}

} // namespace
} // namespace PELLACOR_TEST_FILE
