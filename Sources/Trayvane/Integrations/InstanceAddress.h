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
    // open to nobody else (0700); a folder of another user, a link or a file
    // is refused. One of this user's that was open to others is closed again,
    // but what it holds is not trusted for being there: the socket is
    // replaced by the program that listens, and a lock file that is not the
    // user's alone is refused (see `distrust`). Nothing when it is fit to use,
    // else why it is not, with its path.
    static std::optional<std::string> prepare(const std::filesystem::path& folder);

    // Why the file open at `fd` (found at `path`) is not this user's alone:
    // another user's, not a plain file, or open to others, any of whom may
    // hold it open still. Nothing when it is the user's alone.
    static std::optional<std::string> distrust(const std::filesystem::path& path, int fd);

    static std::filesystem::path socketPath(const std::filesystem::path& folder) {
        return folder / socketName;
    }
    static std::filesystem::path lockPath(const std::filesystem::path& folder) { return folder / lockName; }
};

} // namespace pellacor::app
