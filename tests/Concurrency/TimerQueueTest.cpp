#include "Concurrency/ManualTimerQueue.h"
#include "Concurrency/QueueTimer.h"
#include "Concurrency/SerialQueue.h"
#include "Concurrency/ThreadTimerQueue.h"

#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::concurrency;
using namespace std::chrono_literals;

namespace {

Instant at(Duration d) {
    return Instant(d);
}

TEST(ManualTimerQueueTest, RunsJobsAtTheirDeadlinesInOrderWithTiesInQueueOrder) {
    auto queue = std::make_shared<ManualTimerQueue>();
    std::vector<std::pair<std::string, Duration>> ran;
    auto note = [&](std::string name) {
        return [&ran, queue, name] { ran.emplace_back(name, queue->now().time_since_epoch()); };
    };
    queue->asyncAt(at(30ms), note("c"));
    queue->asyncAt(at(10ms), note("a"));
    queue->asyncAt(at(30ms), note("d"));
    queue->asyncAt(at(10ms), [&, note] {
        note("b")();
        // Queued by a job: due at once, so it runs before later deadlines.
        queue->async(note("b2"));
        queue->asyncAt(at(20ms), note("b3"));
    });

    EXPECT_EQ(queue->runUntilIdle(), 0U) << "nothing is due at the start";
    EXPECT_EQ(queue->advanceTo(at(25ms)), 4U);
    EXPECT_EQ(queue->now(), at(25ms));
    EXPECT_EQ(queue->nextDeadline(), at(30ms));
    queue->advanceBy(1s);
    const std::vector<std::pair<std::string, Duration>> expected{{"a", 10ms},  {"b", 10ms}, {"b2", 10ms},
                                                                 {"b3", 20ms}, {"c", 30ms}, {"d", 30ms}};
    EXPECT_EQ(ran, expected) << "each job runs with the clock at its own deadline";
    EXPECT_EQ(queue->now(), at(1025ms));
    EXPECT_EQ(queue->pendingCount(), 0U);
}

struct QueueTimerTest : ::testing::Test {
    std::shared_ptr<ManualTimerQueue> queue = std::make_shared<ManualTimerQueue>();
    std::vector<Duration> ticks;

