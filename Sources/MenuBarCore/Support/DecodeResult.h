#pragma once

#include <cassert>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace pellacor::core {

// Why a JSON value could not be read as the wanted type. The kinds follow the
// platform decoder's error cases, so that a caller can report them the same way.
struct DecodeError {
    enum class Kind {
        keyNotFound,   // a required member is missing
        valueNotFound, // a required value is null
        typeMismatch,  // the value has another JSON type
        dataCorrupted, // the value has the right type but not an accepted content
    };

    Kind kind = Kind::dataCorrupted;
    // Where the value sits in the document, e.g. `profiles[0].sections["com.example"]`;
    // empty for the document itself.
    std::string codingPath;
    std::string message;

    bool operator==(const DecodeError&) const = default;

    // "typeMismatch at profiles[0].name: expected a string, found number".
    std::string description() const;
};

std::string_view toString(DecodeError::Kind kind);

// The outcome of decoding: the value, or the first error met. Decoding never
// throws; every decoder of the program returns this shape.
template <typename T> class [[nodiscard]] DecodeResult {
public:
    DecodeResult(T value) : content_(std::in_place_index<0>, std::move(value)) {}
    DecodeResult(DecodeError error) : content_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return content_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // The decoded value; only when `ok()`.
    const T& value() const& {
        assert(ok());
        return std::get<0>(content_);
    }
    T& value() & {
        assert(ok());
        return std::get<0>(content_);
    }
    T&& value() && {
        assert(ok());
        return std::get<0>(std::move(content_));
    }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }

    // The error; only when not `ok()`.
    const DecodeError& error() const {
        assert(!ok());
        return std::get<1>(content_);
    }

    bool operator==(const DecodeResult&) const = default;

private:
    std::variant<T, DecodeError> content_;
};

} // namespace pellacor::core
