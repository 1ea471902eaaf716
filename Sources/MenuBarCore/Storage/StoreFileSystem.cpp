#include "MenuBarCore/Storage/StoreFileSystem.h"

#include "MenuBarCore/Support/RegularFileReader.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <fmt/format.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pellacor::core {

namespace {

// The six characters mkstemp puts in place of "XXXXXX".
bool isTemporaryName(std::string_view name, std::string_view prefix) {
    constexpr std::size_t randomPart = 6;
    if (name.size() != prefix.size() + randomPart || !name.starts_with(prefix)) {
        return false;
    }
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

// A temporary is held by an exclusive lock on it for as long as its save has
// it open; the lock goes with the process, so a killed save's file is free.
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
        auto result = RegularFileReader::read(file, maximumFileBytes);
        if (result.status != RegularFileReader::Result::Status::ok) {
            return std::nullopt;
        }
        return std::move(result.content);
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
                                                 std::string_view prefix) override {
        const std::string pattern = (folder / fmt::format("{}XXXXXX", prefix)).string();
        // A cleaner can remove the new file between its creation and the lock;
        // then it is gone from the folder and another one is made.
        for (int attempt = 0; attempt < 8; ++attempt) {
            std::vector<char> buffer(pattern.begin(), pattern.end());
            buffer.push_back('\0');
            int descriptor = ::mkostemp(buffer.data(), O_CLOEXEC);
            if (descriptor < 0) {
                return std::nullopt;
            }
            struct stat info {};
            while (::flock(descriptor, LOCK_EX) != 0 && errno == EINTR) {
            }
            if (::fstat(descriptor, &info) == 0 && info.st_nlink > 0) {
                return TemporaryFile{std::filesystem::path(buffer.data()), descriptor};
            }
            ::close(descriptor);
        }
        return std::nullopt;
    }

    std::optional<std::filesystem::path> saveTarget(const std::filesystem::path& file) override {
        // As many links as the kernel follows in one lookup.
        constexpr int mostLinks = 40;
        std::filesystem::path target = file;
        for (int hop = 0; hop <= mostLinks; ++hop) {
            struct stat info {};
            if (::lstat(target.c_str(), &info) != 0) {
                if (errno == ENOENT) {
                    return target;
                }
                return std::nullopt;
            }
            if (S_ISREG(info.st_mode)) {
                return target;
            }
            if (!S_ISLNK(info.st_mode)) {
                return std::nullopt;
            }
            std::error_code error;
            const std::filesystem::path next = std::filesystem::read_symlink(target, error);
            if (error) {
                return std::nullopt;
            }
            target = next.is_absolute() ? next : target.parent_path() / next;
        }
        return std::nullopt;
    }

    bool copyMode(int descriptor, const std::filesystem::path& file) override {
        struct stat info {};
        if (::lstat(file.c_str(), &info) != 0) {
            return errno == ENOENT;
        }
        // Only a regular file lends its mode; the temporary's 0600 stays
        // otherwise. Set-id bits are never carried over.
        if (!S_ISREG(info.st_mode)) {
            return true;
        }
        return ::fchmod(descriptor, info.st_mode & 0777) == 0;
    }

    void removeStaleTemporaries(const std::filesystem::path& folder, std::string_view prefix) override {
        DIR* listing = ::opendir(folder.c_str());
        if (listing == nullptr) {
            return;
        }
        std::vector<std::string> candidates;
        while (const dirent* entry = ::readdir(listing)) {
            if (isTemporaryName(entry->d_name, prefix)) {
                candidates.emplace_back(entry->d_name);
            }
        }
        ::closedir(listing);
        for (const auto& name : candidates) {
            const auto path = folder / name;
            const int descriptor = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            if (descriptor < 0) {
                continue;
            }
            // Removed only while this lock is held, and only when the name
            // still leads to the locked file; a live save's lock keeps its file.
            struct stat held {};
            struct stat named {};
            if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0 && ::fstat(descriptor, &held) == 0 &&
                S_ISREG(held.st_mode) && ::lstat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
                named.st_ino == held.st_ino) {
                ::unlink(path.c_str());
            }
            ::close(descriptor);
        }
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

std::optional<StoreFileSystem::ReplaceFailure> StoreFileSystem::replace(const std::filesystem::path& file,
                                                                        std::string_view bytes,
                                                                        std::string_view temporaryPrefix) {
    const auto target = saveTarget(file);
    if (!target) {
        return ReplaceFailure::temporaryFile;
    }
    const std::filesystem::path folder = target->parent_path().empty() ? "." : target->parent_path();
    removeStaleTemporaries(folder, temporaryPrefix);
    auto temporary = createTemporary(folder, temporaryPrefix);
    if (!temporary) {
        return ReplaceFailure::temporaryFile;
    }
    auto abandon = [&](ReplaceFailure failure, bool open) {
        if (open) {
            close(temporary->descriptor);
        }
        remove(temporary->path);
        return failure;
    };
    if (!copyMode(temporary->descriptor, *target)) {
        return abandon(ReplaceFailure::temporaryFile, true);
    }
    if (!write(temporary->descriptor, bytes)) {
        return abandon(ReplaceFailure::write, true);
    }
    if (!sync(temporary->descriptor)) {
        return abandon(ReplaceFailure::sync, true);
    }
    // Closing can report a write that failed late, so it counts as part of writing.
    if (!close(temporary->descriptor)) {
        return abandon(ReplaceFailure::write, false);
    }
    if (!rename(temporary->path, *target)) {
        return abandon(ReplaceFailure::rename, false);
    }
    syncFolder(folder);
    return std::nullopt;
}

std::shared_ptr<StoreFileSystem> StoreFileSystem::standard() {
    return std::make_shared<PosixFileSystem>();
}

} // namespace pellacor::core
