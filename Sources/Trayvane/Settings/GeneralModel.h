#pragma once

#include "MenuBarCore/Model/MenuBarState.h"
#include "MenuBarCore/Support/Observers.h"
#include "MenuBarSystem/Login/LoginItemStatus.h"
#include "Trayvane/Coordinator/PauseReason.h"

#include <functional>
#include <optional>
#include <string>

namespace pellacor::app {

// The model behind the settings' General page: the login item's status and
// whether its last change failed, the Accessibility trust, whether the program
// runs from the Applications folder, the coordinator's state and pause reason,
// and the five feature switches. The page only reads it and calls its
// callbacks; the application delegate performs each action and writes the
// result back, so a switch flips only once the delegate has stored it. Plain
// C++, observable; every setter stores an equal value without telling
// anyone. Main thread.
class GeneralModel {
public:
    enum class Property {
        loginStatus,
        loginChangeFailed,
        trusted,
        inApplicationsFolder,
        state,
        pauseReason,
        hoverReveal,
        belowBar,
        userSwitcherStandIn,
        dragSort,
        notchOverflow,
    };

    system::LoginItemStatus loginStatus() const { return loginStatus_; }
    void setLoginStatus(system::LoginItemStatus status) {
        observers.assign(loginStatus_, status, Property::loginStatus);
    }
    // The last attempt to switch the login item did not reach the wanted status.
    bool loginChangeFailed() const { return loginChangeFailed_; }
    void setLoginChangeFailed(bool failed) {
        observers.assign(loginChangeFailed_, failed, Property::loginChangeFailed);
    }
    // Nothing until the coordinator has asked.
    std::optional<bool> trusted() const { return trusted_; }
    void setTrusted(std::optional<bool> trusted) { observers.assign(trusted_, trusted, Property::trusted); }
    bool inApplicationsFolder() const { return inApplicationsFolder_; }
    void setInApplicationsFolder(bool inside) {
        observers.assign(inApplicationsFolder_, inside, Property::inApplicationsFolder);
    }
    // The coordinator's effective state, and why it is paused.
    core::MenuBarState state() const { return state_; }
    void setState(core::MenuBarState state) { observers.assign(state_, state, Property::state); }
    const std::optional<coordinator::PauseReason>& pauseReason() const { return pauseReason_; }
    void setPauseReason(std::optional<coordinator::PauseReason> reason) {
        observers.assign(pauseReason_, std::move(reason), Property::pauseReason);
    }

    // The feature switches, as stored in the user defaults.
    bool hoverReveal() const { return hoverReveal_; }
    void setHoverReveal(bool on) { observers.assign(hoverReveal_, on, Property::hoverReveal); }
    bool belowBar() const { return belowBar_; }
    void setBelowBar(bool on) { observers.assign(belowBar_, on, Property::belowBar); }
    bool userSwitcherStandIn() const { return userSwitcherStandIn_; }
    void setUserSwitcherStandIn(bool on) {
        observers.assign(userSwitcherStandIn_, on, Property::userSwitcherStandIn);
    }
    bool dragSort() const { return dragSort_; }
    void setDragSort(bool on) { observers.assign(dragSort_, on, Property::dragSort); }
    bool notchOverflow() const { return notchOverflow_; }
    void setNotchOverflow(bool on) { observers.assign(notchOverflow_, on, Property::notchOverflow); }

    // The note under the login check box, or nothing: a failed change first,
    // then what the status asks of the user. Worked out on every read.
    std::optional<std::string> loginNote() const;
    // The permission section's status line, from the trust and the state.
    std::string permissionText() const;

    // What the page reports; each is called only when set.
    std::function<void(bool)> onSetLoginItem;
    std::function<void(bool)> onSetHoverReveal;
    std::function<void(bool)> onSetBelowBar;
    std::function<void(bool)> onSetUserSwitcherStandIn;
    std::function<void(bool)> onSetDragSort;
    std::function<void(bool)> onSetNotchOverflow;
    std::function<void()> onOpenLoginSettings;
    std::function<void()> onOpenPermissionGuide;
    std::function<void()> onPause;
    std::function<void()> onResume;
    std::function<void()> onOpenHelp;

    core::Observers<Property> observers;

private:
    system::LoginItemStatus loginStatus_ = system::LoginItemStatus::notRegistered;
    bool loginChangeFailed_ = false;
    std::optional<bool> trusted_;
    bool inApplicationsFolder_ = true;
    core::MenuBarState state_ = core::MenuBarState::starting;
    std::optional<coordinator::PauseReason> pauseReason_;
    bool hoverReveal_ = false;
    bool belowBar_ = false;
    bool userSwitcherStandIn_ = true;
    bool dragSort_ = true;
    bool notchOverflow_ = true;
};

} // namespace pellacor::app
