#pragma once

#include "MenuBarCore/Model/AppKey.h"
#include "MenuBarCore/Support/JsonCoding.h"

#include <map>

namespace pellacor::core {

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
