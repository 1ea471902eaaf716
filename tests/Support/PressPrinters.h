#pragma once

#include "MenuBarSystem/Pressing/PressCall.h"
#include "MenuBarSystem/Pressing/PressOutcome.h"
#include "MenuBarSystem/Pressing/RevealTicket.h"

#include <ostream>

// How the tests print the pressing values.
namespace pellacor::system {
inline void PrintTo(const PressOutcome& outcome, std::ostream* out) {
    *out << toString(outcome);
}
inline void PrintTo(const RevealTicket& ticket, std::ostream* out) {
    *out << toString(ticket);
}
inline void PrintTo(const PressCall& call, std::ostream* out) {
    *out << toString(call);
}
} // namespace pellacor::system
