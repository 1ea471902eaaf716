#pragma once

#include "Platform/Simulated/Scenario.h"
#include "Platform/Simulated/SimulatedPlatform.h"

#include <filesystem>
#include <optional>
#include <string>

namespace pellacor::demo {

// Where the demo desktop keeps the simulated computer between runs: the
// simulated user's home folder ("home", with the menu bar's layout table and the
// program's preference files), the simulated disk ("disk", standing for "/"),
// and the grants the person gave through the controls panel ("desktop.plist").
class DesktopStateFolder {
public:
    static constexpr const char* settingsFileName = "desktop.plist";
    static constexpr const char* accessibilityKey = "AccessibilityTrusted";
    static constexpr const char* layoutFolderKey = "MenuBarContainerGranted";

    explicit DesktopStateFolder(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // "pellacor/desktop" under $XDG_STATE_HOME when it is an absolute path, else
    // under ~/.local/state; nothing without either.
    static std::optional<std::filesystem::path> location();
    static std::optional<std::filesystem::path> location(const std::optional<std::string>& xdgStateHome,
                                                         const std::optional<std::string>& home);

    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path home() const { return folder_ / "home"; }
    std::filesystem::path disk() const { return folder_ / "disk"; }
    std::filesystem::path settingsFile() const { return folder_ / settingsFileName; }

    // Makes the folders and points the scenario at them (unless it names its own
    // home or root), with the grants saved last time. False when a folder cannot be made.
    bool prepare(platform::Scenario& scenario) const;
    // Keeps the grants as they stand now. False when the file cannot be written.
    bool save(const platform::SimulatedPlatform& platform) const;

private:
    std::filesystem::path folder_;
};

} // namespace pellacor::demo
