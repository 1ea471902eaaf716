#pragma once

#include "MenuBarCore/Support/Uuid.h"

#include <string>

namespace pellacor::app {

// One profile as a menu or a settings list offers it.
struct ProfileChoice {
    core::Uuid id;
    // The profile's display name among all profiles.
    std::string name;
    bool isActive = false;

    bool operator==(const ProfileChoice&) const = default;
};

} // namespace pellacor::app
