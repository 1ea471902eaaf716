#include "MenuBarSystem/Pressing/PressCall.h"

namespace pellacor::system {

std::string toString(const PressCall& call) {
    switch (call.kind()) {
    case PressCall::Kind::sent:
        return "sent(" + std::to_string(call.code()) + ")";
    case PressCall::Kind::failed:
        return "failed(" + std::to_string(call.code()) + ")";
    case PressCall::Kind::noItem:
        return "noItem";
    }
    return "noItem";
}

} // namespace pellacor::system
