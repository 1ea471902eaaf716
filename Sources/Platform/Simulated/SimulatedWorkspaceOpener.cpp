#include "Platform/Simulated/SimulatedWorkspaceOpener.h"

#include "Platform/Simulated/SimulatedDesktop.h"
#include "Platform/Simulated/SimulatedSystemSettings.h"

#include <filesystem>

namespace pellacor::platform {

SimulatedWorkspaceOpener::SimulatedWorkspaceOpener(std::shared_ptr<const SimulatedDesktop> desktop,
                                                   std::shared_ptr<SimulatedSystemSettings> settings)
    : desktop_(std::move(desktop)), settings_(std::move(settings)) {}

void SimulatedWorkspaceOpener::setProgramStarter(ProgramStarter starter) {
    std::lock_guard lock(mutex_);
    starter_ = std::move(starter);
}

bool SimulatedWorkspaceOpener::openURL(const std::string& url) {
    auto page = SimulatedSystemSettings::page(url);
    if (!page) {
        return false;
    }
    settings_->open(std::move(*page));
    return true;
}

namespace {

// A path without "." and ".." steps or a trailing separator.
std::filesystem::path plain(const std::filesystem::path& path) {
    auto normal = path.lexically_normal();
    return normal.has_filename() || !normal.has_parent_path() ? normal : normal.parent_path();
}

} // namespace

void SimulatedWorkspaceOpener::openApplication(const std::string& bundlePath,
                                               const OpenConfiguration& configuration,
                                               Completion completion) {
    std::optional<std::int64_t> error = noSuchApplicationError;
    if (!bundlePath.empty() && plain(bundlePath) == plain(desktop_->ownBundlePath())) {
        // Without a new instance the running program is merely activated.
        error.reset();
        if (configuration.createsNewApplicationInstance) {
            ProgramStarter starter;
            {
                std::lock_guard lock(mutex_);
                starter = starter_;
            }
            error = starter ? starter() : std::optional<std::int64_t>(cannotStartError);
        }
    }
    if (completion) {
        completion(error);
    }
}

} // namespace pellacor::platform
