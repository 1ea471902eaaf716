#pragma once

#include "Platform/FileManager.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <string_view>

namespace pellacor::system {

// The system menu bar's group container, where its layout table lives. The
// user grants the program access to it by picking it in an open panel; the
// panel starts at `url()` and checks the pick with `isLayoutFolder`.
//
// Copies share the folder, which is worked out once, on first use.
class LayoutFolder {
public:
    // Below the user's home folder.
    static constexpr std::string_view homeRelativePath = "Library/Group Containers/com.apple.MenuBar";

    explicit LayoutFolder(std::shared_ptr<platform::FileManager> fileManager);

    // The folder, absolute.
    std::filesystem::path url() const;
    // Whether a path names the folder: both are compared with their links
    // resolved, "." and ".." taken out and without a trailing separator.
    bool isLayoutFolder(const std::filesystem::path& url) const;

    const std::shared_ptr<platform::FileManager>& fileManager() const { return fileManager_; }

private:
    struct Cache {
        std::once_flag once;
        std::filesystem::path url;
    };

    std::shared_ptr<platform::FileManager> fileManager_;
    std::shared_ptr<Cache> cache_;
};

} // namespace pellacor::system
