#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/Sleep.h"
#include "Concurrency/Task.h"
#include "Concurrency/TaskHandle.h"
#include "MenuBarSystem/Watching/AppActivityWatching.h"
#include "Platform/Workspace.h"
#include "Trayvane/Integrations/ProfileEditing.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pellacor::app {

// Applies the rules of the state document when applications launch, quit or
// come to the front: it waits until they have been quiet for `debounce`, then
// hands the running applications and the last regular frontmost one to the
// document's rules through the profile editor, so a burst of events ends in
// one evaluation. It watches through an activity watcher of its own, so
// starting and stopping it never touches the coordinator's. Main thread only;
// held by a shared pointer (see `create`), and its waiting evaluation holds it
// weakly.
class RuleRunner : public std::enable_shared_from_this<RuleRunner> {
public:
    // The bundle identifier of the frontmost application, or nothing.
    using Frontmost = std::function<std::optional<std::string>()>;

    static constexpr concurrency::Duration debounce = std::chrono::milliseconds(600);
    // The label the editor logs the rules' own switching under.
    static constexpr const char* editLabel = "自動の切り替え";

    // `frontmost` unset: `regularFrontmost` of `workspace`; `sleep` unset: the
    // executor's own sleep.
    static std::shared_ptr<RuleRunner> create(std::shared_ptr<system::AppActivityWatching> watcher,
                                              std::shared_ptr<ProfileEditing> editor,
                                              std::string selfBundleID, concurrency::MainExecutor& executor,
                                              std::shared_ptr<const platform::Workspace> workspace,
                                              Frontmost frontmost = {}, concurrency::Sleep sleep = {});
    RuleRunner(const RuleRunner&) = delete;
    RuleRunner& operator=(const RuleRunner&) = delete;
    ~RuleRunner();

    // Watches the applications and evaluates once; a second call does nothing.
    void start();
    // Stops watching; no evaluation that is waiting, or that an `evaluateNow`
    // left waiting, runs after this. `lastFrontmost` is kept.
    void stop();
    // Applies the rules at once, started or not. A debounced evaluation still
    // waiting runs as well, when its time comes.
    void evaluateNow();

    bool isStarted() const { return started_; }
    const std::optional<std::string>& lastFrontmost() const { return lastFrontmost_; }

    // The frontmost application's bundle identifier when it is a regular
    // application (one with a Dock icon and a menu bar); nothing when no
    // application is in front, or the one in front is an accessory or
    // background process.
    static std::optional<std::string> regularFrontmost(const platform::Workspace& workspace);

private:
    RuleRunner(std::shared_ptr<system::AppActivityWatching> watcher, std::shared_ptr<ProfileEditing> editor,
               std::string selfBundleID, concurrency::MainExecutor& executor, Frontmost frontmost,
               concurrency::Sleep sleep);

    void schedule();
    static concurrency::Task<void> waitThenEvaluate(std::weak_ptr<RuleRunner> weak, concurrency::Sleep sleep,
                                                    std::uint64_t generation);

    const std::shared_ptr<system::AppActivityWatching> watcher_;
    const std::shared_ptr<ProfileEditing> editor_;
    const Frontmost frontmost_;
    const std::string selfBundleID_;
    const concurrency::Sleep sleep_;
    concurrency::MainExecutor& executor_;
    concurrency::TaskHandle<void> pending_;
    std::optional<std::string> lastFrontmost_;
    bool started_ = false;
    // Advanced by every stop: a wait begun before it finds a different number
    // and ends without evaluating, even one nobody holds a handle to any more.
    std::uint64_t generation_ = 0;
};

} // namespace pellacor::app