    Job noteTick() {
        return [this] { ticks.push_back(queue->now().time_since_epoch()); };
    }
};

TEST_F(QueueTimerTest, TicksFromItsStartEveryIntervalOnlyOnceResumed) {
    auto timer = QueueTimer::create(queue);
    timer->schedule(at(40ms), 40ms, 10ms);
    timer->setEventHandler(noteTick());
    queue->advanceBy(200ms);
    EXPECT_TRUE(ticks.empty()) << "a timer starts suspended";

    timer->resume();
    timer->resume();
    queue->advanceBy(130ms);
    // The first deadline (40 ms) had passed before the resume: it fires at once,
    // and the schedule then goes on from the first deadline still ahead.
    EXPECT_EQ(ticks, (std::vector<Duration>{200ms, 240ms, 280ms, 320ms}));
    EXPECT_EQ(timer->interval(), 40ms);
    EXPECT_EQ(timer->leeway(), 10ms);
}

TEST_F(QueueTimerTest, CancellingStopsTheTicksAndDropsTheHandlerEvenWhenTheHandleIsGone) {
    auto held = std::make_shared<int>(7);
    std::weak_ptr<int> watch = held;
    auto timer = QueueTimer::create(queue);
    timer->schedule(at(40ms), 40ms, 0ms);
    timer->setEventHandler([this, held] { ticks.push_back(queue->now().time_since_epoch()); });
    held.reset();
    timer->resume();
    std::weak_ptr<QueueTimer> weakTimer = timer;
    timer.reset();

    queue->advanceBy(100ms);
    EXPECT_EQ(ticks, (std::vector<Duration>{40ms, 80ms})) << "letting go of the handle does not stop it";
    ASSERT_FALSE(weakTimer.expired()) << "the pending tick keeps it";

    weakTimer.lock()->cancel();
    EXPECT_TRUE(watch.expired()) << "cancelling lets go of what the handler held";
    queue->advanceBy(1s);
    EXPECT_EQ(ticks.size(), 2U);
    EXPECT_TRUE(weakTimer.expired()) << "nothing keeps a cancelled timer once its tick has passed";
    EXPECT_EQ(queue->pendingCount(), 0U);
}

TEST_F(QueueTimerTest, AHandlerCanCancelItsOwnTimer) {
    auto timer = QueueTimer::create(queue);
    timer->schedule(at(10ms), 10ms, 0ms);
    timer->setEventHandler([this, raw = timer.get()] {
        ticks.push_back(queue->now().time_since_epoch());
        if (ticks.size() == 3) {
            raw->cancel();
        }
    });
    timer->resume();
    queue->advanceBy(100ms);
    EXPECT_EQ(ticks, (std::vector<Duration>{10ms, 20ms, 30ms}));
    EXPECT_TRUE(timer->isCancelled());
}

TEST_F(QueueTimerTest, ANewScheduleReplacesTheOldOneAndAZeroIntervalFiresOnce) {
    auto timer = QueueTimer::create(queue);
    timer->schedule(at(40ms), 40ms, 0ms);
    timer->setEventHandler(noteTick());
    timer->resume();
    queue->advanceBy(50ms);
    timer->schedule(at(65ms), Duration::zero(), 0ms);
    queue->advanceBy(1s);
    EXPECT_EQ(ticks, (std::vector<Duration>{40ms, 65ms}))
        << "the tick due at 80 ms belonged to the old schedule";
}

TEST_F(QueueTimerTest, TicksNoMoreOnceItsQueueIsGone) {
    auto timer = QueueTimer::create(queue);
    timer->schedule(at(40ms), 40ms, 0ms);
    timer->setEventHandler(noteTick());
    queue.reset();
    timer->resume();
    EXPECT_FALSE(timer->isCancelled());
    EXPECT_TRUE(ticks.empty());
}

// A few real milliseconds: the thread, its name and real deadlines.
TEST(ThreadTimerQueueTest, RunsJobsOnItsNamedThreadByDeadline) {
    ThreadTimerQueue queue("app.trayvane.pellacor.timer-test");
    std::mutex mutex;
    std::condition_variable done;
    std::vector<std::string> ran;
    std::string threadName;
    auto note = [&](std::string name) {
        return [&, name] {
            char buffer[16] = {};
            pthread_getname_np(pthread_self(), buffer, sizeof buffer);
            std::lock_guard lock(mutex);
            ran.push_back(name);
            threadName = buffer;
            done.notify_all();
        };
    };
    // Queued before the clock is read, so that "now" is due before the others
    // however slowly this thread gets to them.
    queue.async(note("now"));
    const Instant start = queue.now();
    queue.asyncAt(start + 6ms, note("late"));
    queue.asyncAt(start + 2ms, note("early"));

    std::unique_lock lock(mutex);
    ASSERT_TRUE(done.wait_for(lock, 30s, [&] { return ran.size() == 3; }));
    EXPECT_EQ(ran, (std::vector<std::string>{"now", "early", "late"}));
    EXPECT_EQ(threadName, SerialQueue::threadName(queue.label()));
    EXPECT_GE(queue.now() - start, 6ms);
}

TEST(ThreadTimerQueueTest, DestroyingDropsWhatHasNotRunAndMayHappenInItsOwnJob) {
    auto kept = std::make_shared<int>(1);
    std::weak_ptr<int> watch = kept;
    {
        ThreadTimerQueue queue("drop-test");
        queue.asyncAt(queue.now() + 1h, [kept] {});
    }
    kept.reset();
    EXPECT_TRUE(watch.expired()) << "a job that never ran is let go";

    auto queue = std::make_shared<ThreadTimerQueue>("self-test");
    std::mutex mutex;
    std::condition_variable changed;
    bool released = false;
    bool destroyed = false;
    queue->async([&, owner = std::make_shared<std::shared_ptr<ThreadTimerQueue>>(queue)] {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return released; });
        lock.unlock();
        // The last owner lets go on the queue's own thread.
        owner->reset();
        lock.lock();
        destroyed = true;
        changed.notify_all();
    });
    queue.reset();
    std::unique_lock lock(mutex);
    released = true;
    changed.notify_all();
    EXPECT_TRUE(changed.wait_for(lock, 30s, [&] { return destroyed; }));
}

} // namespace
} // namespace PELLACOR_TEST_FILE
