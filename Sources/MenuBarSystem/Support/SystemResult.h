#pragma once

#include "MenuBarSystem/Support/UnavailableReason.h"

#include <cassert>
#include <concepts>
#include <fmt/format.h>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace pellacor::system {

// The outcome of every operation that touches the system: ok with its value, not
// available for a reason, or no answer in time. Such operations never throw.
// `SystemResult<>` (of `void`) is the result of an operation without a value.
template <typename T = void> class SystemResult {
public:
    // What `ok` carries: `std::monostate` for operations without a value.
    using Value = std::conditional_t<std::is_void_v<T>, std::monostate, T>;

    enum class Kind { ok, unavailable, timeout };

    static SystemResult ok(Value value) requires(!std::is_void_v<T>) {
        return SystemResult(Content(std::in_place_index<0>, std::move(value)));
    }
    static SystemResult ok() requires std::is_void_v<T> {
        return SystemResult(Content(std::in_place_index<0>));
    }
    static SystemResult unavailable(UnavailableReason reason) {
        return SystemResult(Content(std::in_place_index<1>, reason));
    }
    static SystemResult timeout() { return SystemResult(Content(std::in_place_index<2>)); }

    Kind kind() const { return static_cast<Kind>(content_.index()); }
    bool isOk() const { return kind() == Kind::ok; }
    bool isTimeout() const { return kind() == Kind::timeout; }
    bool isUnavailable() const { return kind() == Kind::unavailable; }

    // The payload of `ok`; nothing for `unavailable` and `timeout`.
    std::optional<Value> value() const& {
        if (const auto* value = std::get_if<0>(&content_)) {
            return *value;
        }
        return std::nullopt;
    }
    std::optional<Value> value() && {
        if (auto* value = std::get_if<0>(&content_)) {
            return std::move(*value);
        }
        return std::nullopt;
    }

    // The reason of `unavailable`; nothing otherwise.
    std::optional<UnavailableReason> reason() const {
        if (const auto* reason = std::get_if<1>(&content_)) {
            return *reason;
        }
        return std::nullopt;
    }

    // Same case with equal payloads; two time-outs are equal.
    bool operator==(const SystemResult& other) const requires std::equality_comparable<Value> {
        return content_ == other.content_;
    }

private:
    struct Timeout {
        bool operator==(const Timeout&) const = default;
    };
    using Content = std::variant<Value, UnavailableReason, Timeout>;

    explicit SystemResult(Content content) : content_(std::move(content)) {}

    Content content_;
};

// For logs: "ok", "ok(<value>)" when the value has a text form, "unavailable(layoutChanged)", "timeout".
template <typename T> std::string toString(const SystemResult<T>& result) {
    using Kind = typename SystemResult<T>::Kind;
    switch (result.kind()) {
    case Kind::ok:
        if constexpr (std::is_void_v<T>) {
            return "ok";
        } else {
            const auto value = result.value();
            if constexpr (requires { toString(*value); }) {
                return "ok(" + std::string(toString(*value)) + ")";
            } else if constexpr (requires { value->description(); }) {
                return "ok(" + std::string(value->description()) + ")";
            } else if constexpr (fmt::is_formattable<T>::value) {
                return fmt::format("ok({})", *value);
            } else {
                return "ok";
            }
        }
    case Kind::unavailable:
        return "unavailable(" + toString(*result.reason()) + ")";
    case Kind::timeout:
        return "timeout";
    }
    return "timeout";
}

} // namespace pellacor::system
