#include "MenuBarCore/Support/AppVersion.h"

#include <algorithm>
#include <cstddef>

namespace pellacor::core {

namespace {

// A valid version is at most 19 characters: four groups of four digits and
// three dots.
constexpr std::size_t maxLength = 19;

std::vector<std::string_view> pieces(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = text.find('.', start);
        if (dot == std::string_view::npos) {
            out.push_back(text.substr(start));
            return out;
        }
        out.push_back(text.substr(start, dot - start));
        start = dot + 1;
    }
}

} // namespace

std::optional<std::string> AppVersion::sanitized(std::string_view text) {
    if (text.empty() || text.size() > maxLength) {
        return std::nullopt;
    }
    const auto groups = pieces(text);
    if (groups.empty() || groups.size() > static_cast<std::size_t>(maxComponents)) {
        return std::nullopt;
    }
    for (const auto group : groups) {
        if (group.empty() || group.size() > static_cast<std::size_t>(maxDigitsPerComponent)) {
            return std::nullopt;
        }
        // Bytes, not characters: a digit of another script is never ASCII.
        if (!std::all_of(group.begin(), group.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            return std::nullopt;
        }
    }
    return std::string(text);
}

std::optional<std::string> AppVersion::sanitized(const std::optional<std::string>& text) {
    if (!text) {
        return std::nullopt;
    }
    return sanitized(std::string_view(*text));
}

std::vector<int> AppVersion::numbers(std::string_view text) {
    std::vector<int> out;
    for (const auto group : pieces(text)) {
        if (group.empty()) {
            continue;
        }
        int value = 0;
        bool parsed = group.size() <= static_cast<std::size_t>(maxDigitsPerComponent);
        for (const char c : group) {
            if (c < '0' || c > '9') {
                parsed = false;
                break;
            }
            value = value * 10 + (c - '0');
        }
        out.push_back(parsed ? value : 0);
    }
    return out;
}

bool AppVersion::isNewer(std::string_view a, std::string_view than) {
    if (!sanitized(a) || !sanitized(than)) {
        return false;
    }
    const auto left = numbers(a);
    const auto right = numbers(than);
    const std::size_t length = std::max(left.size(), right.size());
    for (std::size_t i = 0; i < length; ++i) {
        const int l = i < left.size() ? left[i] : 0;
        const int r = i < right.size() ? right[i] : 0;
        if (l != r) {
            return l > r;
        }
    }
    return false;
}

} // namespace pellacor::core
