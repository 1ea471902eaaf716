#pragma once

#include "Platform/InputState.h"

namespace pellacor::system {

// How long ago the user last pressed something. Holds nothing.
class InputClock {
public:
    InputClock() = delete;

    // Seconds since the last key or mouse-button press (left, right or any
    // other button) in the combined session: the most recent of the four.
    static double secondsSinceLastPress(const platform::InputState& input);
};

} // namespace pellacor::system
