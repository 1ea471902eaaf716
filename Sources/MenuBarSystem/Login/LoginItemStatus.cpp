#include "MenuBarSystem/Login/LoginItemStatus.h"

namespace pellacor::system {

std::string_view toString(LoginItemStatus status) {
    switch (status) {
    case LoginItemStatus::enabled:
        return "enabled";
    case LoginItemStatus::requiresApproval:
        return "requiresApproval";
    case LoginItemStatus::notRegistered:
        return "notRegistered";
    case LoginItemStatus::notFound:
        return "notFound";
    }
    return "notRegistered";
}

} // namespace pellacor::system
