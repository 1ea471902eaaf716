#include "MenuBarSystem/Input/InputClock.h"

#include <algorithm>
#include <initializer_list>

namespace pellacor::system {

double InputClock::secondsSinceLastPress(const platform::InputState& input) {
    using platform::InputState;
    const auto since = [&input](std::uint32_t type) {
        return input.secondsSinceLastEventType(InputState::combinedSessionState, type);
    };
    return std::min({since(InputState::keyDown), since(InputState::leftMouseDown),
                     since(InputState::rightMouseDown), since(InputState::otherMouseDown)});
}

} // namespace pellacor::system
