#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::core {

// One URL taken apart by the generic syntax of RFC 3986, never resolved
// against a base: the scheme, the host of the authority, the path and the
// query items. Host, path and query items are percent-decoded. Only the parts
// the program's own URL commands read are kept; user information, port and
// fragment are checked and dropped.
class UrlComponents {
public:
    // One item of the query: the text before the first "=" and, when there is
    // one, the text after it. A "+" stays a "+".
    struct QueryItem {
        std::string name;
        // Absent for an item without "=", which differs from an empty value.
        std::optional<std::string> value;

        bool operator==(const QueryItem&) const = default;
    };

    // The scheme as written (not lower-cased), when the text begins with one:
    // a letter, then letters, digits, "+", "-" or ".", then ":". Nothing is
    // checked after the colon.
    static std::optional<std::string_view> schemeOf(std::string_view url);

    // The whole text split; nothing when it is not an absolute URL of RFC 3986
    // syntax (a space or control character anywhere, a "%" without two hex
    // digits, a character a part may not hold) or when a decoded host, path or
    // query item is not well-formed UTF-8.
    static std::optional<UrlComponents> split(std::string_view url);

    // The text with every byte outside ASCII written as "%" and two
    // upper-case hex digits, as an IRI becomes a URI: a URL typed with its
    // text as it reads ("name=ふだん") then splits as its escaped form does.
    // A byte that is no part of well-formed UTF-8 is escaped all the same, and
    // `split` refuses the part it decodes into. ASCII text comes back as it is.
    static std::string withNonAsciiEscaped(std::string_view text);

    std::string scheme;
    // Absent without an authority ("pellacor:reveal"); empty for an empty one
    // ("pellacor:///reveal").
    std::optional<std::string> host;
    std::string path;
    // Absent without "?"; an empty query has no items.
    std::optional<std::string> query;
    std::vector<QueryItem> queryItems;

    bool operator==(const UrlComponents&) const = default;
};

} // namespace pellacor::core
