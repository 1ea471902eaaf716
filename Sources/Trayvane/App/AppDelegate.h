#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/OffMain.h"
#include "Concurrency/SerialQueue.h"
#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Model/MenuBarState.h"
#include "MenuBarSystem/Input/HotkeyCenter.h"
#include "MenuBarSystem/Input/HotkeyProblem.h"
#include "MenuBarSystem/Login/LoginItem.h"
#include "MenuBarSystem/Safety/HangWatchdog.h"
#include "MenuBarSystem/Session/UserSwitch.h"
#include "Platform/PlatformServices.h"
#include "Platform/PropertyListValue.h"
#include "Trayvane/Composition/CoordinatorComposition.h"
#include "Trayvane/Coordinator/Coordinator.h"
#include "Trayvane/Launch/LaunchPreferences.h"
#include "Trayvane/MainMenu/MainMenuActions.h"
#include "Trayvane/Onboarding/PermissionGuideWindowController.h"
#include "Trayvane/Panels/BelowBarController.h"
#include "Trayvane/Panels/SearchController.h"
#include "Trayvane/Settings/AppLookup.h"
#include "Trayvane/Settings/IconStore.h"
#include "Trayvane/Settings/ProfileEditor.h"
#include "Trayvane/Settings/ProfilesModel.h"
#include "Trayvane/Settings/RevealPreferences.h"
#include "Trayvane/Settings/SettingsStore.h"
#include "Trayvane/StatusItem/ControlItem.h"
#include "Trayvane/StatusItem/StatusItemMenu.h"
#include "Trayvane/StatusItem/UserSwitcherItem.h"
#include "Trayvane/StatusItem/UserSwitcherStyleObserver.h"

#include <QPoint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pellacor::app {

// The application delegate: the one owner of every long-lived object of the
// program. Created by the entry point with whether Shift or Option was held
// at launch; `applicationDidFinishLaunching` builds the services, the
// coordinator, the models and the status items in one fixed order, wires
// them, registers the hot keys and starts the coordinator; and
// `applicationWillTerminate` takes the program down in order, the restriction
// first. Every closure it hands out holds its targets weakly, so none keeps
// an object alive. Main thread only.
class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
public:
    // What the process hands the delegate: the main executor, the platform's
    // interfaces and the facts of the main bundle. Whoever runs the program
    // fills it; nothing else in the program learns which platform lies below.
    struct Environment {
        concurrency::MainExecutor* executor = nullptr;
        platform::PlatformServices platform;
        // The identifier the main bundle reports; nothing when it reports none.
        std::optional<std::string> bundleIdentifier;
        // Where the main bundle lies, and the folder that stands for "/Applications".
        std::filesystem::path bundleURL;
        std::filesystem::path applicationsFolder = system::HealthCheck::applicationsFolderPath;
        // Where a point of the screens, top-down (origin at the first screen's
        // top left, y down), lies on the real screen: the program's menus,
        // panels and windows go there. The identity unless given.
        std::function<QPoint(core::Point)> place;
        // The state document; the default file when empty.
        std::filesystem::path stateFile;
        // Ends the application through its normal termination; the application's own quit unless given.
        std::function<void()> terminate;

        // The watchdog's timing and effects, and whether start-up starts it (a
        // test that keeps its process may leave it stopped); an unset `post`
        // pings the executor for as long as the delegate lives.
        system::HangWatchdog::Environment watchdog;
        bool startWatchdog = true;
        // Where icons are rendered; unset: the icon store's utility queue.
        concurrency::OffMain iconRuns;
        // The queues of the services' blocking work (the program's own unless
        // given), where the presser's calls run (on its queue unless given), and
        // a look at the composed services before the coordinator is built from
        // them, for a test that wraps them.
        std::optional<CoordinatorComposition::Queues> queues;
        concurrency::OffMain presserRuns;
        std::function<void(CoordinatorComposition&)> composed;
    };

    // The delegate as the entry point makes it: nothing built yet.
    static std::shared_ptr<AppDelegate> create(Environment environment, bool modifierAtLaunch);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Start-up, once; a second call does nothing.
    void applicationDidFinishLaunching();
    // The program was opened again while running: shows the settings window
    // when there is one; false in every case.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    // Shutdown: the search panel closed, the coordinator shut down (the
    // restriction lifted), the hot keys unregistered.
    void applicationWillTerminate();

    // The hot-key note for a registration's outcome: nothing when it was
    // registered, else what the control item's menu says about it.
    static std::optional<std::string> hotkeyNote(const system::Hotkey& hotkey,
                                                 const std::optional<system::HotkeyProblem>& problem);
    // Whether the system's user switcher is in the menu bar, as remembered from
    // the previous run, else as the Control Center's "UserSwitcher" setting
    // says (bit 2: shown, bit 8: not shown); nothing when neither tells.
    static std::optional<bool> userSwitcherAnswer(std::optional<bool> remembered,
                                                  const std::optional<platform::PropertyListValue>& setting);
    // The bundle identifier the program goes by: the main bundle's, else the built-in one.
    static std::string selfBundleIdentifier(const std::optional<std::string>& reported);

    // The objects, once built (nothing before start-up).
    const std::shared_ptr<ControlItem>& controlItem() const { return controlItem_; }
    const std::shared_ptr<coordinator::Coordinator>& coordinator() const { return coordinator_; }
    system::HotkeyCenter* hotkeys() const { return hotkeys_.get(); }
    const std::shared_ptr<system::HangWatchdog>& hangWatchdog() const { return hangWatchdog_; }
    const std::shared_ptr<SettingsStore>& settingsStore() const { return settingsStore_; }
    const std::shared_ptr<ProfilesModel>& profilesModel() const { return profilesModel_; }
    const std::shared_ptr<ProfileEditor>& profileEditor() const { return profileEditor_; }
    PermissionGuideWindowController& permissionGuide() const { return *permissionGuide_; }
    BelowBarController& belowBar() const { return *belowBar_; }
    const std::shared_ptr<UserSwitcherItem>& userSwitcherItem() const { return userSwitcherItem_; }
    SearchController& search() const { return *search_; }
    const LaunchPreferences& launchPreferences() const { return launchPreferences_; }
    const RevealPreferences& revealPreferences() const { return revealPreferences_; }
    bool modifierAtLaunch() const { return modifierAtLaunch_; }
    // The services the coordinator runs on, once composed.
    const CoordinatorComposition* composition() const { return composition_.get(); }

