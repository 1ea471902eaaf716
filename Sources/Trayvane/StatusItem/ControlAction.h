#pragma once

namespace pellacor::app {

// What choosing an entry of the control item's menu does.
enum class ControlAction {
    none, // a title only (the profile parent entry, the running update check)
    revealAll,
    pause,
    resume,
    permissionGuide,
    switchUser,
    settings,
    help,
    notice, // opens help at the entry's topic
    about,
    feedback,
    update,
    profile, // switches to the entry's profile
    manageProfiles,
    quit,
};

} // namespace pellacor::app
