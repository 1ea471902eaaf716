#pragma once

#include "MenuBarCore/Model/MenuBarState.h"
#include "Trayvane/Coordinator/PauseReason.h"
#include "Trayvane/StatusItem/ControlMenuEntry.h"
#include "Trayvane/StatusItem/ProfileChoice.h"

#include <optional>
#include <string>
#include <vector>

namespace pellacor::app {

// The control item's menu as data, built anew for every opening from what the
// item knows at that moment.
struct ControlMenu {
    struct Facts {
        core::MenuBarState state = core::MenuBarState::starting;
        std::optional<coordinator::PauseReason> pauseReason;
        std::optional<std::string> hotkeyNote;
        bool userSwitchAvailable = false;
        std::vector<ProfileChoice> profiles;
        bool profileIsAutomatic = false;
        bool isCheckingForUpdate = false;
    };

    static std::vector<ControlMenuEntry> build(const Facts& facts);
    // The help topic the state's notice opens.
    static HelpTopic noticeTopic(core::MenuBarState state,
                                 const std::optional<coordinator::PauseReason>& reason);
    // The profile submenu's parent entry; nothing when there are no profiles.
    static std::optional<ControlMenuEntry> profileMenu(const std::vector<ProfileChoice>& profiles,
                                                       bool profileIsAutomatic);
};

} // namespace pellacor::app
