#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pellacor::platform {

// The file manager's view of the user's folders: where the home folder is, and
// what a folder holds, where the program is allowed to look. May be called from
// any thread.
class FileManager {
public:
    virtual ~FileManager() = default;

    // The current user's home folder, absolute.
    virtual std::filesystem::path homeDirectory() const = 0;
    // The names of a folder's entries; nothing when it cannot be listed (it is
    // missing, not a folder, or the program has no access to it).
    virtual std::optional<std::vector<std::string>>
    contentsOfDirectory(const std::filesystem::path& folder) const = 0;
    // The name a person sees for the file or folder at `path` (its last
    // component, as the file browser shows it); the path's last component
    // when the file is not known.
    virtual std::string displayName(const std::string& path) const = 0;
    // The user chose this folder in an open panel of the program: the system
    // lets the program reach it, and everything inside it, from now on. Where
    // the program reaches every folder anyway, nothing changes.
    virtual void userChoseFolder(const std::filesystem::path& folder) { (void)folder; }
};

} // namespace pellacor::platform
