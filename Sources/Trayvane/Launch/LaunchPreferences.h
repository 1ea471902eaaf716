#pragma once

#include "MenuBarSystem/Login/LoginItemControlling.h"
#include "Trayvane/Common/UserDefaults.h"
#include "Trayvane/Coordinator/PauseReason.h"

#include <optional>
#include <string>

namespace pellacor::app {

// What the launch decides from the user defaults: whether hiding starts
// paused, which system version hiding was last confirmed under, and the
// login item turned on once by default. Main thread.
class LaunchPreferences {
public:
    explicit LaunchPreferences(UserDefaults defaults) : defaults(std::move(defaults)) {}

    // `osVersionChanged` when the system version differs from the confirmed
    // one (whatever the keys); otherwise `optionKeyAtLaunch` when Shift or
    // Option is held, else nothing. A first run (nothing confirmed yet) is
    // never paused for the version. Confirms nothing.
    std::optional<coordinator::PauseReason> pauseReasonAtLaunch(bool modifierHeld,
                                                                const std::string& currentOS) const;
    // A restriction took effect under this version: it becomes the confirmed one.
    void confirmOSVersion(const std::string& version);
    // Once per installation in the Applications folder: turns the login item
    // on, unless the user already has it on or waiting for approval. Only a
    // login item that ends up on or waiting marks the default as applied, so a
    // failure is tried again at the next launch.
    void applyLoginItemDefault(system::LoginItemControlling& loginItem, bool inApplicationsFolder);

    UserDefaults defaults;
};

} // namespace pellacor::app
