#include "MenuBarSystem/Watching/AppActivity.h"

namespace pellacor::system {

std::string toString(const AppActivity& activity) {
    const char* kind = "";
    switch (activity.kind()) {
    case AppActivity::Kind::launched:
        kind = "launched";
        break;
    case AppActivity::Kind::terminated:
        kind = "terminated";
        break;
    case AppActivity::Kind::activated:
        kind = "activated";
        break;
    }
    return std::string(kind) + "(" + activity.bundleID() + ")";
}

} // namespace pellacor::system
