#pragma once

#include "MenuBarCore/Model/MenuBarState.h"
#include "MenuBarCore/Support/FeedbackReport.h"
#include "Trayvane/App/ProgramEnvironment.h"
#include "Trayvane/App/SharedServices.h"
#include "Trayvane/App/SupportWindowsComponent.h"
#include "Trayvane/Help/HelpTopic.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellacor::app {

class EngineComponent;
class HotkeysComponent;
class IntegrationsComponent;
class MainMenuActions;
class PanelsComponent;
class RulesComponent;
class SettingsComponent;
class SettingsStore;
class StatusItemsComponent;

// The application delegate: the composition root of the program. Created by
// the entry point with whether Shift or Option was held at launch, it makes
// the services every component shares and the support windows;
// `applicationDidFinishLaunching` then makes the components in start-up
// order, each from the environment and the components it needs, and joins
// them where an action of one reaches another (the control item's menu, the
// main menu, the coordinator's news that several areas follow); and
// `applicationWillTerminate` takes them down in termination's order, the
// restriction lifted before the hot keys go. Every closure holds its targets
// weakly, so none keeps an object alive. Main thread only.
class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
public:
    // What the process hands the delegate; whatever it leaves unset becomes
    // the program's own.
    using Environment = ProgramEnvironment;

    // The delegate as the entry point makes it: only the shared services and
    // the support windows are made yet.
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
    // Shutdown: what the user sees goes, the coordinator shuts down (the
    // restriction lifted), the hot keys are unregistered.
    void applicationWillTerminate();

    // -- What the menus open ----------------------------------------------------

    // The settings window, on the page it showed last.
    void openSettings();
    // The permission guide, with the coordinator's trust as it stands.
    void showPermissionGuide();
    // The help window, at its top or at a topic's item.
    void openHelp(std::optional<HelpTopic> topic = std::nullopt);
    void openAbout();
    // The feedback notice over the set-up as it is now, and one update check.
    void sendFeedback();
    void checkForUpdate();
    // Takes the program down in termination's order, then starts a new instance; once.
    void relaunch();
    // The facts a feedback report carries, gathered now.
    core::FeedbackReport::Environment feedbackEnvironment() const;

    // -- The components ---------------------------------------------------------
    // The shared services and the support windows exist from creation, the
    // others once start-up has made them.

    const SharedServices& services() const { return services_; }
    const SupportWindowsComponent& support() const { return support_; }
    MainMenuActions* mainMenu() const { return mainMenu_.get(); }
    StatusItemsComponent& statusItems() const { return *statusItems_; }
    // The state document's store: the settings, the rules and the external control write through it.
    const std::shared_ptr<SettingsStore>& settingsStore() const { return settingsStore_; }
    EngineComponent& engine() const { return *engine_; }
    SettingsComponent& settings() const { return *settings_; }
    PanelsComponent& panels() const { return *panels_; }
    RulesComponent& rules() const { return *rules_; }
    IntegrationsComponent& integrations() const { return *integrations_; }
    HotkeysComponent& hotkeys() const { return *hotkeys_; }

    // Start-up has made the components.
    bool hasLaunched() const { return hasLaunched_; }
    bool modifierAtLaunch() const { return modifierAtLaunch_; }
    bool isRelaunching() const { return isRelaunching_; }
    const std::vector<std::string>& pendingURLs() const { return pendingURLs_; }

private:
    AppDelegate(Environment environment, bool modifierAtLaunch);

    // What the coordinator tells that several components follow.
    void connectEngine();
    // What the control item's menu, the main menu and the General page's
    // buttons for other windows do.
    void connectMenus();
    void connectProfileMenu();
    // The control item and the General page show a state with the coordinator's pause reason.
    void showState(core::MenuBarState state);
    // Termination's order, shared by termination and the relaunch.
    void takeDown();

    // Declared in start-up order, so that the members go backwards through it.
    Environment environment_;
    SharedServices services_;
    SupportWindowsComponent support_;
    std::unique_ptr<MainMenuActions> mainMenu_;
    std::unique_ptr<StatusItemsComponent> statusItems_;
    std::shared_ptr<SettingsStore> settingsStore_;
    std::unique_ptr<EngineComponent> engine_;
    std::shared_ptr<SettingsComponent> settings_;
    std::shared_ptr<PanelsComponent> panels_;
    std::shared_ptr<RulesComponent> rules_;
    std::unique_ptr<IntegrationsComponent> integrations_;
    std::unique_ptr<HotkeysComponent> hotkeys_;
    std::vector<std::string> pendingURLs_;

    bool hasLaunched_ = false;
    bool isRelaunching_ = false;
    bool modifierAtLaunch_;
    double launchedAt_;
};

} // namespace pellacor::app
