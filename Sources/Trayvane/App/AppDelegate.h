#pragma once

#include "Concurrency/Sleep.h"
#include "Concurrency/TaskHandle.h"
#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Model/MenuBarState.h"
#include "MenuBarCore/Support/FeedbackReport.h"
#include "MenuBarSystem/Safety/HangWatchdog.h"
#include "Platform/PropertyListValue.h"
#include "Trayvane/App/ProgramEnvironment.h"
#include "Trayvane/App/ProgramPanels.h"
#include "Trayvane/App/SettingsWindows.h"
#include "Trayvane/App/StatusItems.h"
#include "Trayvane/App/SupportWindowsComponent.h"
#include "Trayvane/Composition/CoordinatorComposition.h"
#include "Trayvane/Launch/LaunchPreferences.h"
#include "Trayvane/Settings/RevealPreferences.h"
#include "Trayvane/StatusItem/StatusItemMenu.h"

#include <filesystem>
#include <fmt/format.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellacor::core {
struct BelowBarEntry;
struct SearchCandidate;
} // namespace pellacor::core

namespace pellacor::coordinator {
class Coordinator;
enum class PressSource;
} // namespace pellacor::coordinator

namespace pellacor::system {
class HotkeyCenter;
class HotkeyProblem;
class LoginItem;
class UserSwitch;
struct Hotkey;
} // namespace pellacor::system

namespace pellacor::app {

class AppLookup;
class ExternalControl;
class IconStore;
class MainMenuActions;
class RuleRunner;
class SystemPlaces;

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
    // What the process hands the delegate; whatever it leaves unset becomes
    // the program's own.
    using Environment = ProgramEnvironment;

    // The delegate as the entry point makes it: nothing built yet.
    static std::shared_ptr<AppDelegate> create(Environment environment, bool modifierAtLaunch);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Start-up, once; a second call does nothing.
    void applicationDidFinishLaunching();
    // URLs of the program's scheme, delivered by the desktop: at most
    // `urlsPerDelivery` of one delivery run (the rest is logged and dropped),
    // at once while the external control is published, else queued (up to the
    // same number, the oldest kept) until start-up publishes it.
    // `received` is how many the delivery held when fewer reached the program.
    void open(std::vector<std::string> urls);
    void open(std::vector<std::string> urls, std::size_t received);
    static constexpr std::size_t urlsPerDelivery = 5;
    // The program was opened again while running: shows the settings window
    // when there is one; false in every case.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    // Shutdown: the search panel closed, the coordinator shut down (the
    // restriction lifted), the hot keys unregistered.
    void applicationWillTerminate();

    // -- Actions several callers share ------------------------------------------

