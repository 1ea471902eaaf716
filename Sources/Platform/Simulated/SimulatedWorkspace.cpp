#include "Platform/Simulated/SimulatedWorkspace.h"

#include "Platform/NotificationNames.h"
#include "Platform/Simulated/SimulatedDesktop.h"
#include "Platform/Simulated/SimulatedIcons.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace pellacor::platform {

namespace {

Workspace::RunningApplication runningApplication(const SimulatedApplication& app) {
    Workspace::RunningApplication result;
    result.processIdentifier = app.processIdentifier;
    result.bundleIdentifier = app.bundleIdentifier;
    result.localizedName = app.localizedName;
    if (!app.bundlePath.empty()) {
        result.bundlePath = app.bundlePath;
    }
    switch (app.activationPolicy) {
    case SimulatedApplication::ActivationPolicy::regular:
        result.activationPolicy = Workspace::ActivationPolicy::regular;
        break;
    case SimulatedApplication::ActivationPolicy::accessory:
        result.activationPolicy = Workspace::ActivationPolicy::accessory;
        break;
    case SimulatedApplication::ActivationPolicy::prohibited:
        result.activationPolicy = Workspace::ActivationPolicy::prohibited;
        break;
    }
    result.isActive = app.isActive;
    return result;
}

} // namespace

class SimulatedWorkspace::Observation final : public Workspace::KeyValueObservation {
public:
    Observation(std::weak_ptr<SimulatedWorkspace> workspace, std::uint64_t id)
        : workspace_(std::move(workspace)), id_(id) {}
    ~Observation() override { invalidate(); }
    Observation(const Observation&) = delete;
    Observation& operator=(const Observation&) = delete;

    void invalidate() override {
        if (!valid_) {
            return;
        }
        valid_ = false;
        if (auto workspace = workspace_.lock()) {
            workspace->removeRunningObserver(id_);
        }
    }

private:
    std::weak_ptr<SimulatedWorkspace> workspace_;
    std::uint64_t id_;
    bool valid_ = true;
};

std::shared_ptr<SimulatedWorkspace>
SimulatedWorkspace::create(std::shared_ptr<SimulatedDesktop> desktop,
                           std::shared_ptr<SimulatedNotificationCenter> center) {
    if (!center) {
        center = std::make_shared<SimulatedNotificationCenter>();
    }
    std::shared_ptr<SimulatedWorkspace> workspace(
        new SimulatedWorkspace(std::move(desktop), std::move(center)));
    std::weak_ptr<SimulatedWorkspace> weak = workspace;
    workspace->desktopObserver_ = workspace->desktop_->addObserver([weak](SimulatedDesktop::Change change) {
        if (change != SimulatedDesktop::Change::applications) {
            return;
        }
        if (auto self = weak.lock()) {
            self->desktopChanged();
        }
    });
    return workspace;
}

SimulatedWorkspace::SimulatedWorkspace(std::shared_ptr<SimulatedDesktop> desktop,
                                       std::shared_ptr<SimulatedNotificationCenter> center)
    : desktop_(std::move(desktop)), center_(std::move(center)), last_(snapshot()) {}

SimulatedWorkspace::~SimulatedWorkspace() {
    desktop_->removeObserver(desktopObserver_);
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        if (thread_.get_id() == std::this_thread::get_id()) {
            thread_.detach();
        } else {
            thread_.join();
        }
    }
}

std::vector<Workspace::RunningApplication> SimulatedWorkspace::runningApplications() const {
    std::vector<RunningApplication> result;
    for (const auto& app : desktop_->runningApplications()) {
        result.push_back(runningApplication(app));
    }
    return result;
}

std::unique_ptr<Workspace::KeyValueObservation>
SimulatedWorkspace::observeRunningApplications(std::function<void()> onChange) {
    std::uint64_t id = 0;
    {
        std::lock_guard lock(mutex_);
        id = nextId_++;
        runningObservers_.emplace(id, std::move(onChange));
    }
    return std::make_unique<Observation>(weak_from_this(), id);
}

std::shared_ptr<NotificationCenter> SimulatedWorkspace::notificationCenter() const {
    return center_;
}

namespace {

// The applications the desktop knows, those running first.
std::vector<SimulatedApplication> runningFirst(const SimulatedDesktop& desktop) {
    std::vector<SimulatedApplication> apps = desktop.applications();
    std::stable_partition(apps.begin(), apps.end(),
                          [](const SimulatedApplication& app) { return app.isRunning; });
    return apps;
}

} // namespace

std::optional<std::string> SimulatedWorkspace::urlForApplication(const std::string& bundleIdentifier) const {
    for (const auto& app : runningFirst(*desktop_)) {
        if (app.bundleIdentifier == bundleIdentifier && !app.bundlePath.empty()) {
            return app.bundlePath;
        }
    }
    return std::nullopt;
}

