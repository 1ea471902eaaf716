#include "MenuBarCore/Matching/IdentityName.h"

#include "MenuBarCore/Model/ItemSnapshot.h"
#include "MenuBarCore/Support/JsonCoding.h"
#include "MenuBarCore/Text/Text.h"

#include <array>
#include <cstdint>
#include <limits>

namespace pellacor::core {

namespace {

constexpr std::size_t identifierLimit = 64;

bool isIdentifierCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
}

constexpr std::uint64_t fnvOffsetBasis = 0xcbf29ce484222325ULL;
constexpr std::uint64_t fnvPrime = 0x100000001b3ULL;

// 64-bit FNV-1a; unsigned arithmetic wraps, which is the "modulo 2^64" the hash wants.
std::uint64_t fnv1a64(std::string_view bytes) {
    std::uint64_t hash = fnvOffsetBasis;
    for (char byte : bytes) {
        hash ^= static_cast<std::uint8_t>(byte);
        hash *= fnvPrime;
    }
    return hash;
}

std::string upperHex16(std::uint64_t value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text(16, '0');
    for (std::size_t i = 16; i-- > 0;) {
        text[i] = digits[value & 0xF];
        value >>= 4;
    }
    return text;
}

// The member names of the coded kind, in case order.
constexpr std::array<std::string_view, 4> kindNames{"identifier", "description", "title", "index"};

} // namespace

IdentityName::IdentityName(const ItemSnapshot& snapshot)
    : owner(snapshot.owner()), kind(Index{snapshot.indexInOwner()}) {
    if (snapshot.axIdentifier()) {
        kind = Identifier{*snapshot.axIdentifier()};
    } else if (auto description = fingerprint(snapshot.axDescription())) {
        kind = Description{std::move(*description)};
    } else if (auto title = fingerprint(snapshot.axTitle())) {
        kind = Title{std::move(*title)};
    }
}

std::string IdentityName::description() const {
    std::string text = owner.bundleID();
    if (const auto* identifier = std::get_if<Identifier>(&kind)) {
        text += "|識別子:" + identifier->identifier;
    } else if (const auto* described = std::get_if<Description>(&kind)) {
        text += "|説明:#" + described->fingerprint;
    } else if (const auto* title = std::get_if<Title>(&kind)) {
        text += "|題:#" + title->fingerprint;
    } else {
        text += "|番:" + std::to_string(std::get<Index>(kind).index);
    }
    return text;
}

std::optional<std::string> IdentityName::fingerprint(const std::optional<std::string>& text) {
    if (!text) {
        return std::nullopt;
    }
    std::u32string kept;
    for (char32_t c : Text::codePoints(*text)) {
        if (Text::generalCategory(c) != Text::Category::decimalNumber) {
            kept.push_back(c);
        }
    }
    std::string rest = Text::trimmed(Text::utf8(kept));
    if (rest.empty()) {
        return std::nullopt;
    }
    return upperHex16(fnv1a64(rest));
}

std::optional<std::string> IdentityName::usableIdentifier(const std::optional<std::string>& raw) {
    if (!raw || raw->empty() || raw->starts_with("_NS:")) {
        return std::nullopt;
    }
    // Only ASCII passes the character check, so counting bytes counts characters
    // for every identifier that can pass at all.
    if (raw->size() > identifierLimit) {
        return std::nullopt;
    }
    for (char c : *raw) {
        if (!isIdentifierCharacter(c)) {
            return std::nullopt;
        }
    }
    return raw;
}

Json JsonCoding<IdentityName::Kind>::encode(const IdentityName::Kind& kind) {
    if (const auto* identifier = std::get_if<IdentityName::Identifier>(&kind)) {
        return Json{{"identifier", Json{{"_0", identifier->identifier}}}};
    }
    if (const auto* description = std::get_if<IdentityName::Description>(&kind)) {
        return Json{{"description", Json{{"fingerprint", description->fingerprint}}}};
    }
    if (const auto* title = std::get_if<IdentityName::Title>(&kind)) {
        return Json{{"title", Json{{"fingerprint", title->fingerprint}}}};
    }
    return Json{{"index", Json{{"_0", std::get<IdentityName::Index>(kind).index}}}};
}

