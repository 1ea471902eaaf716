#include "MenuBarCore/Storage/StoreFileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pellacor::core {

namespace {

class PosixFileSystem final : public StoreFileSystem {
public:
    bool fileExists(const std::filesystem::path& file) override {
        struct stat info {};
        if (::stat(file.c_str(), &info) == 0) {
            return true;
        }
        // Only "there is nothing here" counts as absent; any other failure
        // (no permission, say) means something may be there, and reading it
        // will then report why it cannot be used.
        return errno != ENOENT && errno != ENOTDIR;
    }

    std::optional<std::string> readFile(const std::filesystem::path& file) override {
        int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor < 0) {
            return std::nullopt;
        }
        std::string content;
        char buffer[16384];
        for (;;) {
            ssize_t count = ::read(descriptor, buffer, sizeof buffer);
            if (count < 0) {
                if (errno == EINTR) {
                    continue;
                }
                ::close(descriptor);
                return std::nullopt;
            }
            if (count == 0) {
                break;
            }
            content.append(buffer, static_cast<std::size_t>(count));
        }
        ::close(descriptor);
        return content;
    }

    bool createDirectories(const std::filesystem::path& folder) override {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) {
            return false;
        }
        return std::filesystem::is_directory(folder, error);
    }

    std::optional<TemporaryFile> createTemporary(const std::filesystem::path& folder,
                                                 std::string_view stem) override {
        std::string pattern = (folder / fmt::format(".{}.XXXXXX", stem)).string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        int descriptor = ::mkostemp(buffer.data(), O_CLOEXEC);
        if (descriptor < 0) {
            return std::nullopt;
        }
        return TemporaryFile{std::filesystem::path(buffer.data()), descriptor};
    }

    bool write(int descriptor, std::string_view bytes) override {
        while (!bytes.empty()) {
            ssize_t count = ::write(descriptor, bytes.data(), bytes.size());
            if (count < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(count));
        }
        return true;
    }

    bool sync(int descriptor) override { return ::fsync(descriptor) == 0; }

    bool close(int descriptor) override { return ::close(descriptor) == 0; }

    bool rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return ::rename(from.c_str(), to.c_str()) == 0;
    }

    void remove(const std::filesystem::path& file) override { ::unlink(file.c_str()); }

    void syncFolder(const std::filesystem::path& folder) override {
        int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (descriptor >= 0) {
            ::fsync(descriptor);
            ::close(descriptor);
        }
    }
};

} // namespace

std::shared_ptr<StoreFileSystem> StoreFileSystem::standard() {
    return std::make_shared<PosixFileSystem>();
}

} // namespace pellacor::core
