#pragma once

#include "Platform/PropertyListValue.h"
#include "Platform/Simulated/Scenario.h"
#include "Platform/Simulated/SimulatedPlatform.h"

#include <filesystem>
#include <optional>
#include <string>

namespace pellacor::demo {

// Where the demo desktop keeps the simulated computer between runs: the
// simulated user's home folder ("home", with the menu bar's layout table and the
// program's preference files), the simulated disk ("disk", standing for "/"),
// and the grants the person gave through the controls panel ("desktop.plist"),
// with the login item's status and the wish to hold Shift as the program next
// starts.
class DesktopStateFolder {
public:
    static constexpr const char* settingsFileName = "desktop.plist";
    static constexpr const char* accessibilityKey = "AccessibilityTrusted";
    static constexpr const char* layoutFolderKey = "MenuBarContainerGranted";
    static constexpr const char* shiftAtNextLaunchKey = "ShiftHeldAtNextLaunch";
    // The login-item service's status, as its raw value.
    static constexpr const char* loginItemKey = "LoginItemStatus";

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
    // home or root), with the grants saved last time. Shift asked for at this
    // launch is held as the program starts, and only this once: the wish is
    // taken out of the file. False when a folder cannot be made or the wish
    // cannot be taken out; then `problem`, when given, says which folder or
    // file and the system's reason.
    bool prepare(platform::Scenario& scenario, std::string* problem = nullptr) const;
    // Keeps the grants and the login item as they stand now, and any other
    // setting of the file.
    // False when the file cannot be written.
    bool save(const platform::SimulatedPlatform& platform) const;
    // Asks for Shift to be held (or no longer) as the program next starts,
    // whether that is a restart or a relaunch. False when the file cannot be written.
    bool setShiftAtNextLaunch(bool held) const;

private:
    platform::PropertyListValue::Dictionary saved() const;

    std::filesystem::path folder_;
};

} // namespace pellacor::demo
