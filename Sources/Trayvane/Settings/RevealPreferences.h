#pragma once

#include "Trayvane/Common/UserDefaults.h"

#include <optional>

namespace pellacor::app {

// The feature switches and the remembered facts about the system's user
// switcher, as the user defaults hold them. A value of another type than the
// key's reads as absent, so the switch's default applies. Writing these keys is
// the General page's and the coordinator's callbacks' business, through
// `defaults`. Main thread.
class RevealPreferences {
public:
    explicit RevealPreferences(UserDefaults defaults) : defaults(std::move(defaults)) {}

    // The system user switcher's width in points; nothing when not known.
    std::optional<double> realUserSwitcherWidth() const;
    // Whether the system user switcher is on the bar; nothing when not known.
    std::optional<bool> realUserSwitcherInBar() const;
    // Switches that are on unless the user turned them off.
    bool userSwitcherStandIn() const;
    bool dragSort() const;
    bool notchOverflow() const;

    UserDefaults defaults;
};

} // namespace pellacor::app
