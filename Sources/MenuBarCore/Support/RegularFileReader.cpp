#include "MenuBarCore/Support/RegularFileReader.h"

#include "MenuBarCore/Support/Log.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellacor::core {

namespace {

class Descriptor {
public:
    explicit Descriptor(int value) : value_(value) {}
    ~Descriptor() {
        if (value_ >= 0) {
            ::close(value_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return value_; }

private:
    int value_;
};

RegularFileReader::Result refuse(const std::filesystem::path& file, std::string reason) {
    Log::app().error("{} を読めません（{}）", file.string(), reason);
    RegularFileReader::Result result;
    result.status = RegularFileReader::Result::Status::unreadable;
    result.reason = std::move(reason);
    return result;
}

} // namespace

RegularFileReader::Result RegularFileReader::read(const std::filesystem::path& file,
                                                  std::size_t maximumBytes) {
    // O_NONBLOCK keeps a FIFO without a writer (or a device) from holding the
    // open; O_NOCTTY keeps a terminal from becoming ours.
    Descriptor descriptor(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (descriptor.get() < 0) {
        if (errno == ENOENT) {
            return {};
        }
        return refuse(file, std::strerror(errno));
    }
    struct stat info {};
    if (::fstat(descriptor.get(), &info) != 0) {
        return refuse(file, std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        return refuse(file, "通常のファイルではありません");
    }
    if (info.st_size < 0 || static_cast<std::uintmax_t>(info.st_size) > maximumBytes) {
        return refuse(file, fmt::format("{} バイトを超えています", maximumBytes));
    }
    Result result;
    result.content.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[16384];
    for (;;) {
        const ssize_t count = ::read(descriptor.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return refuse(file, std::strerror(errno));
        }
        if (count == 0) {
            break;
        }
        // A file still growing while it is read is held to the same bound.
        if (result.content.size() + static_cast<std::size_t>(count) > maximumBytes) {
            return refuse(file, fmt::format("{} バイトを超えています", maximumBytes));
        }
        result.content.append(buffer, static_cast<std::size_t>(count));
    }
    result.status = Result::Status::ok;
    return result;
}

} // namespace pellacor::core
