#pragma once

#include "MenuBarCore/Model/AppKey.h"
#include "MenuBarCore/Model/MenuBarState.h"
#include "MenuBarCore/Model/Profile.h"

#include <set>
#include <string>
#include <vector>

namespace pellacor::core {

// One view of the world to plan the menu bar's restriction from.
struct VisibilityInput {
    MenuBarState state;
    // The active profile; only its sections and its new-item section are read.
    Profile profile;
    // The applications that own status items now (read owners and running applications).
    std::vector<AppKey> currentOwners;
    // Applications the notch moved off the bar.
    std::set<AppKey> notchOverflow;
    // Applications revealed for the moment (for a press, or left shown after one).
    std::set<AppKey> temporarilyShown;
    // True while the whole restriction is lifted for a moment.
    bool temporarilyUnrestricted = false;
    std::string selfBundleID;
};

} // namespace pellacor::core
