#pragma once

#include "MenuBarCore/Support/JsonCodingFwd.h"

#include <compare>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace pellacor::core {

// An application, named by its bundle identifier exactly as given: nothing is
// validated, trimmed or case-folded, so an empty identifier is a valid key.
// Ordered by the identifier's code points.
class AppKey {
public:
    explicit AppKey(std::string bundleID) : bundleID_(std::move(bundleID)) {}

    const std::string& bundleID() const { return bundleID_; }

    // True for identifiers beginning with "com.apple." (the dot included, case-sensitive).
    bool isApple() const { return isAppleBundleID(bundleID_); }
    static bool isAppleBundleID(std::string_view bundleID) { return bundleID.starts_with("com.apple."); }

    bool operator==(const AppKey&) const = default;
    std::strong_ordering operator<=>(const AppKey& other) const { return bundleID_ <=> other.bundleID_; }

private:
    std::string bundleID_;
};

// An application key is a JSON string.
template <> struct JsonCoding<AppKey> {
    static Json encode(const AppKey& key);
    static DecodeResult<AppKey> decode(const Json& json, const CodingPath& path);
};

} // namespace pellacor::core

template <> struct std::hash<pellacor::core::AppKey> {
    std::size_t operator()(const pellacor::core::AppKey& key) const noexcept {
        return std::hash<std::string>()(key.bundleID());
    }
};
