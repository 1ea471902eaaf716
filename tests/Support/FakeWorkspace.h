#pragma once

#include "Platform/Simulated/SimulatedNotificationCenter.h"
#include "Platform/Workspace.h"

#include <functional>
#include <map>
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
    // From the installed table; each call is counted.
    std::optional<std::string> urlForApplication(const std::string& bundleIdentifier) const override;
    // The icon set for the path, else the generic one.
    platform::ApplicationIcon iconForFile(const std::string& path) const override;
    platform::ApplicationIcon iconForApplicationBundleType() const override;

    void setApps(std::vector<RunningApplication> apps);
    // Sets the list and reports the change from a thread of its own.
    void change(std::vector<RunningApplication> apps);
    // Whether a key-value observation is in force.
    bool isObserved() const;

    // Where applications are installed (bundle identifier to path), the icons
    // of files (path to icon) and the generic application icon.
    void setInstalled(std::map<std::string, std::string> paths);
    void setIcon(const std::string& path, platform::ApplicationIcon icon);
    void setGenericIcon(platform::ApplicationIcon icon);
    // How often `urlForApplication` was asked about this bundle identifier.
    int locationLookups(const std::string& bundleIdentifier) const;

    std::shared_ptr<platform::SimulatedNotificationCenter> center =
        std::make_shared<platform::SimulatedNotificationCenter>();

private:
    class Observation;

    mutable std::mutex mutex_;
    std::vector<RunningApplication> apps_;
    std::function<void()> onChange_;
    std::map<std::string, std::string> installed_;
    std::map<std::string, platform::ApplicationIcon> icons_;
    platform::ApplicationIcon genericIcon_;
    mutable std::map<std::string, int> locationLookups_;
};

} // namespace pellacor::testing