DecodeResult<IdentityName::Kind> JsonCoding<IdentityName::Kind>::decode(const Json& json,
                                                                        const CodingPath& path) {
    if (auto error = expectObject(json, path)) {
        return *error;
    }
    std::optional<std::size_t> found;
    std::size_t count = 0;
    for (std::size_t i = 0; i < kindNames.size(); ++i) {
        if (json.contains(kindNames[i])) {
            found = i;
            ++count;
        }
    }
    if (count != 1) {
        return DecodeError{DecodeError::Kind::typeMismatch, path.text(),
                           "Invalid number of keys found, expected one."};
    }
    const std::string_view name = kindNames[*found];
    const CodingPath casePath = path.member(name);
    const Json& payload = json.at(name);
    if (auto error = expectObject(payload, casePath)) {
        return *error;
    }
    switch (*found) {
    case 0: {
        auto identifier = decodeMember<std::string>(payload, "_0", casePath);
        if (!identifier) {
            return identifier.error();
        }
        return IdentityName::Kind(IdentityName::Identifier{std::move(identifier).value()});
    }
    case 1:
    case 2: {
        auto fingerprint = decodeMember<std::string>(payload, "fingerprint", casePath);
        if (!fingerprint) {
            return fingerprint.error();
        }
        if (*found == 1) {
            return IdentityName::Kind(IdentityName::Description{std::move(fingerprint).value()});
        }
        return IdentityName::Kind(IdentityName::Title{std::move(fingerprint).value()});
    }
    default: {
        auto index = decodeMember<std::int64_t>(payload, "_0", casePath);
        if (!index) {
            return index.error();
        }
        if (*index < std::numeric_limits<int>::min() || *index > std::numeric_limits<int>::max()) {
            return dataCorrupted("the index " + std::to_string(*index) + " is out of range",
                                 casePath.member("_0"));
        }
        return IdentityName::Kind(IdentityName::Index{static_cast<int>(*index)});
    }
    }
}

Json JsonCoding<IdentityName>::encode(const IdentityName& name) {
    return Json{{"owner", encodeJson(name.owner)}, {"kind", encodeJson(name.kind)}};
}

DecodeResult<IdentityName> JsonCoding<IdentityName>::decode(const Json& json, const CodingPath& path) {
    if (auto error = expectObject(json, path)) {
        return *error;
    }
    auto owner = decodeMember<AppKey>(json, "owner", path);
    if (!owner) {
        return owner.error();
    }
    auto kind = decodeMember<IdentityName::Kind>(json, "kind", path);
    if (!kind) {
        return kind.error();
    }
    return IdentityName(std::move(owner).value(), std::move(kind).value());
}

} // namespace pellacor::core

std::size_t
std::hash<pellacor::core::IdentityName>::operator()(const pellacor::core::IdentityName& name) const noexcept {
    using pellacor::core::IdentityName;
    std::size_t payload = 0;
    if (const auto* identifier = std::get_if<IdentityName::Identifier>(&name.kind)) {
        payload = std::hash<std::string>()(identifier->identifier);
    } else if (const auto* description = std::get_if<IdentityName::Description>(&name.kind)) {
        payload = std::hash<std::string>()(description->fingerprint);
    } else if (const auto* title = std::get_if<IdentityName::Title>(&name.kind)) {
        payload = std::hash<std::string>()(title->fingerprint);
    } else {
        payload = std::hash<int>()(std::get<IdentityName::Index>(name.kind).index);
    }
    std::size_t seed = std::hash<pellacor::core::AppKey>()(name.owner);
    for (std::size_t part : {name.kind.index(), payload}) {
        seed ^= part + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
    }
    return seed;
}
