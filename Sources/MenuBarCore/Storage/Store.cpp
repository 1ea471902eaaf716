#include "MenuBarCore/Storage/Store.h"

#include "MenuBarCore/Support/JsonCoding.h"

#include <cstdlib>
#include <fmt/format.h>
#include <pwd.h>
#include <unistd.h>
#include <variant>

namespace pellacor::core {

namespace {

// Pass one reads nothing but the top-level "version", so that a document of a
// newer layout is recognised without understanding the rest of it.
//
// Which values count as the integer version: a JSON number written as an
// integer that fits a signed 64-bit integer. 1 is version 1; 1.0, 1e0 and "1"
// are not integers, and neither is a number too large for 64 bits; all of these
// read as "no version". When a member name repeats (here or anywhere else in the
// document), the parser keeps the last occurrence.
std::optional<std::int64_t> versionOf(const Json& document) {
    if (!document.is_object()) {
        return std::nullopt;
    }
    auto version = document.find("version");
    if (version == document.end()) {
        return std::nullopt;
    }
    return detail::documentVersion(*version);
}

// Pretty-printed with two spaces, members in sorted order (the parser's objects
// keep their keys sorted by bytes, which for UTF-8 is code-point order), no
// time stamps: the same document always gives the same bytes.
std::variant<std::string, Store::Error> encode(const StoredState& state) {
    try {
        return encodeJson(state).dump(2);
    } catch (const Json::exception&) {
        // Text that is not valid UTF-8 cannot be written as JSON.
        return Store::Error::encoding;
    }
}

Store::Error replaceError(StoreFileSystem::ReplaceFailure failure) {
    switch (failure) {
    case StoreFileSystem::ReplaceFailure::temporaryFile:
        return Store::Error::temporaryFile;
    case StoreFileSystem::ReplaceFailure::write:
        return Store::Error::write;
    case StoreFileSystem::ReplaceFailure::sync:
        return Store::Error::sync;
    case StoreFileSystem::ReplaceFailure::rename:
        return Store::Error::rename;
    }
    return Store::Error::write;
}

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

} // namespace

std::string Store::errorName(Error error) {
    switch (error) {
    case Error::read:
        return "ReadError";
    case Error::encoding:
        return "EncodingError";
    case Error::folderCreation:
        return "FolderCreationError";
    case Error::temporaryFile:
        return "TemporaryFileError";
    case Error::write:
        return "WriteError";
    case Error::sync:
        return "SyncError";
    case Error::rename:
        return "RenameError";
    }
    return "UnknownError";
}

Store::Store(std::filesystem::path fileURL, std::shared_ptr<StoreFileSystem> fileSystem)
    : fileURL_(std::move(fileURL)), fileSystem_(std::move(fileSystem)) {}

std::filesystem::path Store::defaultFileURL() {
    std::optional<std::string> xdg;
    if (std::getenv("XDG_DATA_HOME") != nullptr) {
        xdg = environmentValue("XDG_DATA_HOME");
    }
    std::optional<std::string> home;
    if (std::getenv("HOME") != nullptr) {
        home = environmentValue("HOME");
    } else if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
        home = std::string(user->pw_dir);
    }
    return defaultFileURL(xdg, home);
}

std::filesystem::path Store::defaultFileURL(const std::optional<std::string>& xdgDataHome,
                                            const std::optional<std::string>& home) {
    std::filesystem::path dataHome;
    // The base-directory rules ignore a relative (or empty) XDG_DATA_HOME.
    if (xdgDataHome && std::filesystem::path(*xdgDataHome).is_absolute()) {
        dataHome = *xdgDataHome;
    } else {
        dataHome = std::filesystem::path(home.value_or("")) / ".local" / "share";
    }
    return dataHome / "Trayvane" / "state.json";
}

Store::LoadResult Store::load() const {
    if (!fileSystem_->fileExists(fileURL_)) {
        return LoadResult::missing();
    }
    auto bytes = fileSystem_->readFile(fileURL_);
    if (!bytes) {
        return LoadResult::unreadable("読めない（" + errorName(Error::read) + "）");
    }
    return decode(*bytes);
}

Store::LoadResult Store::decode(std::string_view bytes) {
    auto document = parseJson(bytes);
    auto version = document ? versionOf(*document) : std::nullopt;
    if (!version) {
        return LoadResult::unreadable("version が無い・JSON ではない");
    }
    if (*version >= 2) {
        return LoadResult::newerVersion(*version);
    }
    if (*version <= 0) {
        return LoadResult::unreadable("version " + std::to_string(*version) + " から移せない");
    }
    // Pass two: the whole document. Any fault in it makes the file unreadable;
    // there is no partial load.
    auto state = decodeJson<StoredState>(*document);
    if (!state) {
        // The reason names the kind of error, as for the other failures; the
        // details (which member, why) stay out of the text shown to the user.
        return LoadResult::unreadable("形が合わない（DecodeError）");
    }
    return LoadResult::loaded(std::move(state).value());
}

Store::SaveResult Store::save(const StoredState& state) const {
    auto encoded = encode(state);
    if (auto* error = std::get_if<Error>(&encoded)) {
        return SaveResult::failed(errorName(*error));
    }
    const auto& bytes = std::get<std::string>(encoded);

    auto folder = fileURL_.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    if (!fileSystem_->createDirectories(folder)) {
        return SaveResult::failed(errorName(Error::folderCreation));
    }

    // A killed save leaves ".state.json.XXXXXX" behind; the next save clears it.
    const auto failure =
        fileSystem_->replace(fileURL_, bytes, fmt::format(".{}.", fileURL_.filename().string()));
    if (failure) {
        return SaveResult::failed(errorName(replaceError(*failure)));
    }
    return SaveResult::saved();
}

std::ostream& operator<<(std::ostream& out, const Store::LoadResult& result) {
    switch (result.kind()) {
    case Store::LoadResult::Kind::loaded:
        return out << "loaded";
    case Store::LoadResult::Kind::unreadable:
        return out << "unreadable(" << result.reason() << ")";
    case Store::LoadResult::Kind::newerVersion:
        return out << "newerVersion(" << result.version() << ")";
    case Store::LoadResult::Kind::missing:
        return out << "missing";
    }
    return out;
}

std::ostream& operator<<(std::ostream& out, const Store::SaveResult& result) {
    if (result.kind() == Store::SaveResult::Kind::saved) {
        return out << "saved";
    }
    return out << "failed(" << result.reason() << ")";
}

} // namespace pellacor::core
