#pragma once

#include "Concurrency/MainExecutor.h"
#include "MenuBarSystem/Watching/AppActivityWatching.h"
#include "Platform/DispatchQueue.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Workspace.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace pellacor::system {

// Turns the workspace's changing list of running applications into launch and
// termination events by comparing snapshots (process identifier to bundle
// identifier), and passes on the activation notifications of the workspace's
// center.
//
// Main thread only. A change of the list may be reported on any thread; the
// watcher only hops to the main executor there and compares on the main
// thread. Both callbacks hold the watcher weakly, so it is held by a shared
// pointer (see `create`) and never keeps itself alive.
class AppActivityWatcher final : public AppActivityWatching,
                                 public std::enable_shared_from_this<AppActivityWatcher> {
public:
    static std::shared_ptr<AppActivityWatcher> create(std::shared_ptr<platform::Workspace> workspace,
                                                      concurrency::MainExecutor& executor);
    ~AppActivityWatcher() override;
    AppActivityWatcher(const AppActivityWatcher&) = delete;
    AppActivityWatcher& operator=(const AppActivityWatcher&) = delete;

    void start(EventHandler onEvent) override;
    std::set<std::string> runningBundleIDs() const override;
    void stop() override;

private:
    using Snapshot = std::map<std::int32_t, std::string>;

    AppActivityWatcher(std::shared_ptr<platform::Workspace> workspace, concurrency::MainExecutor& executor);

    Snapshot snapshot() const;
    void diff();
    void activated(const platform::NotificationCenter::Notification& notification);

    const std::shared_ptr<platform::Workspace> workspace_;
    concurrency::MainExecutor& executor_;
    const std::shared_ptr<platform::DispatchQueue> mainQueue_;

    std::unique_ptr<platform::Workspace::KeyValueObservation> runningObservation_;
    // The workspace's center, and the activation observation there.
    std::shared_ptr<platform::NotificationCenter> activationCenter_;
    std::optional<platform::NotificationCenter::ObservationToken> activationObserver_;
    // The last snapshot of the running applications.
    Snapshot known_;
    EventHandler onEvent_;
    // Counts the stops, so that a diff in progress notices one made by a handler.
    std::uint64_t session_ = 0;
};

} // namespace pellacor::system
