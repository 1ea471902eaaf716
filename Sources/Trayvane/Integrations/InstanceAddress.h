#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace pellacor::app {

// Where the one running program of a user listens for the others: a local
// socket in a folder only that user may enter. The folder is "pellacor" in
// $XDG_RUNTIME_DIR, the user's own runtime folder; where that is unset (or
// not an absolute path), the program's state folder instead.
class InstanceAddress {
public:
    static constexpr const char* socketName = "instance.sock";
    static constexpr const char* lockName = "instance.lock";

    // The folder for these values of $XDG_RUNTIME_DIR and of the program's
    // state folder; nothing when neither is an absolute path.
    static std::optional<std::filesystem::path>
    folder(const std::optional<std::string>& runtimeDir,
           const std::optional<std::filesystem::path>& stateFolder);
    // The same from the process's environment.
    static std::optional<std::filesystem::path>
    folder(const std::optional<std::filesystem::path>& stateFolder);
    // From the environment alone, with the program's state folder
    // ("pellacor" in $XDG_STATE_HOME, else in ~/.local/state).
    static std::optional<std::filesystem::path> folder();

    // Makes the folder (and its parents) when missing, owned by this user and
    // open to nobody else (0700); a folder of another user, or a link, is
    // refused. Nothing when it is fit to use, else why it is not.
    static std::optional<std::string> prepare(const std::filesystem::path& folder);

    static std::filesystem::path socketPath(const std::filesystem::path& folder) {
        return folder / socketName;
    }
    static std::filesystem::path lockPath(const std::filesystem::path& folder) { return folder / lockName; }
};

} // namespace pellacor::app
