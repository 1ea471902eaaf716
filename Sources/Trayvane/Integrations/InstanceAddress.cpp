#include "Trayvane/Integrations/InstanceAddress.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fmt/format.h>
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
    // Judged and closed through one descriptor, so what is judged is what is closed.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ELOOP) {
            return folder.string() + " is a link, not a folder";
        }
        if (errno == ENOTDIR) {
            return folder.string() + " is not a folder";
        }
        return "cannot open " + folder.string() + ": " + std::strerror(errno);
    }
    struct stat facts {};
    std::optional<std::string> problem;
    if (::fstat(fd, &facts) != 0) {
        problem = "cannot read " + folder.string() + ": " + std::strerror(errno);
    } else if (facts.st_uid != ::geteuid()) {
        problem = fmt::format("{} belongs to another user (uid {})", folder.string(), facts.st_uid);
    } else if ((facts.st_mode & 0777) != 0700 && ::fchmod(fd, 0700) != 0) {
        // A folder left open to others (made by hand, say) is closed again.
        problem = "cannot close " + folder.string() + " to other users: " + std::strerror(errno);
    }
    ::close(fd);
    return problem;
}

std::optional<std::string> InstanceAddress::distrust(const std::filesystem::path& path, int fd) {
    struct stat facts {};
    if (::fstat(fd, &facts) != 0) {
        return "cannot read " + path.string() + ": " + std::strerror(errno);
    }
    if (!S_ISREG(facts.st_mode)) {
        return path.string() + " is not a file";
    }
    if (facts.st_uid != ::geteuid()) {
        return fmt::format("{} belongs to another user (uid {})", path.string(), facts.st_uid);
    }
    if ((facts.st_mode & 077) != 0) {
        return fmt::format("{} is open to other users (mode {:04o})", path.string(), facts.st_mode & 07777);
    }
    return std::nullopt;
}

} // namespace pellacor::app
