#pragma once

#include "Trayvane/App/StandInPress.h"
#include "Trayvane/StatusItem/ControlItem.h"
#include "Trayvane/StatusItem/UserSwitcherItem.h"
#include "Trayvane/StatusItem/UserSwitcherStyleObserver.h"

#include <memory>

namespace pellacor::app {

// The program's own items on the bar and what keeps them current: the
// control item, the user-switcher stand-in with its press and the observer
// of the system's style setting. Made by start-up in that order; the
// observer is declared last so that it stops first, before the item it
// repaints.
struct StatusItems {
    std::shared_ptr<ControlItem> controlItem;
    std::shared_ptr<UserSwitcherItem> userSwitcherItem;
    std::shared_ptr<StandInPress> standInPress;
    std::unique_ptr<UserSwitcherStyleObserver> userSwitcherStyleObserver;
};

} // namespace pellacor::app
