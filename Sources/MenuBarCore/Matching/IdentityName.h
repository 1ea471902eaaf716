#pragma once

#include "MenuBarCore/Model/AppKey.h"
#include "MenuBarCore/Support/JsonCodingFwd.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace pellacor::core {

class ItemSnapshot;

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

    IdentityName(AppKey owner, Kind kind) : owner(std::move(owner)), kind(std::move(kind)) {}

    // The name of a read item: its identifier when it has one, else the
    // fingerprint of its description, else that of its title, else its index
    // among the owner's items.
    explicit IdentityName(const ItemSnapshot& snapshot);

    AppKey owner;
    Kind kind;

    // Same owner and same kind with the same payload.
    bool operator==(const IdentityName&) const = default;

    // For logs: "com.example.app|識別子:battery", "…|説明:#<fingerprint>",
    // "…|題:#<fingerprint>" or "…|番:2".
    std::string description() const;

    // A name for a text that ignores the numbers in it (levels, counters, clocks):
    // every decimal digit of any script is removed, white space is trimmed from
    // both ends, and the rest is hashed with 64-bit FNV-1a over its UTF-8 bytes,
    // written as 16 upper-case hexadecimal digits. Nothing when the text is
    // absent or nothing but digits and white space.
    static std::optional<std::string> fingerprint(const std::optional<std::string>& text);

    // The raw Accessibility identifier when it looks chosen by a developer: not
    // empty, not one the system generated ("_NS:…"), at most 64 characters, and
    // only ASCII letters, digits, "-", "." and "_". Otherwise nothing.
    static std::optional<std::string> usableIdentifier(const std::optional<std::string>& raw);
};

// A kind is an object with exactly one member named after the case:
// {"identifier": {"_0": "…"}}, {"description": {"fingerprint": "…"}},
// {"title": {"fingerprint": "…"}} or {"index": {"_0": 2}}. Members that name no
// case are ignored; none or several case members is a type mismatch.
template <> struct JsonCoding<IdentityName::Kind> {
    static Json encode(const IdentityName::Kind& kind);
    static DecodeResult<IdentityName::Kind> decode(const Json& json, const CodingPath& path);
};

// The members "owner" (the application key) and "kind", both required.
template <> struct JsonCoding<IdentityName> {
    static Json encode(const IdentityName& name);
    static DecodeResult<IdentityName> decode(const Json& json, const CodingPath& path);
};

} // namespace pellacor::core

template <> struct std::hash<pellacor::core::IdentityName> {
    std::size_t operator()(const pellacor::core::IdentityName& name) const noexcept;
};
