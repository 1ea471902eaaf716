#pragma once

#include "Platform/PropertyListValue.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace pellacor::platform {

// Reads the binary property-list form ("bplist00") itself, so that a hostile
// file is refused as a value instead of reaching a library's assertions: every
// offset and count is checked against the bytes, the nesting is bounded (which
// also ends reference cycles), and so is the work a file can ask for, since an
// object referred to from several places is read once per reference.
class BinaryPropertyListReader {
public:
    struct Limits {
        std::size_t depth = 0;  // containers inside containers, the top level being 1
        std::size_t values = 0; // values read, each reference counted
        std::size_t bytes = 0;  // bytes of text and data read, each reference counted
    };

    static bool looksBinary(std::string_view bytes) { return bytes.starts_with("bplist00"); }

    // The top-level value; nothing when the bytes are not a well-formed binary
    // property list, pass a limit, hold a value no `PropertyListValue` can keep
    // (a null, a set, an integer beyond 64 bits, a date outside its range), or a
    // dictionary key that is not text or holds a NUL. Text is kept byte for
    // byte; UTF-16 text becomes UTF-8 (a lone surrogate stays in its three-byte
    // form, which no writer takes as valid UTF-8).
    static std::optional<PropertyListValue> read(std::string_view bytes, Limits limits);
};

} // namespace pellacor::platform
