#pragma once

#include "MenuBarCore/Support/JsonCoding.h"

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
    static Json encode(const AppKey& key) { return key.bundleID(); }
    static DecodeResult<AppKey> decode(const Json& json, const CodingPath& path);
};

// A dictionary keyed by application is a JSON object whose member names are the
// bundle identifiers; every member name is accepted.
template <typename V> struct JsonCoding<std::map<AppKey, V>> {
    static Json encode(const std::map<AppKey, V>& map) {
        Json object = Json::object();
        for (const auto& [key, value] : map) {
            object[key.bundleID()] = encodeJson(value);
        }
        return object;
    }
    static DecodeResult<std::map<AppKey, V>> decode(const Json& json, const CodingPath& path) {
        if (auto error = expectObject(json, path)) {
            return *error;
        }
        std::map<AppKey, V> map;
        for (auto member = json.begin(); member != json.end(); ++member) {
            auto value = decodeJson<V>(member.value(), path.member(member.key()));
            if (!value) {
                return value.error();
            }
            map.emplace_hint(map.end(), AppKey(member.key()), std::move(value).value());
        }
        return map;
    }
};

} // namespace pellacor::core

template <> struct std::hash<pellacor::core::AppKey> {
    std::size_t operator()(const pellacor::core::AppKey& key) const noexcept {
        return std::hash<std::string>()(key.bundleID());
    }
};
