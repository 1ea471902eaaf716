#include "Trayvane/Settings/AppLookup.h"

#include <string_view>

namespace pellacor::app {

AppLookup::AppLookup(std::shared_ptr<const platform::Workspace> workspace,
                     std::shared_ptr<const platform::FileManager> fileManager)
    : workspace_(std::move(workspace)), fileManager_(std::move(fileManager)) {}

std::string AppLookup::name(const std::string& bundleID) {
    if (const auto cached = names_.find(bundleID); cached != names_.end()) {
        return cached->second;
    }
    if (workspace_) {
        // Only the first running instance counts, as the system lists them.
        for (const auto& app : workspace_->runningApplications()) {
            if (app.bundleIdentifier != bundleID) {
                continue;
            }
            if (!app.localizedName.empty()) {
                names_.emplace(bundleID, app.localizedName);
                return app.localizedName;
            }
            break;
        }
    }
    const auto location = workspace_ ? workspace_->urlForApplication(bundleID) : std::nullopt;
    if (!location) {
        return bundleID; // not cached: it may be installed later
    }
    std::string display = fileManager_ ? fileManager_->displayName(*location) : std::string();
    constexpr std::string_view suffix = ".app";
    if (display.ends_with(suffix)) {
        display.erase(display.size() - suffix.size());
    }
    if (display.empty()) {
        display = bundleID; // a bundle named ".app" would leave a blank label
    }
    names_.emplace(bundleID, display);
    return display;
}

} // namespace pellacor::app