private:
    struct Relay;

    AppDelegate(Environment environment, bool modifierAtLaunch);

    // Start-up in its groups of steps.
    void buildCoordinator();
    void readSwitches();
    void buildUserSwitcherItem();
    void restoreUserSwitcherAnswer();
    void buildModels();
    void wireMainRoad();
    void registerHotkeys();
    void showCurrentState();

    // The frame of the control item's button window, in screen coordinates (y
    // up); nothing when the item, its button or its window is gone.
    static std::optional<core::Rect> controlFrame(const std::weak_ptr<ControlItem>& control);
    // The status items' menus open where the control item stands on the real screen.
    StatusItemMenu::Runner menuRunner() const;
    // A new value of a coordinator switch: stored, and its reaction run only when it changed.
    static void setSwitch(coordinator::Coordinator& coordinator, bool coordinator::Coordinator::*field,
                          bool value, void (*reaction)(coordinator::Coordinator&));

    Environment environment_;
    std::shared_ptr<Relay> relay_;
    std::shared_ptr<IconStore> icons_;
    std::shared_ptr<AppLookup> names_;
    std::unique_ptr<CoordinatorComposition> composition_;
    std::unique_ptr<MainMenuActions> mainMenu_;
    std::shared_ptr<system::UserSwitch> userSwitch_;
    bool hasLaunched_ = false;

    // The delegate's fields, in the order the program's design gives them.
    std::shared_ptr<ControlItem> controlItem_;
    std::shared_ptr<coordinator::Coordinator> coordinator_;
    std::unique_ptr<system::HotkeyCenter> hotkeys_;
    std::shared_ptr<system::HangWatchdog> hangWatchdog_;
    std::shared_ptr<SettingsStore> settingsStore_;
    std::shared_ptr<ProfilesModel> profilesModel_;
    std::shared_ptr<ProfileEditor> profileEditor_;
    std::unique_ptr<PermissionGuideWindowController> permissionGuide_;
    std::unique_ptr<BelowBarController> belowBar_;
    std::shared_ptr<UserSwitcherItem> userSwitcherItem_;
    std::unique_ptr<UserSwitcherStyleObserver> userSwitcherStyleObserver_;
    std::unique_ptr<SearchController> search_;
    LaunchPreferences launchPreferences_;
    RevealPreferences revealPreferences_;
    std::shared_ptr<system::LoginItem> loginItem_;
    bool modifierAtLaunch_;
    double launchedAt_;
};

} // namespace pellacor::app
