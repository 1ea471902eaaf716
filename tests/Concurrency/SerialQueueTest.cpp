#include "Concurrency/SerialQueue.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/OffMain.h"
#include "Concurrency/TaskHandle.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <string>
#include <thread>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::concurrency;

namespace {

std::string currentThreadName() {
    char name[16] = {};
    pthread_getname_np(pthread_self(), name, sizeof name);
    return name;
}

// Threads of this process with the given name.
std::size_t threadsNamed(const std::string& name) {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(entry.path() / "comm");
        std::string line;
        if (std::getline(comm, line) && line == name) {
            ++count;
        }
    }
    return count;
}

TEST(SerialQueueTest, ThreadNamesKeepTheEndOfLongLabels) {
    struct Case {
        std::string label;
        std::string name;
    };
    const std::vector<Case> cases = {
        {"short", "short"},
        {"exactly-15-byte", "exactly-15-byte"},
        {"app.trayvane.pellacor.item-reader", "cor.item-reader"},
        {"app.trayvane.pellacor.item-reader-owner", "em-reader-owner"},
        {"app.trayvane.pellacor.watchdog", "llacor.watchdog"},
        // "ö" is two bytes; a cut through it moves past the whole character.
        {"prefix.ölabel-12345678", "label-12345678"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SerialQueue::threadName(c.label), c.name) << c.label;
        EXPECT_LE(SerialQueue::threadName(c.label).size(), 15U);
    }
}

struct Step {
    std::thread::id thread;
    std::string threadName;
    int value;
};
using Steps = std::shared_ptr<std::vector<Step>>;

Step here(int value) {
    return Step{std::this_thread::get_id(), currentThreadName(), value};
}

Task<int> offMainAndBack(SerialQueue* queue, Steps steps) {
    for (int i = 0; i < 3; ++i) {
        auto offMain = co_await queue->run([i] { return here(i); });
        steps->push_back(offMain);
        steps->push_back(here(-1)); // where the task resumed
    }
    co_await queue->run([] {});
    co_return static_cast<int>(steps->size());
}

TEST(SerialQueueTest, RunsWorkOffMainOnItsNamedThreadAndResumesOnTheExecutor) {
    ManualExecutor executor;
    SerialQueue queue("app.trayvane.pellacor.item-reader");
    auto steps = std::make_shared<std::vector<Step>>();
    auto task = spawn(executor, offMainAndBack(&queue, steps));
    ASSERT_TRUE(executor.runUntil([&] { return task.isFinished(); }));
    EXPECT_EQ(task.result(), 6);

    const auto mainThread = std::this_thread::get_id();
    ASSERT_EQ(steps->size(), 6U);
    for (std::size_t i = 0; i < steps->size(); i += 2) {
        const Step& offMain = (*steps)[i];
        const Step& resumed = (*steps)[i + 1];
        EXPECT_EQ(offMain.value, static_cast<int>(i / 2));
        EXPECT_NE(offMain.thread, mainThread);
        EXPECT_EQ(offMain.thread, (*steps)[0].thread) << "one worker thread";
        EXPECT_EQ(offMain.threadName, "cor.item-reader");
        EXPECT_EQ(resumed.thread, mainThread);
    }
}

TEST(SerialQueueTest, StartsItsThreadOnFirstUseRunsInOrderAndDrainsOnDestruction) {
    std::vector<int> order;
    std::mutex mutex;
    {
        SerialQueue queue("lazy-order");
        EXPECT_EQ(threadsNamed("lazy-order"), 0U);
        std::atomic<bool> release{false};
        queue.async([&] {
            while (!release.load()) {
                std::this_thread::yield();
            }
        });
        EXPECT_EQ(threadsNamed("lazy-order"), 1U);
        for (int i = 0; i < 100; ++i) {
            queue.async([&, i] {
                std::lock_guard lock(mutex);
                order.push_back(i);
            });
        }
        release = true;
    }
    ASSERT_EQ(order.size(), 100U);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
    }
}

Task<void> runInline(std::function<void()> job) {
    job();
    co_return;
}

Task<std::vector<int>> throughRunner(OffMain runner, std::shared_ptr<std::vector<int>> order) {
    std::vector<int> values;
    for (int i = 0; i < 3; ++i) {
        auto work = [order, i] {
            order->push_back(i);
            return i * 10;
        };
        auto value = co_await offMain(runner, std::move(work));
        values.push_back(value);
    }
    auto last = [order] { order->push_back(99); };
    co_await offMain(runner, std::move(last));
    co_return values;
}

TEST(SerialQueueTest, OffMainRunsEachCallThroughItsRunnerAndGivesItsValueBack) {
    ManualExecutor executor;
    auto order = std::make_shared<std::vector<int>>();
    // The program's runner: the calls go to the queue it was given.
    auto queue = std::make_shared<SerialQueue>("off-main");
    auto task = spawn(executor, throughRunner(offMainOn(queue), order));
    ASSERT_TRUE(executor.runUntil([&] { return task.isFinished(); }));
    EXPECT_EQ(task.result(), (std::vector<int>{0, 10, 20}));
    EXPECT_EQ(*order, (std::vector<int>{0, 1, 2, 99}));
    EXPECT_EQ(threadsNamed("off-main"), 1U);

    // A test's runner: the calls run inline on the executor.
    order->clear();
    OffMain inlineRunner = [](std::function<void()> job) { return runInline(std::move(job)); };
    auto inlineTask = spawn(executor, throughRunner(inlineRunner, order));
    executor.runUntilIdle();
    EXPECT_EQ(inlineTask.result(), (std::vector<int>{0, 10, 20}));
}

TEST(SerialQueueTest, RunQueuesItsJobAtOnceWhetherOrNotTheTaskIsAwaited) {
    std::atomic<int> ran{0};
    {
        SerialQueue queue("eager");
        Task<void> unawaited = queue.run([&ran] { ++ran; });
        auto value = queue.run([&ran] { return ++ran; });
    }
    EXPECT_EQ(ran.load(), 2) << "both ran before the queue was gone";
}

} // namespace
} // namespace PELLACOR_TEST_FILE
