#include "MenuBarSystem/Pressing/RevealPurpose.h"

namespace pellacor::system {

std::string_view toString(RevealPurpose purpose) {
    switch (purpose) {
    case RevealPurpose::press:
        return "press";
    case RevealPurpose::leaveShown:
        return "leaveShown";
    }
    return "press";
}

} // namespace pellacor::system
