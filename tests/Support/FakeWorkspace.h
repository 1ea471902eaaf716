#pragma once

#include "Platform/Simulated/SimulatedNotificationCenter.h"
#include "Platform/Workspace.h"

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace pellacor::testing {

// A workspace a test drives: it answers the running list the test sets,
// reports a change of that list from a thread of its own when asked, and posts
// on a simulated center that the test may replace or post on itself.
class FakeWorkspace final : public platform::Workspace {
public:
    std::vector<RunningApplication> runningApplications() const override;
    std::unique_ptr<KeyValueObservation> observeRunningApplications(std::function<void()> onChange) override;
    std::shared_ptr<platform::NotificationCenter> notificationCenter() const override { return center; }

    void setApps(std::vector<RunningApplication> apps);
    // Sets the list and reports the change from a thread of its own.
    void change(std::vector<RunningApplication> apps);
    // Whether a key-value observation is in force.
    bool isObserved() const;

    std::shared_ptr<platform::SimulatedNotificationCenter> center =
        std::make_shared<platform::SimulatedNotificationCenter>();

private:
    class Observation;

    mutable std::mutex mutex_;
    std::vector<RunningApplication> apps_;
    std::function<void()> onChange_;
};

} // namespace pellacor::testing
