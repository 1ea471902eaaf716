#include "MenuBarCore/Integrations/UrlComponents.h"

#include "MenuBarCore/Text/Text.h"

#include <cstddef>

namespace pellacor::core {

namespace {

bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHex(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int hexValue(char c) {
    if (isDigit(c)) {
        return c - '0';
    }
    return (c >= 'a' ? c - 'a' : c - 'A') + 10;
}

bool isUnreserved(char c) {
    return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}
bool isSubDelim(char c) {
    switch (c) {
    case '!':
    case '$':
    case '&':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case ';':
    case '=':
        return true;
    default:
        return false;
    }
}
bool isPchar(char c) {
    return isUnreserved(c) || isSubDelim(c) || c == ':' || c == '@';
}
bool isRegNameChar(char c) {
    return isUnreserved(c) || isSubDelim(c);
}
bool isUserInfoChar(char c) {
    return isUnreserved(c) || isSubDelim(c) || c == ':';
}
bool isPathChar(char c) {
    return isPchar(c) || c == '/';
}
bool isQueryChar(char c) {
    return isPchar(c) || c == '/' || c == '?';
}
// IPv6 and the future forms inside "[…]", loosely: their characters only.
bool isLiteralChar(char c) {
    return isUnreserved(c) || isSubDelim(c) || c == ':';
}

// Every character allowed by `allowed` or part of a "%" and two hex digits.
template <typename Allowed> bool isValidPart(std::string_view part, Allowed allowed) {
    for (std::size_t i = 0; i < part.size(); ++i) {
        const char c = part[i];
        if (c == '%') {
            if (i + 2 >= part.size()) {
                return false;
            }
            if (!isHex(part[i + 1]) || !isHex(part[i + 2])) {
                return false;
            }
            i += 2;
        } else if (!allowed(c)) {
            return false;
        }
    }
    return true;
}

bool isWellFormedUtf8(std::string_view text) {
    return Text::utf8(Text::codePoints(text)) == text;
}

// The escapes decoded; nothing when the result is not well-formed UTF-8. The
// part has been checked with `isValidPart`.
std::optional<std::string> decoded(std::string_view part) {
    std::string out;
    out.reserve(part.size());
    for (std::size_t i = 0; i < part.size(); ++i) {
        if (part[i] == '%') {
            out.push_back(static_cast<char>(hexValue(part[i + 1]) * 16 + hexValue(part[i + 2])));
            i += 2;
        } else {
            out.push_back(part[i]);
        }
    }
    if (!isWellFormedUtf8(out)) {
        return std::nullopt;
    }
    return out;
}

bool isAllDigits(std::string_view text) {
    for (const char c : text) {
        if (!isDigit(c)) {
            return false;
        }
    }
    return true;
}

// authority = [ userinfo "@" ] host [ ":" port ]; answers the raw host.
std::optional<std::string_view> hostOfAuthority(std::string_view authority) {
    if (const auto at = authority.find('@'); at != std::string_view::npos) {
        if (!isValidPart(authority.substr(0, at), isUserInfoChar)) {
            return std::nullopt;
        }
        authority.remove_prefix(at + 1);
    }
    std::string_view host;
    std::string_view afterHost;
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        const auto literal = authority.substr(1, close - 1);
        if (literal.empty() || !isValidPart(literal, isLiteralChar) ||
            literal.find('%') != std::string_view::npos) {
            return std::nullopt;
        }
        host = authority.substr(0, close + 1);
        afterHost = authority.substr(close + 1);
    } else {
        const auto colon = authority.find(':');
        host = authority.substr(0, colon);
        afterHost = colon == std::string_view::npos ? std::string_view() : authority.substr(colon);
        if (!isValidPart(host, isRegNameChar)) {
            return std::nullopt;
        }
    }
    if (!afterHost.empty() && (afterHost.front() != ':' || !isAllDigits(afterHost.substr(1)))) {
        return std::nullopt;
    }
    return host;
}

} // namespace

std::optional<std::string_view> UrlComponents::schemeOf(std::string_view url) {
    if (url.empty() || !isAlpha(url.front())) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < url.size(); ++i) {
        const char c = url[i];
        if (c == ':') {
            return url.substr(0, i);
        }
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::string UrlComponents::withNonAsciiEscaped(std::string_view text) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out.push_back(c);
            continue;
        }
        out.push_back('%');
        out.push_back(digits[byte >> 4]);
        out.push_back(digits[byte & 0x0F]);
    }
    return out;
}

std::optional<UrlComponents> UrlComponents::split(std::string_view url) {
    const auto scheme = schemeOf(url);
    if (!scheme) {
        return std::nullopt;
    }
    std::string_view rest = url.substr(scheme->size() + 1);

    if (const auto hash = rest.find('#'); hash != std::string_view::npos) {
        if (!isValidPart(rest.substr(hash + 1), isQueryChar)) {
            return std::nullopt;
        }
        rest = rest.substr(0, hash);
    }
    UrlComponents parts;
    parts.scheme = std::string(*scheme);
    if (const auto mark = rest.find('?'); mark != std::string_view::npos) {
        const auto query = rest.substr(mark + 1);
        if (!isValidPart(query, isQueryChar)) {
            return std::nullopt;
        }
        parts.query = std::string(query);
        rest = rest.substr(0, mark);
    }

    std::string_view path = rest;
    if (rest.starts_with("//")) {
        const auto authorityEnd = rest.find('/', 2);
        const auto authority = rest.substr(2, authorityEnd == std::string_view::npos ? std::string_view::npos
                                                                                     : authorityEnd - 2);
        const auto host = hostOfAuthority(authority);
        if (!host) {
            return std::nullopt;
        }
        auto decodedHost = decoded(*host);
        if (!decodedHost) {
            return std::nullopt;
        }
        parts.host = std::move(*decodedHost);
        path = authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);
    }
    if (!isValidPart(path, isPathChar)) {
        return std::nullopt;
    }
    auto decodedPath = decoded(path);
    if (!decodedPath) {
        return std::nullopt;
    }
    parts.path = std::move(*decodedPath);

    if (parts.query && !parts.query->empty()) {
        std::string_view query = *parts.query;
        while (true) {
            const auto amp = query.find('&');
            const auto item = query.substr(0, amp);
            const auto equals = item.find('=');
            auto name = decoded(item.substr(0, equals));
            if (!name) {
                return std::nullopt;
            }
            std::optional<std::string> value;
            if (equals != std::string_view::npos) {
                value = decoded(item.substr(equals + 1));
                if (!value) {
                    return std::nullopt;
                }
            }
            parts.queryItems.push_back(QueryItem{std::move(*name), std::move(value)});
            if (amp == std::string_view::npos) {
                break;
            }
            query.remove_prefix(amp + 1);
        }
    }
    return parts;
}

} // namespace pellacor::core
