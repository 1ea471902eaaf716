#include "MenuBarSystem/Safety/HangWatchdog.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/SerialQueue.h"
#include "Support/ThreadNames.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <string>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using namespace std::chrono_literals;
using concurrency::Duration;
using concurrency::Instant;

namespace {

Instant at(Duration sinceStart) {
    return Instant(sinceStart);
}

// The world the watchdog's thread sees, driven by the test one cycle at a time:
// the thread's sleep parks it until the test lets it go and then moves the
// virtual clock on by the time slept; posted pings queue up until the test, as
// the main thread, runs them; exiting records the time.
class Rig {
public:
    std::atomic<bool> restricting{false};

    HangWatchdog::Environment environment(const std::shared_ptr<Rig>& self) {
        HangWatchdog::Environment environment;
        environment.now = [self] { return self->now(); };
        environment.sleep = [self](Duration duration) { self->sleep(duration); };
        environment.post = [self](std::function<void()> job) {
            std::lock_guard lock(self->mutex_);
            self->pings_.push_back(std::move(job));
            ++self->posted_;
        };
        environment.exit = [self] {
            std::lock_guard lock(self->mutex_);
            self->exitedAt_ = self->now_;
            self->changed_.notify_all();
        };
        return environment;
    }

    // Lets the parked thread run one cycle and waits until it is parked again
    // (or has ended the process).
    void cycle() {
        std::unique_lock lock(mutex_);
        ASSERT_TRUE(changed_.wait_for(lock, 30s, [&] { return parked_ > granted_; })) << "thread not parked";
        ++granted_;
        changed_.notify_all();
        ASSERT_TRUE(changed_.wait_for(lock, 30s, [&] { return parked_ > granted_ || exitedAt_; }))
            << "cycle did not finish";
    }
    // Cycles until the virtual clock reads t or the process was ended; answers
    // every ping after each cycle while the main thread is responsive.
    void runUntil(Duration t, bool mainResponsive) {
        while (now() < at(t) && !exitedAt()) {
            cycle();
            if (mainResponsive) {
                answerPings();
            }
        }
    }
    // The main thread runs what was posted to it.
    void answerPings() {
        std::deque<std::function<void()>> pings;
        {
            std::lock_guard lock(mutex_);
            pings.swap(pings_);
        }
        for (auto& ping : pings) {
            ping();
        }
    }
    // Parked sleeps return at once from now on.
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

    Instant now() const {
        std::lock_guard lock(mutex_);
        return now_;
    }
    // When the process was ended, in seconds of the virtual clock.
    std::optional<double> exitedAt() const {
        std::lock_guard lock(mutex_);
        return exitedAt_ ? std::optional<double>(concurrency::secondsOf(*exitedAt_)) : std::nullopt;
    }
    double seconds() const { return concurrency::secondsOf(now()); }
    int posted() const {
        std::lock_guard lock(mutex_);
        return posted_;
    }
    std::vector<pid_t> sleepingThreads() const {
        std::lock_guard lock(mutex_);
        return threads_;
    }

private:
    void sleep(Duration duration) {
        std::unique_lock lock(mutex_);
        const pid_t thread = static_cast<pid_t>(syscall(SYS_gettid));
        if (std::find(threads_.begin(), threads_.end(), thread) == threads_.end()) {
            threads_.push_back(thread);
        }
        const int ticket = parked_++;
        changed_.notify_all();
        changed_.wait(lock, [&] { return granted_ > ticket || released_; });
        now_ += duration;
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Instant now_{};
    int parked_ = 0;
    int granted_ = 0;
    bool released_ = false;
    std::deque<std::function<void()>> pings_;
    int posted_ = 0;
    std::optional<Instant> exitedAt_;
    std::vector<pid_t> threads_;
};

using pellacor::testing::threadNames;

class HangWatchdogTest : public ::testing::Test {
protected:
    void start() {
        watchdog =
            HangWatchdog::create([rig = rig] { return rig->restricting.load(); }, rig->environment(rig));
        watchdog->start();
    }

    // Ends the thread and waits until it is gone, so that no test leaves one behind.
    void TearDown() override {
        if (!watchdog) {
            return;
        }
        std::weak_ptr<HangWatchdog> weak = watchdog;
        watchdog->stop();
        watchdog.reset();
        rig->release();
        const auto threads = rig->sleepingThreads();
        for (int i = 0; i < 30000; ++i) {
            bool gone = weak.expired();
            for (pid_t thread : threads) {
                gone = gone && !std::filesystem::exists("/proc/self/task/" + std::to_string(thread));
            }
            if (gone) {
                return;
            }
            std::this_thread::sleep_for(1ms);
        }
        ADD_FAILURE() << "the watchdog's thread did not end";
    }

