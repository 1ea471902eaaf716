#include "Trayvane/Integrations/RuleRunner.h"

#include "Concurrency/TaskContext.h"

#include <unordered_set>
#include <utility>

namespace pellacor::app {

std::shared_ptr<RuleRunner> RuleRunner::create(std::shared_ptr<system::AppActivityWatching> watcher,
                                               std::shared_ptr<ProfileEditing> editor,
                                               std::string selfBundleID, concurrency::MainExecutor& executor,
                                               std::shared_ptr<const platform::Workspace> workspace,
                                               Frontmost frontmost, concurrency::Sleep sleep) {
    if (!frontmost) {
        frontmost = [workspace = std::move(workspace)]() -> std::optional<std::string> {
            return workspace ? regularFrontmost(*workspace) : std::nullopt;
        };
    }
    if (!sleep) {
        sleep = concurrency::defaultSleep();
    }
    return std::shared_ptr<RuleRunner>(new RuleRunner(std::move(watcher), std::move(editor),
                                                      std::move(selfBundleID), executor, std::move(frontmost),
                                                      std::move(sleep)));
}

RuleRunner::RuleRunner(std::shared_ptr<system::AppActivityWatching> watcher,
                       std::shared_ptr<ProfileEditing> editor, std::string selfBundleID,
                       concurrency::MainExecutor& executor, Frontmost frontmost, concurrency::Sleep sleep)
    : watcher_(std::move(watcher)), editor_(std::move(editor)), frontmost_(std::move(frontmost)),
      selfBundleID_(std::move(selfBundleID)), sleep_(std::move(sleep)), executor_(executor) {}

RuleRunner::~RuleRunner() {
    pending_.cancel();
}

void RuleRunner::start() {
    if (started_) {
        return;
    }
    started_ = true;
    if (watcher_) {
        watcher_->start([weak = weak_from_this()](const system::AppActivity&) {
            // Launches, quits and activations all count alike.
            if (const auto self = weak.lock()) {
                self->schedule();
            }
        });
    }
    evaluateNow();
}

void RuleRunner::stop() {
    pending_.cancel();
    pending_ = {};
    ++generation_;
    if (watcher_) {
        watcher_->stop();
    }
    started_ = false;
}

void RuleRunner::schedule() {
    if (!started_) {
        return;
    }
    pending_.cancel();
    pending_ = concurrency::spawn(executor_, waitThenEvaluate(weak_from_this(), sleep_, generation_),
                                  "rule evaluation");
}

concurrency::Task<void> RuleRunner::waitThenEvaluate(std::weak_ptr<RuleRunner> weak, concurrency::Sleep sleep,
                                                     std::uint64_t generation) {
    co_await sleep(debounce);
    if (concurrency::isCancelled()) {
        co_return;
    }
    const auto self = weak.lock();
    if (!self || self->generation_ != generation) {
        co_return;
    }
    self->evaluateNow();
}

void RuleRunner::evaluateNow() {
    // Let go of a waiting evaluation without cancelling it: it still runs
    // when its quiet time is over, with the facts of that moment.
    pending_ = {};
    const auto ids = watcher_ ? watcher_->runningBundleIDs() : std::set<std::string>{};
    const std::unordered_set<std::string> running(ids.begin(), ids.end());
    // While the program's own window or an accessory is in front, the
    // application in front before it still counts as frontmost.
    if (auto front = frontmost_ ? frontmost_() : std::nullopt; front && *front != selfBundleID_) {
        lastFrontmost_ = std::move(front);
    }
    if (lastFrontmost_ && !running.contains(*lastFrontmost_)) {
        lastFrontmost_.reset();
    }
    if (editor_) {
        const std::optional<std::string> frontmost = lastFrontmost_;
        editor_->edit(false, editLabel, [&running, &frontmost](core::StoredState& state) {
            return state.applyRules(running, frontmost);
        });
    }
}

std::optional<std::string> RuleRunner::regularFrontmost(const platform::Workspace& workspace) {
    for (const auto& app : workspace.runningApplications()) {
        if (!app.isActive || app.isTerminated) {
            continue;
        }
        if (app.activationPolicy != platform::Workspace::ActivationPolicy::regular) {
            return std::nullopt;
        }
        return app.bundleIdentifier;
    }
    return std::nullopt;
}

} // namespace pellacor::app
