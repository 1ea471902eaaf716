#pragma once

#include "Support/TempDir.h"

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pellacor::testing {

// Things someone can put where the program expects one of its files: a link
// to a device that never ends, a FIFO that nobody writes, a file far larger
// than any real one (sparse, so it costs no disk), a folder.
struct OddFile {
    const char* label;
    std::filesystem::path path;
};

inline std::vector<OddFile> makeOddFiles(const TempDir& temp, const std::string& name) {
    std::vector<OddFile> files;
    const auto zero = temp / ("zero-" + name);
    std::filesystem::create_symlink("/dev/zero", zero);
    files.push_back({"a link to /dev/zero", zero});
    const auto fifo = temp / ("fifo-" + name);
    ::mkfifo(fifo.c_str(), 0600);
    files.push_back({"a FIFO", fifo});
    const auto huge = temp / ("huge-" + name);
    const int descriptor = ::open(huge.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor >= 0) {
        constexpr off_t size = off_t{200} * 1024 * 1024;
        (void)::ftruncate(descriptor, size);
        ::close(descriptor);
    }
    files.push_back({"a 200 MB file", huge});
    const auto folder = temp / ("folder-" + name);
    std::filesystem::create_directories(folder);
    files.push_back({"a folder", folder});
    return files;
}

} // namespace pellacor::testing
