#include "Support/FakeWorkspace.h"

#include <thread>
#include <utility>

namespace pellacor::testing {

class FakeWorkspace::Observation final : public KeyValueObservation {
public:
    explicit Observation(FakeWorkspace& workspace) : workspace_(workspace) {}
    ~Observation() override { invalidate(); }
    Observation(const Observation&) = delete;
    Observation& operator=(const Observation&) = delete;

    void invalidate() override {
        std::lock_guard lock(workspace_.mutex_);
        workspace_.onChange_ = nullptr;
    }

private:
    FakeWorkspace& workspace_;
};

std::vector<platform::Workspace::RunningApplication> FakeWorkspace::runningApplications() const {
    std::lock_guard lock(mutex_);
    return apps_;
}

std::unique_ptr<platform::Workspace::KeyValueObservation>
FakeWorkspace::observeRunningApplications(std::function<void()> onChange) {
    std::lock_guard lock(mutex_);
    onChange_ = std::move(onChange);
    return std::make_unique<Observation>(*this);
}

void FakeWorkspace::setApps(std::vector<RunningApplication> apps) {
    std::lock_guard lock(mutex_);
    apps_ = std::move(apps);
}

void FakeWorkspace::change(std::vector<RunningApplication> apps) {
    setApps(std::move(apps));
    std::thread([this] {
        std::function<void()> onChange;
        {
            std::lock_guard lock(mutex_);
            onChange = onChange_;
        }
        if (onChange) {
            onChange();
        }
    }).join();
}

bool FakeWorkspace::isObserved() const {
    std::lock_guard lock(mutex_);
    return static_cast<bool>(onChange_);
}

std::optional<std::string> FakeWorkspace::urlForApplication(const std::string& bundleIdentifier) const {
    std::lock_guard lock(mutex_);
    ++locationLookups_[bundleIdentifier];
    const auto found = installed_.find(bundleIdentifier);
    return found == installed_.end() ? std::nullopt : std::optional(found->second);
}

platform::ApplicationIcon FakeWorkspace::iconForFile(const std::string& path) const {
    std::lock_guard lock(mutex_);
    const auto found = icons_.find(path);
    return found == icons_.end() ? genericIcon_ : found->second;
}

platform::ApplicationIcon FakeWorkspace::iconForApplicationBundleType() const {
    std::lock_guard lock(mutex_);
    return genericIcon_;
}

void FakeWorkspace::setInstalled(std::map<std::string, std::string> paths) {
    std::lock_guard lock(mutex_);
    installed_ = std::move(paths);
}

void FakeWorkspace::setIcon(const std::string& path, platform::ApplicationIcon icon) {
    std::lock_guard lock(mutex_);
    icons_[path] = std::move(icon);
}

void FakeWorkspace::setGenericIcon(platform::ApplicationIcon icon) {
    std::lock_guard lock(mutex_);
    genericIcon_ = std::move(icon);
}

int FakeWorkspace::locationLookups(const std::string& bundleIdentifier) const {
    std::lock_guard lock(mutex_);
    const auto found = locationLookups_.find(bundleIdentifier);
    return found == locationLookups_.end() ? 0 : found->second;
}

} // namespace pellacor::testing
