#include "MenuBarCore/Matching/IdentityName.h"

namespace pellacor::core {

namespace {

constexpr std::size_t identifierLimit = 64;

bool isIdentifierCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
}

} // namespace

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

} // namespace pellacor::core
