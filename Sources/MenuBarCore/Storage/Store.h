#pragma once

#include "MenuBarCore/Storage/StoreFileSystem.h"
#include "MenuBarCore/Storage/StoredState.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace pellacor::core {

// Reads and writes the state document. Outcomes are values: it never throws,
// never repairs a file and never migrates one.
class Store {
public:
    class LoadResult {
    public:
        enum class Kind { loaded, unreadable, newerVersion, missing };

        static LoadResult loaded(StoredState state) {
            return LoadResult(Kind::loaded, std::move(state), {}, 0);
        }
        static LoadResult unreadable(std::string reason) {
            return LoadResult(Kind::unreadable, std::nullopt, std::move(reason), 0);
        }
        static LoadResult newerVersion(std::int64_t version) {
            return LoadResult(Kind::newerVersion, std::nullopt, {}, version);
        }
        static LoadResult missing() { return LoadResult(Kind::missing, std::nullopt, {}, 0); }

        Kind kind() const { return kind_; }
        // The document of a `loaded` result.
        const std::optional<StoredState>& state() const { return state_; }
        // Why an `unreadable` file cannot be used; empty otherwise.
        const std::string& reason() const { return reason_; }
        // The version a `newerVersion` file declares; 0 otherwise.
        std::int64_t version() const { return version_; }

        bool operator==(const LoadResult&) const = default;

    private:
        LoadResult(Kind kind, std::optional<StoredState> state, std::string reason, std::int64_t version)
            : kind_(kind), state_(std::move(state)), reason_(std::move(reason)), version_(version) {}
        Kind kind_;
        std::optional<StoredState> state_;
        std::string reason_;
        std::int64_t version_;
    };

    class SaveResult {
    public:
        enum class Kind { failed, saved };

        static SaveResult failed(std::string reason) { return SaveResult(Kind::failed, std::move(reason)); }
        static SaveResult saved() { return SaveResult(Kind::saved, {}); }

        Kind kind() const { return kind_; }
        // The name of the error kind that stopped a `failed` save; empty otherwise.
        const std::string& reason() const { return reason_; }

        bool operator==(const SaveResult&) const = default;

    private:
        SaveResult(Kind kind, std::string reason) : kind_(kind), reason_(std::move(reason)) {}
        Kind kind_;
        std::string reason_;
    };

    // The kinds of failure the store reports; `errorName` gives the name a
    // reason text carries.
    enum class Error {
        read,           // "ReadError": the file exists but could not be read
        encoding,       // "EncodingError": the document holds text that is not UTF-8
        folderCreation, // "FolderCreationError": the containing folder could not be made
        temporaryFile,  // "TemporaryFileError": no temporary file next to the document
        write,          // "WriteError": writing the temporary file failed
        sync,           // "SyncError": the temporary file could not be flushed to the disk
        rename,         // "RenameError": the temporary file could not replace the document
    };
    static std::string errorName(Error error);

    explicit Store(std::filesystem::path fileURL,
                   std::shared_ptr<StoreFileSystem> fileSystem = StoreFileSystem::standard());

    // "Trayvane/state.json" under the user's data folder: $XDG_DATA_HOME when it
    // is set to an absolute path, else ~/.local/share.
    static std::filesystem::path defaultFileURL();
    // The same rule with the two environment values given.
    static std::filesystem::path defaultFileURL(const std::optional<std::string>& xdgDataHome,
                                                const std::optional<std::string>& home);

    const std::filesystem::path& fileURL() const { return fileURL_; }

    // Reads only; never writes, renames or deletes anything.
    LoadResult load() const;
    // What `load` makes of a document's bytes once they are read.
    static LoadResult decode(std::string_view bytes);
    // Replaces the document as a whole: a reader, or a crash at any moment,
    // sees either the old document or the new one, never a mix.
    SaveResult save(const StoredState& state) const;

private:
    std::filesystem::path fileURL_;
    std::shared_ptr<StoreFileSystem> fileSystem_;
};

std::ostream& operator<<(std::ostream& out, const Store::LoadResult& result);
std::ostream& operator<<(std::ostream& out, const Store::SaveResult& result);

} // namespace pellacor::core
