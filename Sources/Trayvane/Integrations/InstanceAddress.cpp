#include "Trayvane/Integrations/InstanceAddress.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace pellacor::app {

std::optional<std::filesystem::path>
InstanceAddress::folder(const std::optional<std::string>& runtimeDir,
                        const std::optional<std::filesystem::path>& stateFolder) {
    if (runtimeDir && !runtimeDir->empty() && std::filesystem::path(*runtimeDir).is_absolute()) {
        return std::filesystem::path(*runtimeDir) / "pellacor";
    }
    if (stateFolder && stateFolder->is_absolute()) {
        return *stateFolder;
    }
    return std::nullopt;
}

std::optional<std::filesystem::path>
InstanceAddress::folder(const std::optional<std::filesystem::path>& stateFolder) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return folder(runtime ? std::optional<std::string>(runtime) : std::nullopt, stateFolder);
}

std::optional<std::filesystem::path> InstanceAddress::folder() {
    std::optional<std::filesystem::path> state;
    const char* stateHome = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    if (stateHome && std::filesystem::path(stateHome).is_absolute()) {
        state = std::filesystem::path(stateHome) / "pellacor";
    } else if (home && std::filesystem::path(home).is_absolute()) {
        state = std::filesystem::path(home) / ".local/state/pellacor";
    }
    return folder(state);
}

std::optional<std::string> InstanceAddress::prepare(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder.parent_path(), error);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return "cannot make " + folder.string() + ": " + std::strerror(errno);
    }
    struct stat facts {};
    if (::lstat(folder.c_str(), &facts) != 0) {
        return "cannot read " + folder.string() + ": " + std::strerror(errno);
    }
    if (!S_ISDIR(facts.st_mode)) {
        return folder.string() + " is not a folder";
    }
    if (facts.st_uid != ::geteuid()) {
        return folder.string() + " belongs to another user";
    }
    // A folder left open to others (made by hand, say) is closed again.
    if ((facts.st_mode & 0777) != 0700 && ::chmod(folder.c_str(), 0700) != 0) {
        return "cannot close " + folder.string() + " to other users: " + std::strerror(errno);
    }
    return std::nullopt;
}

} // namespace pellacor::app
