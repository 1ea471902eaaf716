#pragma once

#include "Platform/PropertyListValue.h"
#include "Trayvane/App/ProgramEnvironment.h"
#include "Trayvane/Launch/LaunchPreferences.h"
#include "Trayvane/Settings/RevealPreferences.h"
#include "Trayvane/StatusItem/StatusItemMenu.h"

#include <memory>
#include <optional>

namespace pellacor::coordinator {
class Coordinator;
} // namespace pellacor::coordinator

namespace pellacor::system {
class UserSwitch;
} // namespace pellacor::system

namespace pellacor::app {

class ControlItem;
class StandInPress;
class UserSwitcherItem;
class UserSwitcherStyleObserver;
struct SharedServices;

// The program's own items on the bar. Made with the control item, before
// the engine, which reads the control item's frame; `addStandIn` then joins
// the user-switcher stand-in to the engine: the item (its look from the
// system's style and the real switcher's width), the answer remembered from
// the last run, the observer of the system's style setting, the stand-in's
// press through the coordinator, and the switch to the login window that
// both items' menus offer. Nothing to take down: the items stay on the bar
// until the program ends, and the observer, declared last, stops first.
// Main thread.
class StatusItemsComponent {
public:
    StatusItemsComponent(const ProgramEnvironment& environment, const SharedServices& services);
    ~StatusItemsComponent();
    StatusItemsComponent(const StatusItemsComponent&) = delete;
    StatusItemsComponent& operator=(const StatusItemsComponent&) = delete;

    void addStandIn(const std::shared_ptr<coordinator::Coordinator>& coordinator);

    const std::shared_ptr<ControlItem>& controlItem() const { return controlItem_; }
    const std::shared_ptr<UserSwitcherItem>& userSwitcherItem() const { return userSwitcherItem_; }
    const std::shared_ptr<StandInPress>& standInPress() const { return standInPress_; }

    // Whether the system's user switcher is in the menu bar, as remembered from
    // the previous run, else as the Control Center's "UserSwitcher" setting
    // says (bit 2: shown, bit 8: not shown); nothing when neither tells.
    static std::optional<bool> userSwitcherAnswer(std::optional<bool> remembered,
                                                  const std::optional<platform::PropertyListValue>& setting);
    // The status items' menus open where the item stands on the real screen.
    static StatusItemMenu::Runner menuRunner(const ProgramEnvironment& environment);

private:
    void buildUserSwitcherItem(const std::weak_ptr<coordinator::Coordinator>& coordinator);
    void keepUserSwitcherAnswers(coordinator::Coordinator& coordinator);
    void wireStandInPress(coordinator::Coordinator& coordinator);
    void offerUserSwitch();

    platform::PlatformServices platform_;
    concurrency::MainExecutor* executor_;
    StatusItemMenu::Runner runMenu_;
    LaunchPreferences launchPreferences_;
    RevealPreferences revealPreferences_;
    std::shared_ptr<ControlItem> controlItem_;
    std::shared_ptr<UserSwitcherItem> userSwitcherItem_;
    std::shared_ptr<StandInPress> standInPress_;
    std::shared_ptr<system::UserSwitch> userSwitch_;
    std::unique_ptr<UserSwitcherStyleObserver> userSwitcherStyleObserver_;
};

} // namespace pellacor::app
