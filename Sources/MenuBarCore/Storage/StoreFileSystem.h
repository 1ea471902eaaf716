#pragma once

#include <cstddef>
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

    // The step at which a replace stopped.
    enum class ReplaceFailure { temporaryFile, write, sync, rename };

    virtual ~StoreFileSystem() = default;

    // Replaces `file` with `bytes` so that a reader, or a crash at any moment,
    // sees the old content or the new one, never a mix: the bytes go to a
    // temporary file in the same folder (so the rename stays on one file
    // system), named `temporaryPrefix` and six random letters or digits, with
    // the mode of the file it replaces; they reach the disk, and only then the
    // temporary replaces the file. When `file` is a symbolic link, the link
    // stays and its target is replaced (the temporary lies in the target's
    // folder); a target that exists and is not a regular file (a device, a
    // FIFO, a folder) is never replaced (`temporaryFile`). On any failure the
    // temporary is removed and the file is untouched. Temporaries of the same prefix that earlier saves
    // left behind (a process killed mid-save) are removed first. Creates no
    // folders.
    std::optional<ReplaceFailure> replace(const std::filesystem::path& file, std::string_view bytes,
                                          std::string_view temporaryPrefix);

    // False only when nothing is at the path (a dangling link counts as nothing).
    virtual bool fileExists(const std::filesystem::path& file) = 0;
    // The whole content, or nothing when the file cannot be read. Only a
    // regular file of at most `maximumFileBytes` is read (see RegularFileReader).
    virtual std::optional<std::string> readFile(const std::filesystem::path& file) = 0;
    // Creates the folder and every missing parent; an existing folder is fine.
    virtual bool createDirectories(const std::filesystem::path& folder) = 0;
    // A new file inside `folder` named `prefix` and six random letters or
    // digits, readable and writable by the user only. While it is open, no
    // `removeStaleTemporaries` (of this process or another) removes it.
    virtual std::optional<TemporaryFile> createTemporary(const std::filesystem::path& folder,
                                                         std::string_view prefix) = 0;
    // The file a save of `file` replaces: `file` itself, or the final target
    // when it is a symbolic link (also a target that does not exist yet);
    // nothing when that target exists and is not a regular file, or the
    // links cannot be followed.
    virtual std::optional<std::filesystem::path> saveTarget(const std::filesystem::path& file) = 0;
    // Gives the open file the permission bits of the regular file `file`, so
    // that replacing it never widens who may read or write it; with no such
    // file the temporary keeps its own 0600.
    virtual bool copyMode(int descriptor, const std::filesystem::path& file) = 0;
    // Removes the regular files in `folder` named as `createTemporary` names
    // them with this prefix that no open temporary holds: leftovers of saves
    // whose process died. Best effort.
    virtual void removeStaleTemporaries(const std::filesystem::path& folder, std::string_view prefix) = 0;
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

    // The largest state document read: far above any real one.
    static constexpr std::size_t maximumFileBytes = std::size_t{32} * 1024 * 1024;

    // The real file system of this machine (POSIX calls).
    static std::shared_ptr<StoreFileSystem> standard();
};

} // namespace pellacor::core
