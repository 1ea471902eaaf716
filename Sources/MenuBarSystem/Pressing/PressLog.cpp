#include "MenuBarSystem/Pressing/PressLog.h"

namespace pellacor::system {

const core::Log& PressLog::press() {
    static const core::Log log = core::Log::press();
    return log;
}

} // namespace pellacor::system
