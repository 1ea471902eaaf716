#pragma once

#include "Platform/PropertyListValue.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellacor::platform {

// Property-list files whose top level is a dictionary, read in the binary or the
// XML form and written in the binary form. A write replaces the file atomically
// (a temporary file in the same folder, flushed to disk, then renamed over it),
// so a reader sees the old file or the new one, never a part.
class PropertyListFile {
public:
    struct ReadResult {
        enum class Status {
            ok,         // `dictionary` holds the file's contents
            missing,    // there is no file
            unreadable, // it cannot be opened, is not a property list, or its top level is not a dictionary
        };
        Status status = Status::missing;
        PropertyListValue::Dictionary dictionary;
    };

    static ReadResult read(const std::filesystem::path& file);
    // False when the file could not be written; the old file is then untouched.
    // Creates no folders.
    static bool write(const std::filesystem::path& file, const PropertyListValue::Dictionary& dictionary);

    // The contents of a property list in either form; nothing when it is not one
    // or its top level is not a dictionary.
    static std::optional<PropertyListValue::Dictionary> decode(std::string_view bytes);
    static std::string encodeBinary(const PropertyListValue::Dictionary& dictionary);
};

} // namespace pellacor::platform