    // The main executor of the test that uses one; it outlives the thread.
    concurrency::ManualExecutor executor;
    std::shared_ptr<Rig> rig = std::make_shared<Rig>();
    std::shared_ptr<HangWatchdog> watchdog;
};

} // namespace

TEST_F(HangWatchdogTest, AMainThreadBlockedWhileRestrictingIsEndedOnceItsPingWaitedTheLimit) {
    // Cycles come every 2 s; the main thread answers after each until it blocks
    // right after the cycle at `blockAfter`.
    for (Duration blockAfter : {Duration(0s), Duration(4s), Duration(10s)}) {
        rig = std::make_shared<Rig>();
        rig->restricting = true;
        start();
        rig->runUntil(blockAfter, true);
        rig->runUntil(blockAfter + 60s, false);

        const auto exitedAt = rig->exitedAt();
        ASSERT_TRUE(exitedAt) << "blocked after " << blockAfter.count();
        // The first ping of the block is posted by the next cycle and has
        // waited exactly the limit 30 s later.
        const double blockedAt = concurrency::secondsOf(at(blockAfter));
        EXPECT_EQ(*exitedAt, blockedAt + 2 + 30);
        EXPECT_GE(*exitedAt - blockedAt, 30);
        EXPECT_LE(*exitedAt - blockedAt, 34);
        TearDown();
    }
}

TEST_F(HangWatchdogTest, ShortBlocksAndBlocksWithoutRestrictionAreNotEnded) {
    rig->restricting = true;
    start();
    // Responsive: every cycle posts a fresh ping, answered at once.
    rig->runUntil(10s, true);
    EXPECT_EQ(rig->posted(), 5);
    // A block whose ping is answered after 28 s of waiting.
    rig->runUntil(40s, false);
    rig->answerPings();
    rig->runUntil(80s, true);
    // A block while nothing is restricted, however long.
    rig->restricting = false;
    rig->runUntil(200s, false);
    EXPECT_EQ(rig->exitedAt(), std::nullopt);
}

TEST_F(HangWatchdogTest, ABlockOnlyCountsWhileARestrictionIsActive) {
    rig->restricting = true;
    start();
    rig->runUntil(2s, true);
    // The ping posted at 4 s under a restriction; the restriction is lifted at
    // 20 s while the main thread stays blocked: nothing to guard then.
    rig->runUntil(20s, false);
    rig->restricting = false;
    rig->runUntil(60s, false);
    EXPECT_EQ(rig->exitedAt(), std::nullopt);
    // Back under a restriction, the ping that has waited since 4 s ends it at once.
    rig->restricting = true;
    rig->cycle();
    EXPECT_EQ(rig->exitedAt(), 62);
}

TEST_F(HangWatchdogTest, APingPostedBeforeTheRestrictionCountsFromTheFirstCycleThatSeesIt) {
    start();
    // Unrestricted and responsive until the cycle at 10 s, whose ping the main
    // thread never answers: a restriction takes effect and the main thread hangs.
    rig->runUntil(8s, true);
    rig->cycle();
    EXPECT_EQ(rig->seconds(), 10);
    rig->restricting = true;
    rig->runUntil(100s, false);
    // The cycle at 12 s first saw the restriction; the 2 s before it never count.
    EXPECT_EQ(rig->exitedAt(), 12 + 30);
}

TEST_F(HangWatchdogTest, ThePingReachesTheMainExecutorAndItsAnswerClearsIt) {
    auto environment = rig->environment(rig);
    environment.post = HangWatchdog::postTo(executor);
    rig->restricting = true;
    watchdog = HangWatchdog::create([rig = rig] { return rig->restricting.load(); }, environment);
    watchdog->start();
    // The executor runs every ping within the limit: no end, however long.
    for (int i = 0; i < 40; ++i) {
        rig->cycle();
        executor.runUntilIdle();
    }
    EXPECT_EQ(rig->exitedAt(), std::nullopt);
    // Without the executor running, the last ping stays outstanding.
    rig->runUntil(rig->now().time_since_epoch() + 40s, false);
    EXPECT_TRUE(rig->exitedAt());
}

TEST_F(HangWatchdogTest, StartingTwiceStartsOneNamedThread) {
    const std::string name = concurrency::SerialQueue::threadName(HangWatchdog::threadLabel());
    EXPECT_EQ(HangWatchdog::threadLabel(), "app.trayvane.pellacor.watchdog");
    EXPECT_EQ(name, "llacor.watchdog");
    const auto namesBefore = threadNames();
    const auto before = std::count(namesBefore.begin(), namesBefore.end(), name);

    start();
    watchdog->start();
    const auto names = threadNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), name), before + 1);

    // The thread holds the watchdog: it keeps watching when every other owner is gone.
    std::weak_ptr<HangWatchdog> weak = watchdog;
    auto keep = watchdog;
    watchdog.reset();
    keep.reset();
    rig->cycle();
    rig->cycle();
    EXPECT_FALSE(weak.expired());
    EXPECT_EQ(rig->sleepingThreads().size(), 1U);
    watchdog = weak.lock();
}

TEST(HangWatchdogMessageTest, TheFaultLineNamesTheLimitInWholeSeconds) {
    EXPECT_EQ(HangWatchdog::faultMessage(HangWatchdog::limit),
              "主の処理が 30 秒止まったまま隠しています。終わらせて、macOS に制限を外させます");
    EXPECT_EQ(HangWatchdog::faultMessage(1999ms),
              "主の処理が 1 秒止まったまま隠しています。終わらせて、macOS に制限を外させます");
}

} // namespace PELLACOR_TEST_FILE
