#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/Time.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace pellacor::system {

// Ends the process when the main thread hangs while items are hidden, because
// the system lifts the menu-bar restriction only when the process ends.
//
// A thread of its own pings the main executor every `interval`; once a ping
// has stayed unanswered for `limit` while a restriction is active, it logs a
// fault and ends the process with exit status 70, without clean-up. Time
// before the restriction took effect never counts: a ping posted while nothing
// was restricted counts from the first cycle that finds a restriction active.
//
// Created once at launch (see `create`) and started once; the thread holds the
// watchdog and lives as long as the process. It shares only the outstanding
// ping (under a mutex held for a copy or a store) with the main thread, and
// reads `isRestricting` without any lock of the main thread's.
class HangWatchdog final : public std::enable_shared_from_this<HangWatchdog> {
public:
    // The main executor must run one ping within this time.
    static constexpr concurrency::Duration limit = std::chrono::seconds(30);
    // Time between two cycles of the watchdog's thread.
    static constexpr concurrency::Duration interval = std::chrono::seconds(2);
    // Exit status of a process the watchdog ended.
    static constexpr int exitStatus = 70;
    // How long ending the process waits for the fault line to be written.
    static constexpr concurrency::Duration faultLogWait = std::chrono::seconds(2);

    // Called from the watchdog's thread; must take no lock the main thread could hold.
    using IsRestricting = std::function<bool()>;
    // Runs a job on the main executor; called from the watchdog's thread.
    using Post = std::function<void(std::function<void()>)>;
    // Ends the process. It never returns in the program; should a test's return,
    // the watchdog's thread ends.
    using Exit = std::function<void()>;
    // Blocks the watchdog's thread for a while.
    using ThreadSleep = std::function<void(concurrency::Duration)>;

    // The ping that has been posted to the main executor and not yet answered.
    struct Sent {
        // On the suspending clock (which stands still while the computer sleeps).
        concurrency::Instant at;
        // Whether a restriction was active when it was posted, or since when it
        // has been found active.
        bool restricting = false;

        bool operator==(const Sent&) const = default;
    };

    // What the watchdog's timing and its effects depend on; tests replace it.
    struct Environment {
        concurrency::Duration limit = HangWatchdog::limit;
        concurrency::Duration interval = HangWatchdog::interval;
        Post post;
        // Unset: log the fault and end the process (`endProcess`).
        Exit exit;
        concurrency::Now now = suspendingClock();
        ThreadSleep sleep = threadSleep();
    };

    // The program's watchdog: pings through the executor, which must outlive the
    // watchdog's thread (the process), and ends the process for real.
    static std::shared_ptr<HangWatchdog> create(IsRestricting isRestricting,
                                                concurrency::MainExecutor& executor);
    static std::shared_ptr<HangWatchdog> create(IsRestricting isRestricting, Environment environment);

    HangWatchdog(const HangWatchdog&) = delete;
    HangWatchdog& operator=(const HangWatchdog&) = delete;

    // Starts the watchdog's thread, named after the bundle identifier followed
    // by ".watchdog"; later calls do nothing.
    void start();
    // Ends the thread at the top of its next cycle. The program never calls
    // it; it lets a test end the thread it started.
    void stop();

    // "<bundle identifier>.watchdog".
    static std::string threadLabel();
    // The fault line: the hang, with the whole seconds of the limit.
    static std::string faultMessage(concurrency::Duration limit);
    // Logs the fault line and ends the process at once with status 70, without
    // running clean-up. The line is written on a thread of its own and waited
    // for at most `logWait`, so that a main thread that hung inside the log
    // cannot keep the process (and the restriction) alive.
    [[noreturn]] static void endProcess(concurrency::Duration limit,
                                        concurrency::Duration logWait = faultLogWait);

    // Readings of the clock that stands still while the computer sleeps.
    static concurrency::Now suspendingClock();
    // The calling thread's own sleep.
    static ThreadSleep threadSleep();
    // Posts to the executor from any thread.
    static Post postTo(concurrency::MainExecutor& executor);

private:
    HangWatchdog(IsRestricting isRestricting, Environment environment);

    void loop();
    // One cycle after the sleep; false once the process was to end.
    bool check();

    const IsRestricting isRestricting_;
    const Environment environment_;
    mutable std::mutex sentMutex_;
    std::optional<Sent> sent_;
    std::atomic<bool> stopped_{false};
    std::atomic<bool> started_{false};
};

} // namespace pellacor::system
