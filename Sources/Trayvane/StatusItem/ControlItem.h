#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Model/MenuBarState.h"
#include "MenuBarSystem/Safety/HealthProblem.h"
#include "Platform/InputState.h"
#include "Platform/ProgramWindows.h"
#include "Platform/StatusBar.h"
#include "Trayvane/Coordinator/PauseReason.h"
#include "Trayvane/StatusItem/ControlMenu.h"
#include "Trayvane/StatusItem/StatusItemMenu.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QMenu;

namespace pellacor::app {

// The program's permanent status item: it shows the state, toggles on a
// click and opens the program's only menu. It decides nothing about the menu
// bar; every action leaves through a callback, and one that is not set does
// nothing. Main thread only.
class ControlItem {
public:
    // Shows the menu at the button's frame (screen coordinates) and returns once it closed.
    using MenuRunner = StatusItemMenu::Runner;

    ControlItem(std::shared_ptr<platform::StatusBar> statusBar, std::shared_ptr<platform::InputState> input,
                MenuRunner runMenu = {}, std::shared_ptr<platform::ProgramWindows> programWindows = {});
    ~ControlItem();
    ControlItem(const ControlItem&) = delete;
    ControlItem& operator=(const ControlItem&) = delete;

    std::function<void(bool withAll)> onToggle;
    std::function<void()> onPause;
    std::function<void()> onResume;
    std::function<void()> onOpenSettings;
    std::function<void()> onOpenPermissionGuide;
    std::function<void(std::optional<HelpTopic>)> onOpenHelp;
    std::function<void()> onOpenAbout;
    std::function<void()> onSendFeedback;
    std::function<void()> onCheckForUpdate;
    std::function<bool()> isCheckingForUpdate;
    std::function<void()> onSwitchUser;
    bool userSwitchAvailable = false;
    std::function<std::vector<ProfileChoice>()> profileChoices;
    std::function<void(core::Uuid)> onSwitchProfile;
    std::function<void()> onManageProfiles;
    std::function<bool()> profileIsAutomatic;
    // The quit entry's action; the application's own quit unless replaced.
    std::function<void()> terminate;
    // A notice about a hot key that clashes or did not register; set at launch.
    std::optional<std::string> hotkeyNote;

    void show(core::MenuBarState state, std::optional<coordinator::PauseReason> reason);
    // Drawn on the menu bar (true), drawn once and no longer (false), or not
    // to be told yet (nothing).
    std::optional<bool> isShownInMenuBar();
    // The frame of the button's window in screen coordinates (y up); nothing
    // while the item has no button window.
    std::optional<core::Rect> buttonFrame() const;

    static std::string stateText(core::MenuBarState state,
                                 const std::optional<coordinator::PauseReason>& reason);
    static std::string problemText(const system::HealthProblem& problem);
    // "broom", "broom.circle" or the name of the system symbol the state shows.
    static std::string_view iconName(core::MenuBarState state,
                                     const std::optional<coordinator::PauseReason>& reason);
    static std::optional<platform::StatusItemImage>
    image(core::MenuBarState state, const std::optional<coordinator::PauseReason>& reason);

    // The button's action: a click as the button sent it, or nothing when there is no current event.
    void buttonPressed(const std::optional<platform::StatusItem::ClickEvent>& event);
    // The menu as it would be built now. An entry whose callback is not set
    // shows disabled.
    std::vector<ControlMenuEntry> menuModel() const;
    // Carries out a chosen menu entry.
    void choose(const ControlMenuEntry& entry);

    core::MenuBarState state() const { return state_; }
    const std::optional<coordinator::PauseReason>& pauseReason() const { return pauseReason_; }
    const std::shared_ptr<platform::StatusItem>& statusItem() const { return statusItem_; }
    QMenu& menu() { return *menu_; }

private:
    void openMenu();
    bool handles(ControlAction action) const;
    void withoutUnhandled(std::vector<ControlMenuEntry>& entries) const;

    std::shared_ptr<platform::StatusBar> statusBar_;
    std::shared_ptr<platform::InputState> input_;
    MenuRunner runMenu_;
    std::shared_ptr<platform::ProgramWindows> programWindows_;
    std::shared_ptr<platform::StatusItem> statusItem_;
    std::unique_ptr<QMenu> menu_;
    core::MenuBarState state_ = core::MenuBarState::starting;
    std::optional<coordinator::PauseReason> pauseReason_;
    bool sawReplicas_ = false;
    std::optional<int> lastReplicaCount_;
};

} // namespace pellacor::app
