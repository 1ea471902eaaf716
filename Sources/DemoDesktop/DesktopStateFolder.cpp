#include "DemoDesktop/DesktopStateFolder.h"

#include "Platform/InputState.h"
#include "Platform/PropertyListFile.h"

#include <cstdint>
#include <cstdlib>

namespace pellacor::demo {

namespace {

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

} // namespace

std::optional<std::filesystem::path> DesktopStateFolder::location() {
    return location(environment("XDG_STATE_HOME"), environment("HOME"));
}

std::optional<std::filesystem::path>
DesktopStateFolder::location(const std::optional<std::string>& xdgStateHome,
                             const std::optional<std::string>& home) {
    // The base-directory rules ignore a relative (or empty) value.
    if (xdgStateHome && std::filesystem::path(*xdgStateHome).is_absolute()) {
        return std::filesystem::path(*xdgStateHome) / "pellacor" / "desktop";
    }
    if (home && std::filesystem::path(*home).is_absolute()) {
        return std::filesystem::path(*home) / ".local" / "state" / "pellacor" / "desktop";
    }
    return std::nullopt;
}

bool DesktopStateFolder::prepare(platform::Scenario& scenario, std::string* problem) const {
    if (scenario.home.folder.empty()) {
        scenario.home.folder = home();
    }
    if (scenario.root == std::filesystem::path("/")) {
        scenario.root = disk();
    }
    std::error_code error;
    for (const auto& folder : {scenario.home.folder, scenario.root / "Applications"}) {
        std::filesystem::create_directories(folder, error);
        if (error) {
            if (problem != nullptr) {
                *problem = "cannot make the folder " + folder.string() + ": " + error.message();
            }
            return false;
        }
    }
    auto settings = saved();
    const auto flag = [&](const char* key) -> std::optional<bool> {
        auto found = settings.find(key);
        return found != settings.end() ? found->second.booleanValue() : std::nullopt;
    };
    if (auto trusted = flag(accessibilityKey)) {
        scenario.accessibilityTrusted = *trusted;
    }
    if (auto granted = flag(layoutFolderKey)) {
        scenario.home.menuBarContainerGranted = *granted;
    }
    if (auto found = settings.find(loginItemKey); found != settings.end()) {
        using Status = platform::LoginItemService::Status;
        const auto status = found->second.integerValue();
        // A value no status has (the file edited by hand) leaves the scenario's.
        if (status && *status >= static_cast<std::int64_t>(Status::notRegistered) &&
            *status <= static_cast<std::int64_t>(Status::notFound)) {
            scenario.loginItem.status = static_cast<Status>(*status);
        }
    }
    if (flag(shiftAtNextLaunchKey).value_or(false)) {
        scenario.launchModifierFlags |= platform::InputState::shiftFlag;
        settings.erase(shiftAtNextLaunchKey);
        // A launch that cannot forget the wish would start paused every time.
        if (!platform::PropertyListFile::write(settingsFile(), settings)) {
            if (problem != nullptr) {
                *problem = "cannot write " + settingsFile().string();
            }
            return false;
        }
    }
    return true;
}

bool DesktopStateFolder::save(const platform::SimulatedPlatform& platform) const {
    auto settings = saved();
    settings.insert_or_assign(
        accessibilityKey, platform::PropertyListValue::boolean(platform.accessibility()->isProcessTrusted()));
    settings.insert_or_assign(layoutFolderKey, platform::PropertyListValue::boolean(
                                                   platform.desktop()->isMenuBarContainerGranted()));
    settings.insert_or_assign(loginItemKey, platform::PropertyListValue::integer(static_cast<std::int64_t>(
                                                platform.loginItemService()->mainAppStatus())));
    return platform::PropertyListFile::write(settingsFile(), settings);
}

bool DesktopStateFolder::setShiftAtNextLaunch(bool held) const {
    auto settings = saved();
    if (held) {
        settings.insert_or_assign(shiftAtNextLaunchKey, platform::PropertyListValue::boolean(true));
    } else {
        settings.erase(shiftAtNextLaunchKey);
    }
    return platform::PropertyListFile::write(settingsFile(), settings);
}

platform::PropertyListValue::Dictionary DesktopStateFolder::saved() const {
    auto read = platform::PropertyListFile::read(settingsFile());
    if (read.status != platform::PropertyListFile::ReadResult::Status::ok) {
        return {};
    }
    return std::move(read.dictionary);
}

} // namespace pellacor::demo
