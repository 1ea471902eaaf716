#pragma once

#include <string_view>

namespace pellacor::system {

// Why a hidden application is revealed; the revealer picks its own deadline from it.
// Hashed by its case number (the standard hash of an enumeration).
enum class RevealPurpose {
    press,      // long enough for one press and its menu; a short deadline
    leaveShown, // kept shown after pressing failed, so the user can click; a long deadline
};

// For logs: "press", "leaveShown".
std::string_view toString(RevealPurpose purpose);

} // namespace pellacor::system
