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

} // namespace pellacor::testing
