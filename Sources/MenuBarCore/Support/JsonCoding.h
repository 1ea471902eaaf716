#pragma once

#include "MenuBarCore/Support/CodingPath.h"
#include "MenuBarCore/Support/DecodeResult.h"
#include "MenuBarCore/Support/JsonCodingFwd.h"
#include "MenuBarCore/Support/Uuid.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::core {

// The JSON form of a type: specialise with
//   static Json encode(const T&);
//   static DecodeResult<T> decode(const Json&, const CodingPath&);
// Decoding is strict: a missing required member, a value of another JSON type or
// an unknown content is an error, never a default. Unknown members are ignored.

template <typename T> Json encodeJson(const T& value) {
    return JsonCoding<T>::encode(value);
}

template <typename T> DecodeResult<T> decodeJson(const Json& json, const CodingPath& path = {}) {
    return JsonCoding<T>::decode(json, path);
}

// Parses JSON text without throwing; text that is not JSON is `dataCorrupted`.
DecodeResult<Json> parseJson(std::string_view text);

// Parses and decodes in one step.
template <typename T> DecodeResult<T> decodeJsonText(std::string_view text) {
    auto json = parseJson(text);
    if (!json) {
        return json.error();
    }
    return decodeJson<T>(*json);
}

namespace detail {
// "a string", "an object", … for messages.
std::string_view jsonTypeName(const Json& json);
} // namespace detail

// The error for a value of the wrong JSON type (or `valueNotFound` for null).
DecodeError typeMismatch(const Json& found, std::string_view expected, const CodingPath& path);
DecodeError dataCorrupted(std::string message, const CodingPath& path);

// An error when `json` is not an object.
std::optional<DecodeError> expectObject(const Json& json, const CodingPath& path);

// A required member of an object (the object has been checked with `expectObject`):
// missing is `keyNotFound`, null is `valueNotFound`.
template <typename T>
DecodeResult<T> decodeMember(const Json& object, std::string_view name, const CodingPath& path) {
    auto found = object.find(name);
    if (found == object.end()) {
        return DecodeError{DecodeError::Kind::keyNotFound, path.member(name).text(),
                           "no member \"" + std::string(name) + "\""};
    }
    return decodeJson<T>(*found, path.member(name));
}

// An optional member: missing or null reads as absent.
template <typename T>
DecodeResult<std::optional<T>> decodeOptionalMember(const Json& object, std::string_view name,
                                                    const CodingPath& path) {
    auto found = object.find(name);
    if (found == object.end() || found->is_null()) {
        return std::optional<T>();
    }
    auto value = decodeJson<T>(*found, path.member(name));
    if (!value) {
        return value.error();
    }
    return std::optional<T>(std::move(value).value());
}

template <> struct JsonCoding<std::string> {
    static Json encode(const std::string& value) { return value; }
    static DecodeResult<std::string> decode(const Json& json, const CodingPath& path);
};

// Whole numbers; a number with a fraction, or one out of range, is `dataCorrupted`.
template <> struct JsonCoding<std::int64_t> {
    static Json encode(std::int64_t value) { return value; }
    static DecodeResult<std::int64_t> decode(const Json& json, const CodingPath& path);
};

template <> struct JsonCoding<bool> {
    static Json encode(bool value) { return value; }
    static DecodeResult<bool> decode(const Json& json, const CodingPath& path);
};

// A UUID is its hyphenated text, upper case on output, either case on input.
template <> struct JsonCoding<Uuid> {
    static Json encode(const Uuid& value) { return value.uuidString(); }
    static DecodeResult<Uuid> decode(const Json& json, const CodingPath& path);
};

template <typename T> struct JsonCoding<std::vector<T>> {
    static Json encode(const std::vector<T>& values) {
        Json array = Json::array();
        for (const auto& value : values) {
            array.push_back(encodeJson(value));
        }
        return array;
    }
    static DecodeResult<std::vector<T>> decode(const Json& json, const CodingPath& path) {
        if (!json.is_array()) {
            return typeMismatch(json, "an array", path);
        }
        std::vector<T> values;
        values.reserve(json.size());
        for (std::size_t i = 0; i < json.size(); ++i) {
            auto value = decodeJson<T>(json[i], path.element(i));
            if (!value) {
                return value.error();
            }
            values.push_back(std::move(value).value());
        }
        return values;
    }
};

} // namespace pellacor::core
