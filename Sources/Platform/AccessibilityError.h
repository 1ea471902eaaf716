#pragma once

#include <cstdint>

namespace pellacor::platform {

// The accessibility interface's result codes, with the values the system uses.
struct AccessibilityError {
    static constexpr std::int32_t success = 0;
    static constexpr std::int32_t failure = -25200;
    static constexpr std::int32_t illegalArgument = -25201;
    static constexpr std::int32_t invalidUIElement = -25202;
    // Also the answer when an element does not reply within its messaging time-out.
    static constexpr std::int32_t cannotComplete = -25204;
    static constexpr std::int32_t attributeUnsupported = -25205;
    static constexpr std::int32_t actionUnsupported = -25206;
    static constexpr std::int32_t notImplemented = -25208;
    static constexpr std::int32_t apiDisabled = -25211;
    static constexpr std::int32_t noValue = -25212;
};

} // namespace pellacor::platform
