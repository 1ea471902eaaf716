#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pellacor::core {

// The ways the presser knows of opening a status item's menu.
enum class PressMethod {
    direct,      // the owner is not hidden: press the item where it stands
    hiddenPress, // press through Accessibility while the owner stays hidden
    revealPress, // show the owner for a moment, wait for its item, then press
    liftPress,   // lift the whole restriction and press a system-owned item
};

inline constexpr std::array<PressMethod, 4> allPressMethods{PressMethod::direct, PressMethod::hiddenPress,
                                                            PressMethod::revealPress, PressMethod::liftPress};

// "direct", "hiddenPress", "revealPress", "liftPress": the only textual form of a method.
std::string_view rawValue(PressMethod method);
// Exactly the four raw values (case-sensitive); anything else is nothing.
std::optional<PressMethod> pressMethodFromRawValue(std::string_view text);
// For logs: the raw value.
std::string toString(PressMethod method);

} // namespace pellacor::core

// Hashes the raw value, so that the hash does not depend on the order of the cases.
template <> struct std::hash<pellacor::core::PressMethod> {
    std::size_t operator()(pellacor::core::PressMethod method) const noexcept {
        return std::hash<std::string_view>()(pellacor::core::rawValue(method));
    }
};
