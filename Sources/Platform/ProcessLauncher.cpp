#include "Platform/ProcessLauncher.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <system_error>

extern char** environ; // NOLINT(readability-redundant-declaration): not declared by every libc header

namespace pellacor::platform {

ProcessLauncher::ProcessLauncher(std::filesystem::path executable, std::vector<std::string> arguments)
    : executable_(std::move(executable)), arguments_(std::move(arguments)) {}

ProcessLauncher ProcessLauncher::ownProgram(int argc, const char* const* argv) {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc && argv != nullptr && argv[i] != nullptr; ++i) {
        arguments.emplace_back(argv[i]);
    }
    std::error_code error;
    std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        // Still this process's file, even if it was moved meanwhile.
        executable = "/proc/self/exe";
    }
    return ProcessLauncher(std::move(executable), std::move(arguments));
}

ProcessLauncher::Result ProcessLauncher::start() const {
    std::vector<char*> argv;
    argv.reserve(arguments_.size() + 1);
    for (const auto& argument : arguments_) {
        argv.push_back(const_cast<char*>(argument.c_str())); // NOLINT: posix_spawn does not write them
    }
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    if (const int error = posix_spawnattr_init(&attributes); error != 0) {
        return {0, error};
    }
    sigset_t none;
    sigemptyset(&none);
    sigset_t caught;
    sigemptyset(&caught);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGPIPE}) {
        sigaddset(&caught, signal);
    }
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &caught);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, executable_.c_str(), nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        return {0, error};
    }
    return {static_cast<std::int32_t>(pid), 0};
}

} // namespace pellacor::platform
