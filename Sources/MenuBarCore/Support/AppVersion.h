#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::core {

// Version texts: one to four dot-separated groups of one to four ASCII digits
// ("2", "1.4.2", "0001.0002.0003.0004"). Leading zeros are allowed and ignored
// when two versions are compared.
struct AppVersion {
    static constexpr int maxComponents = 4;
    static constexpr int maxDigitsPerComponent = 4;

    // The text itself, unchanged (neither trimmed nor normalised), when it is a
    // valid version; nothing otherwise.
    static std::optional<std::string> sanitized(std::string_view text);
    static std::optional<std::string> sanitized(const std::optional<std::string>& text);
    static std::optional<std::string> sanitized(const std::string& text) {
        return sanitized(std::string_view(text));
    }
    static std::optional<std::string> sanitized(const char* text) {
        return sanitized(std::string_view(text));
    }

    // The groups' values, empty groups dropped; a group that does not parse is 0.
    static std::vector<int> numbers(std::string_view text);

    // Whether `a` is a later version than `b`, the shorter one padded with
    // zeros (1.2 and 1.2.0 are equal). False when either is not a version.
    static bool isNewer(std::string_view a, std::string_view than);
};

} // namespace pellacor::core