    // The below-bar panel's entries anew, while the coordinator has it shown.
    void refreshBelowBar();
    // Asks the user, through the open panel, for the layout folder, unless a
    // panel is up already; the grant then writes the order that waited for it.
    void chooseLayoutFolder();
    // Switches opening at login on or off and shows the outcome on the General page.
    void setLoginItem(bool enabled);
    // The permission guide, with the coordinator's trust as it stands.
    void showPermissionGuide();
    // The settings window, on the page it showed last (the main menu, the
    // control item's menu, reopening the program).
    void openSettings();
    // Takes the program down in termination's order, then starts a new instance; once.
    void relaunch();
    // The help window, at its top or at a topic's item (the main menu, the
    // settings window's help button and the control item's menu).
    void openHelp(std::optional<HelpTopic> topic = std::nullopt);
    // The About window (the main menu and the control item's menu).
    void openAbout();
    // The feedback notice over the set-up as it is now, and one update check
    // (the main menu and the control item's menu).
    void sendFeedback();
    void checkForUpdate();
    // The facts a feedback report carries, gathered now.
    core::FeedbackReport::Environment feedbackEnvironment() const;
    // The language the program's texts are shown in; it picks the download page.
    static constexpr std::string_view language = SupportWindowsComponent::language;
    // The General page follows the coordinator's state and pause reason.
    void stateDidChange(core::MenuBarState state);

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
    const std::shared_ptr<ControlItem>& controlItem() const { return statusItems_.controlItem; }
    const std::shared_ptr<coordinator::Coordinator>& coordinator() const { return coordinator_; }
    system::HotkeyCenter* hotkeys() const { return hotkeys_.get(); }
    const std::shared_ptr<system::HangWatchdog>& hangWatchdog() const { return hangWatchdog_; }
    const std::shared_ptr<SettingsStore>& settingsStore() const { return settings_.settingsStore; }
    const std::shared_ptr<ProfilesModel>& profilesModel() const { return settings_.profilesModel; }
    const std::shared_ptr<RulesModel>& rulesModel() const { return settings_.rulesModel; }
    const std::shared_ptr<ProfileEditor>& profileEditor() const { return settings_.profileEditor; }
    PermissionGuideWindowController& permissionGuide() const { return *panels_.permissionGuide; }
    BelowBarController& belowBar() const { return *panels_.belowBar; }
    const std::shared_ptr<UserSwitcherItem>& userSwitcherItem() const {
        return statusItems_.userSwitcherItem;
    }
    SearchController& search() const { return *panels_.search; }
    GeneralModel& general() const { return *settings_.general; }
    const std::shared_ptr<IconStore>& icons() const { return icons_; }
    // The applications' display names every panel and page shows.
    const std::shared_ptr<AppLookup>& appLookup() const { return names_; }
    const std::shared_ptr<SectionsModel>& sectionsModel() const { return settings_.sectionsModel; }
    // Applies the rules when applications come and go (once start-up has started it).
    const std::shared_ptr<RuleRunner>& ruleRunner() const { return ruleRunner_; }
    // The rules page's rows and profiles anew from the state document.
    void refreshRules();
    const std::shared_ptr<SettingsWindowController>& settingsWindow() const {
        return settings_.settingsWindow;
    }
    // What the settings window's refresh asks for: a fresh read of the items,
    // and the sections page's running applications and screens.
    void refreshSettings();
    // The sections page's running applications and screen frames, as they are
    // now; the rows are rebuilt only when either changed.
    void refreshSectionsInputs();
    const std::shared_ptr<StandInPress>& standInPress() const { return statusItems_.standInPress; }
    MainMenuActions* mainMenu() const { return mainMenu_.get(); }
    HelpWindow& help() const { return supportWindows_.help(); }
    AboutWindow& about() const { return supportWindows_.about(); }
    FeedbackAction& feedback() const { return supportWindows_.feedback(); }
    UpdateCheckAction& updateCheck() const { return supportWindows_.updateCheck(); }
    bool isLayoutFolderPanelUp() const { return panels_.layoutFolderPanelUp; }
    bool isRelaunching() const { return isRelaunching_; }
    // The delayed permission guide is waiting.
    bool isPermissionGuidePending() const {
        return pendingPermissionGuide_ && !pendingPermissionGuide_.isFinished() &&
               !pendingPermissionGuide_.isCancelled();
    }
    const LaunchPreferences& launchPreferences() const { return launchPreferences_; }
    const RevealPreferences& revealPreferences() const { return revealPreferences_; }
    bool modifierAtLaunch() const { return modifierAtLaunch_; }
    // What carries out the commands from outside, once built; reachable from
    // outside only while published (between the end of start-up and termination).
    const std::shared_ptr<ExternalControl>& externalControl() const { return externalControl_; }
    const std::vector<std::string>& pendingURLs() const { return pendingURLs_; }
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
    void wireStandIn();
    void wirePanels();
    void buildSectionsModel();
    void buildModels();
    void wireGeneralAndGuide();
    void wireProfiles();
    void wireProfileBar();
    // The rule runner over a watcher of its own, and the rules page's callbacks.
    void wireRules();
    void wireSettingsWindow();
    // The settings window while it is on screen, a sheet's parent; else nothing.
    QWidget* visibleSettingsWindow() const;
    static concurrency::Task<void> rereadLayoutOrder(std::weak_ptr<coordinator::Coordinator> weak);
    void wireMainRoad();
    void wireUserSwitch();
    void buildExternalControl();
    void registerHotkeys();
    void showCurrentState();
    // Opens the URL entry point: the external control is published and the URLs queued meanwhile run.
    void openUrlEntryPoint();

