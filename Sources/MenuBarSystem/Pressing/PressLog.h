#pragma once

#include "MenuBarCore/Support/Log.h"

namespace pellacor::system {

// The presser's log: the bundle identifier as subsystem, the category "press".
class PressLog {
public:
    // One logger for the whole process, made on first use.
    static const core::Log& press();
};

} // namespace pellacor::system
