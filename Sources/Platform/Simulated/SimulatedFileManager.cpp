#include "Platform/Simulated/SimulatedFileManager.h"

#include "MenuBarCore/Support/FilePath.h"
#include "Platform/Simulated/MenuBarLayoutFile.h"

#include <algorithm>

namespace pellacor::platform {

SimulatedFileManager::SimulatedFileManager(std::shared_ptr<SimulatedDesktop> desktop)
    : desktop_(std::move(desktop)) {}

std::filesystem::path SimulatedFileManager::homeDirectory() const {
    std::filesystem::path home = desktop_->homeFolder();
    return home.empty() ? std::filesystem::path(noHome) : home;
}

std::optional<std::vector<std::string>>
SimulatedFileManager::contentsOfDirectory(const std::filesystem::path& folder) const {
    if (!desktop_->isAccessible(folder)) {
        return std::nullopt;
    }
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error) {
            return std::nullopt;
        }
        names.push_back(it->path().filename().string());
    }
    if (error) {
        return std::nullopt;
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string SimulatedFileManager::displayName(const std::string& path) const {
    std::filesystem::path file(path);
    if (!file.has_filename() && file.has_parent_path() && file != file.root_path()) {
        file = file.parent_path(); // "/Applications/Notes.app/" names the bundle
    }
    return file.filename().string();
}

void SimulatedFileManager::userChoseFolder(const std::filesystem::path& folder) {
    const std::filesystem::path home = desktop_->homeFolder();
    if (!home.empty() && core::isWithinFolder(MenuBarLayoutFile::container(home), folder)) {
        desktop_->setMenuBarContainerGranted(true);
    }
}

} // namespace pellacor::platform
