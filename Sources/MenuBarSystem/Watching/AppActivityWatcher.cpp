#include "MenuBarSystem/Watching/AppActivityWatcher.h"

#include "MenuBarSystem/Support/MainQueue.h"
#include "Platform/NotificationNames.h"

#include <utility>
#include <vector>

namespace pellacor::system {

std::shared_ptr<AppActivityWatcher> AppActivityWatcher::create(std::shared_ptr<platform::Workspace> workspace,
                                                               concurrency::MainExecutor& executor) {
    return std::shared_ptr<AppActivityWatcher>(new AppActivityWatcher(std::move(workspace), executor));
}

AppActivityWatcher::AppActivityWatcher(std::shared_ptr<platform::Workspace> workspace,
                                       concurrency::MainExecutor& executor)
    : workspace_(std::move(workspace)), executor_(executor),
      mainQueue_(std::make_shared<MainQueue>(executor)) {}

AppActivityWatcher::~AppActivityWatcher() {
    stop();
}

void AppActivityWatcher::start(EventHandler onEvent) {
    if (onEvent_ || !onEvent) {
        return;
    }
    onEvent_ = std::move(onEvent);
    known_ = snapshot();

    std::weak_ptr<AppActivityWatcher> weak = weak_from_this();
    concurrency::MainExecutor* executor = &executor_;
    // The list may change on any thread; the comparison runs on the main thread.
    runningObservation_ = workspace_->observeRunningApplications([weak, executor] {
        executor->postFromAnyThread([weak] {
            if (auto self = weak.lock()) {
                self->diff();
            }
        });
    });
    activationCenter_ = workspace_->notificationCenter();
    activationObserver_ = activationCenter_->addObserver(
        std::string(platform::NotificationNames::workspaceDidActivateApplication), mainQueue_,
        [weak](const platform::NotificationCenter::Notification& notification) {
            if (auto self = weak.lock()) {
                self->activated(notification);
            }
        });
}

std::set<std::string> AppActivityWatcher::runningBundleIDs() const {
    std::set<std::string> result;
    for (const auto& [pid, bundleID] : known_) {
        result.insert(bundleID);
    }
    return result;
}

void AppActivityWatcher::stop() {
    if (runningObservation_) {
        runningObservation_->invalidate();
        runningObservation_.reset();
    }
    if (activationObserver_) {
        activationCenter_->removeObserver(*activationObserver_);
        activationObserver_.reset();
        activationCenter_.reset();
    }
    onEvent_ = nullptr;
    known_.clear();
    ++session_;
}

AppActivityWatcher::Snapshot AppActivityWatcher::snapshot() const {
    Snapshot result;
    for (const auto& app : workspace_->runningApplications()) {
        if (app.bundleIdentifier) {
            result.insert_or_assign(app.processIdentifier, *app.bundleIdentifier);
        }
    }
    return result;
}

void AppActivityWatcher::diff() {
    if (!onEvent_) {
        return;
    }
    Snapshot now = snapshot();
    std::vector<AppActivity> events;
    // Terminations first, then launches; each group in process-identifier order,
    // so that one change always gives the same sequence.
    for (const auto& [pid, bundleID] : known_) {
        auto it = now.find(pid);
        if (it == now.end() || it->second != bundleID) {
            events.push_back(AppActivity::terminated(bundleID));
        }
    }
    for (const auto& [pid, bundleID] : now) {
        auto it = known_.find(pid);
        if (it == known_.end() || it->second != bundleID) {
            events.push_back(AppActivity::launched(bundleID));
        }
    }
    known_ = std::move(now);

    // A handler may stop the watcher, and start it again with a fresh snapshot
    // that already holds these changes; the rest of the events then go nowhere.
    const std::uint64_t session = session_;
    for (const auto& event : events) {
        if (session_ != session || !onEvent_) {
            return;
        }
        EventHandler handler = onEvent_;
        handler(event);
    }
}

void AppActivityWatcher::activated(const platform::NotificationCenter::Notification& notification) {
    if (!notification.application || !notification.application->bundleIdentifier || !onEvent_) {
        return;
    }
    EventHandler handler = onEvent_;
    handler(AppActivity::activated(*notification.application->bundleIdentifier));
}

} // namespace pellacor::system
