#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pellacor::core {

// The few file operations the store needs, one call per step of a safe
// replace, so that tests can make any single step fail and check that the
// previous document survives. Every operation reports failure as a value.
class StoreFileSystem {
public:
    // A freshly created, still open file that nobody else knows about yet.
    struct TemporaryFile {
        std::filesystem::path path;
        int descriptor = -1;
    };

    virtual ~StoreFileSystem() = default;

    // False only when nothing is at the path (a dangling link counts as nothing).
    virtual bool fileExists(const std::filesystem::path& file) = 0;
    // The whole content, or nothing when the file cannot be read.
    virtual std::optional<std::string> readFile(const std::filesystem::path& file) = 0;
    // Creates the folder and every missing parent; an existing folder is fine.
    virtual bool createDirectories(const std::filesystem::path& folder) = 0;
    // A new file with a unique name inside `folder`, readable and writable by the user only.
    virtual std::optional<TemporaryFile> createTemporary(const std::filesystem::path& folder,
                                                         std::string_view stem) = 0;
    // Writes every byte (retrying short writes).
    virtual bool write(int descriptor, std::string_view bytes) = 0;
    // Forces the written bytes to the disk.
    virtual bool sync(int descriptor) = 0;
    virtual bool close(int descriptor) = 0;
    // Replaces `to` with `from` in one step.
    virtual bool rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Removes a file; a missing file is not reported.
    virtual void remove(const std::filesystem::path& file) = 0;
    // Makes a rename inside the folder durable. Best effort: the rename has
    // already happened, so there is nothing left to undo when this fails.
    virtual void syncFolder(const std::filesystem::path& folder) = 0;

    // The real file system of this machine (POSIX calls).
    static std::shared_ptr<StoreFileSystem> standard();
};

} // namespace pellacor::core
