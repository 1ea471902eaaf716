#include "DemoDesktop/DesktopStateFolder.h"

#include "Platform/PropertyListFile.h"

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

bool DesktopStateFolder::prepare(platform::Scenario& scenario) const {
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
            return false;
        }
    }
    const auto saved = platform::PropertyListFile::read(settingsFile());
    if (saved.status == platform::PropertyListFile::ReadResult::Status::ok) {
        const auto flag = [&](const char* key) -> std::optional<bool> {
            auto found = saved.dictionary.find(key);
            return found != saved.dictionary.end() ? found->second.booleanValue() : std::nullopt;
        };
        if (auto trusted = flag(accessibilityKey)) {
            scenario.accessibilityTrusted = *trusted;
        }
        if (auto granted = flag(layoutFolderKey)) {
            scenario.home.menuBarContainerGranted = *granted;
        }
    }
    return true;
}

bool DesktopStateFolder::save(const platform::SimulatedPlatform& platform) const {
    platform::PropertyListValue::Dictionary settings{
        {accessibilityKey,
         platform::PropertyListValue::boolean(platform.accessibility()->isProcessTrusted())},
        {layoutFolderKey,
         platform::PropertyListValue::boolean(platform.desktop()->isMenuBarContainerGranted())},
    };
    return platform::PropertyListFile::write(settingsFile(), settings);
}

} // namespace pellacor::demo
