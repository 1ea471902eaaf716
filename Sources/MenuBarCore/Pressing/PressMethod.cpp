#include "MenuBarCore/Pressing/PressMethod.h"

namespace pellacor::core {

std::string_view rawValue(PressMethod method) {
    switch (method) {
    case PressMethod::direct:
        return "direct";
    case PressMethod::hiddenPress:
        return "hiddenPress";
    case PressMethod::revealPress:
        return "revealPress";
    case PressMethod::liftPress:
        return "liftPress";
    }
    return "direct";
}

std::optional<PressMethod> pressMethodFromRawValue(std::string_view text) {
    for (PressMethod method : allPressMethods) {
        if (rawValue(method) == text) {
            return method;
        }
    }
    return std::nullopt;
}

std::string toString(PressMethod method) {
    return std::string(rawValue(method));
}

} // namespace pellacor::core
