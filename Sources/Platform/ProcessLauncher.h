#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pellacor::platform {

// Starts new processes of one executable with fixed arguments, for real, on
// this machine. The new process is not waited for: whoever starts it may end
// before it does. Any thread.
class ProcessLauncher {
public:
    struct Result {
        // The new process, when it started.
        std::int32_t processIdentifier = 0;
        // Why it did not start (an errno value); 0 when it did.
        int error = 0;
        bool started() const { return error == 0; }
        bool operator==(const Result&) const = default;
    };

    // `arguments` includes the program name (argv[0]).
    ProcessLauncher(std::filesystem::path executable, std::vector<std::string> arguments);

    // This process's own executable (as the system knows it now, so a program
    // that was replaced on disk starts anew from the replacement) with the
    // arguments it was started with.
    static ProcessLauncher ownProgram(int argc, const char* const* argv);

    const std::filesystem::path& executable() const { return executable_; }
    const std::vector<std::string>& arguments() const { return arguments_; }

    // Starts one new process with this process's environment; it gets no
    // blocked signals and the default handling of every signal this one catches.
    Result start() const;

private:
    std::filesystem::path executable_;
    std::vector<std::string> arguments_;
};

} // namespace pellacor::platform
