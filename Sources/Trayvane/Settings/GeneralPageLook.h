#pragma once

#include "Trayvane/Settings/GeneralModel.h"

#include <optional>
#include <string>
#include <string_view>

namespace pellacor::app {

// What the General page shows for one state of its model: which boxes are
// on, which notes and buttons appear and what the lines say. Worked out in
// plain C++ so the page's rules are tested without drawing it.
struct GeneralPageLook {
    // Login: the box, the note under it, and the button to the system's settings.
    bool loginBoxOn = false;
    std::optional<std::string> loginNote;
    bool showsLoginSettings = false;

    // Permission: the icon and its colour role, the line, and the guide button.
    std::string_view permissionSymbol;
    bool permissionGranted = false;
    std::string permissionText;
    bool showsPermissionGuide = false;

    // Pause: the control item's state line, and which of the two buttons shows.
    std::string stateText;
    bool offersResume = false;

    static GeneralPageLook of(const GeneralModel& model);

    bool operator==(const GeneralPageLook&) const = default;
};

} // namespace pellacor::app
