#include "MenuBarCore/Support/JsonCoding.h"

#include <cmath>
#include <limits>

namespace pellacor::core {

DecodeResult<Json> parseJson(std::string_view text) {
    // Asked not to throw, the parser answers a discarded value for malformed text;
    // the catch keeps any other library error inside this call all the same.
    try {
        Json json = Json::parse(text.begin(), text.end(), nullptr, false);
        if (!json.is_discarded()) {
            return json;
        }
    } catch (const Json::exception&) {
    }
    return DecodeError{DecodeError::Kind::dataCorrupted, "", "the data is not valid JSON"};
}

namespace detail {

std::string_view jsonTypeName(const Json& json) {
    switch (json.type()) {
    case Json::value_t::null:
        return "null";
    case Json::value_t::object:
        return "an object";
    case Json::value_t::array:
        return "an array";
    case Json::value_t::string:
        return "a string";
    case Json::value_t::boolean:
        return "a Boolean";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
        return "a number";
    case Json::value_t::binary:
        return "binary data";
    case Json::value_t::discarded:
        return "nothing";
    }
    return "nothing";
}

} // namespace detail

DecodeError typeMismatch(const Json& found, std::string_view expected, const CodingPath& path) {
    auto kind = found.is_null() ? DecodeError::Kind::valueNotFound : DecodeError::Kind::typeMismatch;
    return DecodeError{kind, path.text(),
                       "expected " + std::string(expected) + ", found " +
                           std::string(detail::jsonTypeName(found))};
}

DecodeError dataCorrupted(std::string message, const CodingPath& path) {
    return DecodeError{DecodeError::Kind::dataCorrupted, path.text(), std::move(message)};
}

std::optional<DecodeError> expectObject(const Json& json, const CodingPath& path) {
    if (json.is_object()) {
        return std::nullopt;
    }
    return typeMismatch(json, "an object", path);
}

DecodeResult<std::string> JsonCoding<std::string>::decode(const Json& json, const CodingPath& path) {
    if (!json.is_string()) {
        return typeMismatch(json, "a string", path);
    }
    return json.get_ref<const std::string&>();
}

DecodeResult<std::int64_t> JsonCoding<std::int64_t>::decode(const Json& json, const CodingPath& path) {
    if (json.is_number_unsigned()) {
        auto value = json.get<std::uint64_t>();
        if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return dataCorrupted("the number " + json.dump() + " does not fit a whole number", path);
        }
        return static_cast<std::int64_t>(value);
    }
    if (json.is_number_integer()) {
        return json.get<std::int64_t>();
    }
    if (json.is_number_float()) {
        // "1.0" is the whole number 1; "1.5" is not a whole number at all.
        double value = json.get<double>();
        if (std::trunc(value) == value && value >= -9223372036854775808.0 && value < 9223372036854775808.0) {
            return static_cast<std::int64_t>(value);
        }
        return dataCorrupted("the number " + json.dump() + " does not fit a whole number", path);
    }
    return typeMismatch(json, "a number", path);
}

DecodeResult<bool> JsonCoding<bool>::decode(const Json& json, const CodingPath& path) {
    if (!json.is_boolean()) {
        return typeMismatch(json, "a Boolean", path);
    }
    return json.get<bool>();
}

DecodeResult<Uuid> JsonCoding<Uuid>::decode(const Json& json, const CodingPath& path) {
    if (!json.is_string()) {
        return typeMismatch(json, "a string", path);
    }
    const auto& text = json.get_ref<const std::string&>();
    auto id = Uuid::parse(text);
    if (!id) {
        return dataCorrupted("\"" + text + "\" is not a valid UUID", path);
    }
    return *id;
}

} // namespace pellacor::core
