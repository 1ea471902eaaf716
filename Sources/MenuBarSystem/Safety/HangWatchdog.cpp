#include "MenuBarSystem/Safety/HangWatchdog.h"

#include "Concurrency/SerialQueue.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarCore/Support/Log.h"

#include <condition_variable>
#include <pthread.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

namespace pellacor::system {

std::shared_ptr<HangWatchdog> HangWatchdog::create(IsRestricting isRestricting,
                                                   concurrency::MainExecutor& executor) {
    Environment environment;
    environment.post = postTo(executor);
    return create(std::move(isRestricting), std::move(environment));
}

std::shared_ptr<HangWatchdog> HangWatchdog::create(IsRestricting isRestricting, Environment environment) {
    return std::shared_ptr<HangWatchdog>(new HangWatchdog(std::move(isRestricting), std::move(environment)));
}

HangWatchdog::HangWatchdog(IsRestricting isRestricting, Environment environment)
    : isRestricting_(std::move(isRestricting)), environment_([&] {
          if (!environment.exit) {
              environment.exit = [limit = environment.limit] { endProcess(limit); };
          }
          return std::move(environment);
      }()) {}

void HangWatchdog::start() {
    if (started_.exchange(true)) {
        return;
    }
    std::shared_ptr<HangWatchdog> self = shared_from_this();
    try {
        std::thread thread([self] { self->loop(); });
        // Named before start() returns, so the name is there for the thread's whole life.
        pthread_setname_np(thread.native_handle(),
                           concurrency::SerialQueue::threadName(threadLabel()).c_str());
        thread.detach();
    } catch (const std::system_error& error) {
        core::Log::watchdog().error("見張りのスレッドを始められませんでした（{}）", error.what());
    }
}

void HangWatchdog::stop() {
    stopped_.store(true);
}

void HangWatchdog::loop() {
    while (!stopped_.load()) {
        environment_.sleep(environment_.interval);
        if (!check()) {
            return;
        }
    }
}

bool HangWatchdog::check() {
    const concurrency::Instant now = environment_.now();
    const bool restricting = isRestricting_();

    bool postNew = false;
    Sent outstanding;
    {
        std::lock_guard lock(sentMutex_);
        if (!sent_) {
            sent_ = Sent{now, restricting};
            postNew = true;
        } else {
            // A ping posted before the restriction took effect counts from now:
            // a main thread that hangs right after it must still be ended.
            if (restricting && !sent_->restricting) {
                sent_ = Sent{now, true};
            }
            outstanding = *sent_;
        }
    }

    if (postNew) {
        std::weak_ptr<HangWatchdog> weak = weak_from_this();
        environment_.post([weak] {
            if (auto self = weak.lock()) {
                std::lock_guard lock(self->sentMutex_);
                self->sent_.reset();
            }
        });
        return true;
    }
    if (restricting && outstanding.restricting && now - outstanding.at >= environment_.limit) {
        environment_.exit();
        return false;
    }
    return true;
}

std::string HangWatchdog::threadLabel() {
    return std::string(core::bundleIdentifier) + ".watchdog";
}

std::string HangWatchdog::faultMessage(concurrency::Duration limit) {
    return fmt::format("主の処理が {} 秒止まったまま隠しています。終わらせて、macOS に制限を外させます",
                       std::chrono::duration_cast<std::chrono::seconds>(limit).count());
}

void HangWatchdog::endProcess(concurrency::Duration limit, concurrency::Duration logWait) {
    struct Written {
        std::mutex mutex;
        std::condition_variable done;
        bool written = false;
    };
    try {
        auto written = std::make_shared<Written>();
        std::thread([written, limit] {
            // A fault is flushed before the log returns.
            core::Log::watchdog().fault("{}", faultMessage(limit));
            {
                std::lock_guard lock(written->mutex);
                written->written = true;
            }
            written->done.notify_all();
        }).detach();
        std::unique_lock lock(written->mutex);
        written->done.wait_for(lock, logWait, [&] { return written->written; });
    } catch (...) {
        // Without a thread for the line, ending the process matters more than the line.
    }
    _exit(exitStatus);
}

concurrency::Now HangWatchdog::suspendingClock() {
    // CLOCK_MONOTONIC, which does not advance while the computer is suspended.
    return [] {
        return concurrency::Instant(std::chrono::duration_cast<concurrency::Duration>(
            std::chrono::steady_clock::now().time_since_epoch()));
    };
}

HangWatchdog::ThreadSleep HangWatchdog::threadSleep() {
    return [](concurrency::Duration duration) { std::this_thread::sleep_for(duration); };
}

HangWatchdog::Post HangWatchdog::postTo(concurrency::MainExecutor& executor) {
    return [&executor](std::function<void()> job) { executor.postFromAnyThread(std::move(job)); };
}

} // namespace pellacor::system
