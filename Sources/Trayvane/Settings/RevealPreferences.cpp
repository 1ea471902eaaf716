#include "Trayvane/Settings/RevealPreferences.h"

#include "Trayvane/Common/DefaultsKey.h"

namespace pellacor::app {

std::optional<double> RevealPreferences::realUserSwitcherWidth() const {
    return defaults.number(DefaultsKey::realUserSwitcherWidth);
}

std::optional<bool> RevealPreferences::realUserSwitcherInBar() const {
    return defaults.boolValue(DefaultsKey::realUserSwitcherInBar);
}

bool RevealPreferences::userSwitcherStandIn() const {
    return defaults.boolValue(DefaultsKey::userSwitcherStandInEnabled).value_or(true);
}

bool RevealPreferences::dragSort() const {
    return defaults.boolValue(DefaultsKey::dragSortEnabled).value_or(true);
}

bool RevealPreferences::notchOverflow() const {
    return defaults.boolValue(DefaultsKey::notchOverflowEnabled).value_or(true);
}

} // namespace pellacor::app