    // The frame of the control item's button window, in screen coordinates (y
    // up); nothing when the item, its button or its window is gone.
    static std::optional<core::Rect> controlFrame(const std::weak_ptr<ControlItem>& control);
    // The status items' menus open where the control item stands on the real screen.
    StatusItemMenu::Runner menuRunner() const;
    // One feature switch: its user-defaults key, its General-page property,
    // the coordinator's field, the reaction to a change of it and the log line.
    struct Switch {
        const char* key;
        void (GeneralModel::*setGeneral)(bool);
        bool coordinator::Coordinator::*field;
        void (*reaction)(coordinator::Coordinator&);
        fmt::format_string<std::string_view> logLine;
    };
    static const Switch hoverSwitch, belowBarSwitch, standInSwitch, dragSortSwitch, notchSwitch;
    // A new value of a coordinator switch: stored, and its reaction run only when it changed.
    static void setSwitch(coordinator::Coordinator& coordinator, const Switch& which, bool value);
    // The General page's closure for a switch.
    std::function<void(bool)> switchClosure(const Switch& which);

    // The panels' lists from the coordinator's items and profile.
    static std::vector<core::BelowBarEntry> belowBarEntries(const coordinator::Coordinator& coordinator);
    static std::vector<core::SearchCandidate> searchCandidates(const coordinator::Coordinator& coordinator);
    void refreshSearch();
    // A press from one of the panels; the outcome is the coordinator's to tell.
    static concurrency::Task<void> pressFromPanel(std::weak_ptr<coordinator::Coordinator> weak,
                                                  core::BelowBarEntry entry, coordinator::PressSource source);
    // The switch to the login window, logged as it ends.
    static concurrency::Task<void> switchToLoginWindow(std::shared_ptr<system::UserSwitch> userSwitch);
    // The wait for the permission: the guide at once, or after a grace delay early in the run.
    void permissionWaitChanged(bool waiting);
    static concurrency::Task<void> delayedPermissionGuide(std::weak_ptr<AppDelegate> weak,
                                                          concurrency::Sleep sleep);
    // The end of the layout-folder panel, with the folder chosen in it.
    void layoutFolderPanelEnded(const std::optional<std::filesystem::path>& chosen);
    static concurrency::Task<void> applyGrantedOrder(std::weak_ptr<coordinator::Coordinator> weak);
    // Writes the order after a change on the sections page; asks for the folder when it needs it.
    static concurrency::Task<void> applyOrderFromPage(std::weak_ptr<AppDelegate> weakSelf,
                                                      std::weak_ptr<coordinator::Coordinator> weak,
                                                      bool reordered);
    // What a section change of the page or of the coordinator does, through the store.
    void profileChanged(const core::Profile& profile, bool fromCoordinator);
    double uptime() const;
    // Termination's order, shared by termination and the relaunch.
    void takeDown();

    // Declared so that teardown runs backwards through start-up: the support
    // windows, the panels, the settings, the status items, then the hot keys,
    // the coordinator and the services it ran on, last what every one of
    // them was given.
    Environment environment_;
    std::shared_ptr<Relay> relay_;
    std::shared_ptr<IconStore> icons_;
    std::shared_ptr<AppLookup> names_;
    LaunchPreferences launchPreferences_;
    RevealPreferences revealPreferences_;
    std::shared_ptr<system::LoginItem> loginItem_;
    std::unique_ptr<SystemPlaces> places_;
    std::unique_ptr<CoordinatorComposition> composition_;
    std::shared_ptr<system::HangWatchdog> hangWatchdog_;
    std::shared_ptr<coordinator::Coordinator> coordinator_;
    std::unique_ptr<system::HotkeyCenter> hotkeys_;
    std::shared_ptr<system::UserSwitch> userSwitch_;
    std::unique_ptr<MainMenuActions> mainMenu_;
    StatusItems statusItems_;
    SettingsWindows settings_;
    ProgramPanels panels_;
    SupportWindowsComponent supportWindows_;
    std::shared_ptr<RuleRunner> ruleRunner_;
    std::shared_ptr<ExternalControl> externalControl_;
    std::vector<std::string> pendingURLs_;

    bool hasLaunched_ = false;
    bool isRelaunching_ = false;
    bool modifierAtLaunch_;
    double launchedAt_;
    concurrency::TaskHandle<void> pendingPermissionGuide_;
};

} // namespace pellacor::app
