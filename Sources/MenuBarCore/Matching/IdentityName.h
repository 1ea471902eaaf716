#pragma once

#include "MenuBarCore/Model/AppKey.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace pellacor::core {

// The stable name of one status item within its application, built from the
// clues the item offers: a developer-chosen identifier, a fingerprint of its
// description or title, or else its position among the owner's items.
struct IdentityName {
    struct Identifier {
        std::string identifier;
        bool operator==(const Identifier&) const = default;
    };
    struct Description {
        std::string fingerprint; // 16 hexadecimal digits
        bool operator==(const Description&) const = default;
    };
    struct Title {
        std::string fingerprint; // 16 hexadecimal digits
        bool operator==(const Title&) const = default;
    };
    struct Index {
        int index = 0;
        bool operator==(const Index&) const = default;
    };
    // Which clue names the item; the alternatives are in order of preference.
    using Kind = std::variant<Identifier, Description, Title, Index>;

    AppKey owner;
    Kind kind;

    bool operator==(const IdentityName&) const = default;

    // The raw Accessibility identifier when it looks chosen by a developer: not
    // empty, not one the system generated ("_NS:…"), at most 64 characters, and
    // only ASCII letters, digits, "-", "." and "_". Otherwise nothing.
    static std::optional<std::string> usableIdentifier(const std::optional<std::string>& raw);
};

} // namespace pellacor::core
