#pragma once

#include "MenuBarCore/Support/Uuid.h"

#include <string>
#include <string_view>

namespace pellacor::core {

// One profile as a shortcut offers it for choosing: the profile's id (also
// what the shortcut keeps) and its name as the profile editor lists it.
struct ProfileEntity {
    Uuid id;
    std::string name;

    // What the kind of value is called where it is chosen.
    static constexpr std::string_view typeDisplayName = "プロファイル";
    // Shown for the value: the name alone, no subtitle and no image.
    const std::string& title() const { return name; }

    bool operator==(const ProfileEntity&) const = default;
};

} // namespace pellacor::core
