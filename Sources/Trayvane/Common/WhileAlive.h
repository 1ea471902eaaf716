#pragma once

#include <memory>
#include <utility>

namespace pellacor::app {

// A callback that hands its arguments to `act` together with the object while
// the object lives, and does nothing once it is gone. The delegate's objects
// hold one another's callbacks, and none of those may keep the other alive.
template <typename T, typename Act> auto whileAlive(std::weak_ptr<T> weak, Act act) {
    return [weak = std::move(weak), act = std::move(act)](auto&&... arguments) {
        if (const auto object = weak.lock()) {
            act(*object, std::forward<decltype(arguments)>(arguments)...);
        }
    };
}

} // namespace pellacor::app
