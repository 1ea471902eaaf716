#include "MenuBarSystem/Reading/RawMenuBarItem.h"

namespace pellacor::system {

std::string RawMenuBarItem::description() const {
    return "RawMenuBarItem(" + (frame ? frame->description() : std::string("位置なし")) + ")";
}

} // namespace pellacor::system
