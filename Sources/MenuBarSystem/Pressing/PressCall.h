#pragma once

#include <cstdint>
#include <string>

namespace pellacor::system {

// The result of one accessibility press.
class PressCall {
public:
    enum class Kind {
        sent,   // the press was delivered; carries the result code (0, or -25204)
        failed, // the accessibility call failed; carries its error code
        noItem, // there was no item to press
    };

    static constexpr PressCall sent(std::int32_t code) { return PressCall(Kind::sent, code); }
    static constexpr PressCall failed(std::int32_t code) { return PressCall(Kind::failed, code); }
    static constexpr PressCall noItem() { return PressCall(Kind::noItem, 0); }

    constexpr Kind kind() const { return kind_; }
    // The payload of `sent` and `failed`; 0 for `noItem`.
    constexpr std::int32_t code() const { return code_; }

    // Same case and code.
    constexpr bool operator==(const PressCall&) const = default;

private:
    constexpr PressCall(Kind kind, std::int32_t code) : kind_(kind), code_(code) {}

    Kind kind_;
    std::int32_t code_;
};

// For logs and tests: "sent(0)", "failed(-25200)", "noItem".
std::string toString(const PressCall& call);

} // namespace pellacor::system
