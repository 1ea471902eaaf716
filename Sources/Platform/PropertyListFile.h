#pragma once

#include "Platform/PropertyListValue.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellacor::platform {

// Property-list files whose top level is a dictionary, read in the binary or the
// XML form and written in the binary form. A write replaces the file atomically
// (a temporary file in the same folder, flushed to disk, then renamed over it),
// so a reader sees the old file or the new one, never a part; the file keeps its
// mode, and temporaries a killed write left behind are removed by the next one.
//
// The files can come from anyone, so reading is bounded: a file nested deeper,
// or asking for more values or bytes of text and data (a value referred to from
// several places counting once per reference), is unreadable. The bounds lie
// far above any real preference file (which holds a few hundred values at a
// depth of three or four). A write stores every entry exactly as given or not
// at all: a dictionary with text that is not valid UTF-8 (an entry something
// else wrote) is written in the XML form, which keeps that text's bytes; text
// holding a NUL refuses the write.
class PropertyListFile {
public:
    static constexpr std::size_t maximumDepth = 256;
    static constexpr std::size_t maximumValues = 262'144;
    static constexpr std::size_t maximumBytes = std::size_t{32} * 1024 * 1024;
    // Only a regular file of at most this size is read at all (a link to a
    // device, a FIFO or a larger file is unreadable, and is never waited on).
    static constexpr std::size_t maximumFileBytes = std::size_t{64} * 1024 * 1024;

    struct ReadResult {
        enum class Status {
            ok,         // `dictionary` holds the file's contents
            missing,    // there is no file
            unreadable, // it cannot be opened, is not a property list, or its top level is not a dictionary
        };
        Status status = Status::missing;
        PropertyListValue::Dictionary dictionary;
        // Why an unreadable file could not be read, in words for a log; empty otherwise.
        std::string reason;
    };

    static ReadResult read(const std::filesystem::path& file);
    // False when the file could not be written, or `dictionary` could not be
    // stored exactly (see `PropertyListValue::isStorable`); the old file is
    // then untouched. Creates no folders.
    static bool write(const std::filesystem::path& file, const PropertyListValue::Dictionary& dictionary);

    // The contents of a property list in either form; nothing when it is not one,
    // passes a bound, or its top level is not a dictionary.
    static std::optional<PropertyListValue::Dictionary> decode(std::string_view bytes);
    // The binary form, which `decode` reads back as the same dictionary; empty
    // when the dictionary cannot be stored exactly.
    static std::string encodeBinary(const PropertyListValue::Dictionary& dictionary);
    // The XML form, which `decode` reads back as the same dictionary, also for
    // text that is not UTF-8 (its bytes are kept); empty when there is none.
    // A keyed-archive reference is written as a dictionary holding only
    // "CF$UID" and read back as the reference, so a dictionary of just that
    // shape has no XML form of its own.
    static std::string encodeXml(const PropertyListValue::Dictionary& dictionary);
};

} // namespace pellacor::platform
