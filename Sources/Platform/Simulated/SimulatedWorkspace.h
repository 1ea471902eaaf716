#pragma once

#include "Platform/Simulated/SimulatedApplication.h"
#include "Platform/Simulated/SimulatedNotificationCenter.h"
#include "Platform/Workspace.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace pellacor::platform {

class SimulatedDesktop;

// The shared workspace of the simulated desktop. It watches the desktop and
// turns its changes into the workspace's notifications: a change of the running
// applications (a launch, a quit, a relaunch under a new process identifier)
// reaches the key-value observers on a notification thread of the workspace's
// own, as the real property's changes arrive off the main thread; a new active
// application posts the did-activate notification, naming it, on the
// workspace's center from that thread; the center hands it on to each
// observer's queue. Both kinds travel through one queue, so they keep the
// order of the changes that caused them.
//
// Thread-safe. Invalidating an observation waits for a delivery in progress,
// unless it is called from within one.
class SimulatedWorkspace final : public Workspace, public std::enable_shared_from_this<SimulatedWorkspace> {
public:
    // Posts on `center`, or on a center of its own when none is given.
    static std::shared_ptr<SimulatedWorkspace>
    create(std::shared_ptr<SimulatedDesktop> desktop,
           std::shared_ptr<SimulatedNotificationCenter> center = nullptr);
    ~SimulatedWorkspace() override;
    SimulatedWorkspace(const SimulatedWorkspace&) = delete;
    SimulatedWorkspace& operator=(const SimulatedWorkspace&) = delete;

    std::vector<RunningApplication> runningApplications() const override;
    std::unique_ptr<KeyValueObservation> observeRunningApplications(std::function<void()> onChange) override;
    std::shared_ptr<NotificationCenter> notificationCenter() const override;
    // Every application the desktop knows is installed where its bundle path
    // says (a running one first); one without a bundle path is not.
    std::optional<std::string> urlForApplication(const std::string& bundleIdentifier) const override;
    // The icon of the application installed at `path` (see SimulatedIcons);
    // the simulated disk holds nothing but applications, so any other path
    // shows the generic application icon.
    ApplicationIcon iconForFile(const std::string& path) const override;
    ApplicationIcon iconForApplicationBundleType() const override;

    // Launches a new application. A process identifier of 0 gets a fresh one.
    // The identifier; nothing when it is taken.
    std::optional<std::int32_t> launch(SimulatedApplication application);
    // Launches again a known application with this bundle identifier that is not
    // running, under a fresh process identifier. Nothing when there is none.
    std::optional<std::int32_t> launch(const std::string& bundleIdentifier);
    bool quit(std::int32_t processIdentifier);
    bool activate(std::int32_t processIdentifier);

    // Waits (real time, up to timeout) until every notification already on its
    // way has been delivered or handed to its queue. True when that happened.
    bool waitForDeliveries(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // The notification thread, once it has started.
    std::optional<std::thread::id> notificationThread() const;

private:
    class Observation;

    struct Snapshot {
        std::map<std::int32_t, std::optional<std::string>> running;
        std::optional<RunningApplication> active;
    };
    // One notification on its way: a change of the running applications, or
    // the activation of `activated`.
    struct Delivery {
        std::optional<RunningApplication> activated;
    };
    SimulatedWorkspace(std::shared_ptr<SimulatedDesktop> desktop,
                       std::shared_ptr<SimulatedNotificationCenter> center);

    Snapshot snapshot() const;
    void desktopChanged();
    void removeRunningObserver(std::uint64_t id);
    void enqueueLocked(Delivery delivery);
    void deliverLoop();

    const std::shared_ptr<SimulatedDesktop> desktop_;
    const std::shared_ptr<SimulatedNotificationCenter> center_;
    std::uint64_t desktopObserver_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    Snapshot last_;
    std::map<std::uint64_t, std::function<void()>> runningObservers_;
    std::uint64_t nextId_ = 1;
    std::deque<Delivery> pending_;
    bool delivering_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace pellacor::platform