ApplicationIcon SimulatedWorkspace::iconForFile(const std::string& path) const {
    for (const auto& app : runningFirst(*desktop_)) {
        if (!app.bundlePath.empty() && app.bundlePath == path) {
            return SimulatedIcons::of(app);
        }
    }
    return SimulatedIcons::genericApplication();
}

ApplicationIcon SimulatedWorkspace::iconForApplicationBundleType() const {
    return SimulatedIcons::genericApplication();
}

void SimulatedWorkspace::removeRunningObserver(std::uint64_t id) {
    std::unique_lock lock(mutex_);
    runningObservers_.erase(id);
    if (thread_.get_id() == std::this_thread::get_id()) {
        return; // from within a delivery: waiting would never end
    }
    idle_.wait(lock, [this] { return !delivering_; });
}

std::optional<std::int32_t> SimulatedWorkspace::launch(SimulatedApplication application) {
    application.isRunning = true;
    application.isActive = false;
    if (application.processIdentifier != 0) {
        const std::int32_t pid = application.processIdentifier;
        return desktop_->addApplication(std::move(application)) ? std::optional(pid) : std::nullopt;
    }
    // Another thread may take the identifier first; then try the next one.
    for (;;) {
        std::int32_t highest = 0;
        for (const auto& app : desktop_->applications()) {
            highest = std::max(highest, app.processIdentifier);
        }
        if (highest == std::numeric_limits<std::int32_t>::max()) {
            return std::nullopt;
        }
        application.processIdentifier = highest + 1;
        if (desktop_->addApplication(application)) {
            return application.processIdentifier;
        }
    }
}

std::optional<std::int32_t> SimulatedWorkspace::launch(const std::string& bundleIdentifier) {
    for (const auto& app : desktop_->applications()) {
        if (!app.isRunning && app.bundleIdentifier == bundleIdentifier) {
            if (auto pid = desktop_->launch(app.processIdentifier)) {
                return pid;
            }
        }
    }
    return std::nullopt;
}

bool SimulatedWorkspace::quit(std::int32_t processIdentifier) {
    auto app = desktop_->application(processIdentifier);
    return app && app->isRunning && desktop_->setRunning(processIdentifier, false);
}

bool SimulatedWorkspace::activate(std::int32_t processIdentifier) {
    return desktop_->activate(processIdentifier);
}

bool SimulatedWorkspace::waitForDeliveries(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, timeout, [this] { return pending_.empty() && !delivering_; });
}

std::optional<std::thread::id> SimulatedWorkspace::notificationThread() const {
    std::lock_guard lock(mutex_);
    if (!thread_.joinable()) {
        return std::nullopt;
    }
    return thread_.get_id();
}

SimulatedWorkspace::Snapshot SimulatedWorkspace::snapshot() const {
    Snapshot result;
    for (const auto& app : desktop_->runningApplications()) {
        result.running[app.processIdentifier] = app.bundleIdentifier;
        if (app.isActive) {
            result.active = runningApplication(app);
        }
    }
    return result;
}

void SimulatedWorkspace::desktopChanged() {
    std::lock_guard lock(mutex_);
    // Read under the workspace's lock, so that two changes racing on two
    // threads compare against each other in one order.
    Snapshot now = snapshot();
    const bool runningChanged = now.running != last_.running;
    const bool activated =
        now.active && (!last_.active || last_.active->processIdentifier != now.active->processIdentifier);
    if (runningChanged) {
        enqueueLocked(Delivery{});
    }
    if (activated) {
        enqueueLocked(Delivery{now.active});
    }
    last_ = std::move(now);
}

void SimulatedWorkspace::enqueueLocked(Delivery delivery) {
    if (stopping_) {
        return;
    }
    pending_.push_back(std::move(delivery));
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { deliverLoop(); });
    }
    wake_.notify_one();
}

void SimulatedWorkspace::deliverLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
        if (stopping_) {
            return;
        }
        Delivery delivery = std::move(pending_.front());
        pending_.pop_front();
        std::vector<std::function<void()>> callbacks;
        if (!delivery.activated) {
            for (const auto& [id, callback] : runningObservers_) {
                callbacks.push_back(callback);
            }
        }
        delivering_ = true;
        lock.unlock();

        for (const auto& callback : callbacks) {
            callback();
        }
        if (delivery.activated) {
            center_->post(
                {std::string(NotificationNames::workspaceDidActivateApplication), delivery.activated});
        }
        callbacks.clear();

        lock.lock();
        delivering_ = false;
        idle_.notify_all();
    }
}

} // namespace pellacor::platform
