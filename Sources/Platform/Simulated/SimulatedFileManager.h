#pragma once

#include "Platform/FileManager.h"
#include "Platform/Simulated/SimulatedDesktop.h"

#include <memory>

namespace pellacor::platform {

// The file manager of the simulated desktop, over the real file system: the home
// folder is the desktop's, and a folder the program has no access to (the menu
// bar's group container before the user grants it) cannot be listed.
class SimulatedFileManager final : public FileManager {
public:
    // The home of a user without one, as system accounts have; nothing is there.
    static constexpr const char* noHome = "/nonexistent";

    explicit SimulatedFileManager(std::shared_ptr<SimulatedDesktop> desktop);

    std::filesystem::path homeDirectory() const override;
    // The entry names in ascending order.
    std::optional<std::vector<std::string>>
    contentsOfDirectory(const std::filesystem::path& folder) const override;
    // The path's last component, extension and all: the simulated file browser
    // shows every extension.
    std::string displayName(const std::string& path) const override;
    // Choosing the menu bar's group container, or a folder that holds it,
    // grants it (links resolved, as the system resolves them).
    void userChoseFolder(const std::filesystem::path& folder) override;

private:
    std::shared_ptr<SimulatedDesktop> desktop_;
};

} // namespace pellacor::platform
