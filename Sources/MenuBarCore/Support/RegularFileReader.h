#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace pellacor::core {

// Reads a file the program did not necessarily write itself (its state
// document, preference files, a scenario, an icon), so that nothing put in
// its place can stall or exhaust the program: the file is opened without
// blocking (a FIFO with no writer answers at once), only a regular file is
// read (a link is followed to its target, and a device, FIFO or folder is
// refused), and a file larger than the caller's bound is refused before any
// byte is read. Each refusal and read error is logged as an error naming
// the file and why; an absent file is not.
class RegularFileReader {
public:
    struct Result {
        enum class Status { ok, missing, unreadable };
        Status status = Status::missing;
        std::string content; // the whole file when `ok`
        std::string reason;  // why it is unreadable
    };

    static Result read(const std::filesystem::path& file, std::size_t maximumBytes);
};

} // namespace pellacor::core
