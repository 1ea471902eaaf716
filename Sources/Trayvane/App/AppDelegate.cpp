#include "Trayvane/App/AppDelegate.h"

#include "MenuBarCore/Storage/Store.h"
#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/Log.h"
#include "MenuBarSystem/Login/LoginItem.h"
#include "Trayvane/App/EngineComponent.h"
#include "Trayvane/App/HotkeysComponent.h"
#include "Trayvane/App/IntegrationsComponent.h"
#include "Trayvane/App/PanelsComponent.h"
#include "Trayvane/App/RulesComponent.h"
#include "Trayvane/App/SettingsComponent.h"
#include "Trayvane/App/StatusItemsComponent.h"
#include "Trayvane/Common/AppInfo.h"
#include "Trayvane/Common/DefaultsKey.h"
#include "Trayvane/Common/IconStore.h"
#include "Trayvane/Common/WhileAlive.h"
#include "Trayvane/Coordinator/Coordinator.h"
#include "Trayvane/MainMenu/MainMenu.h"
#include "Trayvane/MainMenu/MainMenuActions.h"
#include "Trayvane/Onboarding/PermissionGuideWindowController.h"
#include "Trayvane/Onboarding/SystemPlaces.h"
#include "Trayvane/Settings/GeneralModel.h"
#include "Trayvane/Settings/ProfileEditor.h"
#include "Trayvane/Settings/SettingsStore.h"
#include "Trayvane/Settings/SettingsWindowController.h"
#include "Trayvane/StatusItem/ControlItem.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <utility>

namespace pellacor::app {

using coordinator::Coordinator;
using core::MenuBarState;

namespace {

constexpr std::string_view appleBundlePrefix = "com.apple.";

} // namespace

std::shared_ptr<AppDelegate> AppDelegate::create(Environment environment, bool modifierAtLaunch) {
    return std::shared_ptr<AppDelegate>(new AppDelegate(std::move(environment), modifierAtLaunch));
}

AppDelegate::AppDelegate(Environment environment, bool modifierAtLaunch)
    : environment_(ProgramEnvironment::completed(std::move(environment))), services_(environment_),
      support_(environment_), modifierAtLaunch_(modifierAtLaunch),
      launchedAt_(concurrency::secondsOf(environment_.executor->now())) {}

AppDelegate::~AppDelegate() = default;

// -- Start-up ------------------------------------------------------------------

void AppDelegate::applicationDidFinishLaunching() {
    if (hasLaunched_) {
        return;
    }
    hasLaunched_ = true;
    const std::string osVersion = AppInfo::osVersion(*environment_.platform.hostInfo);
    const auto reason = services_.launchPreferences.pauseReasonAtLaunch(modifierAtLaunch_, osVersion);
    mainMenu_ = std::make_unique<MainMenuActions>(MainMenu::make());
    core::Log::app().notice("起動しました（{}・macOS {}）",
                            AppInfo::versionLine(AppInfo::version(), AppInfo::build(), false), osVersion);

    // The control item first: the engine reads its frame. Then the state
    // document, whose active profile the engine starts from.
    statusItems_ = std::make_unique<StatusItemsComponent>(environment_, services_);
    settingsStore_ = std::make_shared<SettingsStore>(
        core::Store(environment_.stateFile.empty() ? core::Store::defaultFileURL() : environment_.stateFile));
    engine_ = std::make_unique<EngineComponent>(environment_, services_, settingsStore_->activeProfile(),
                                                statusItems_->controlItem());
    const auto& coordinator = engine_->coordinator();
    // The areas that follow the engine, each wiring its own callbacks of it.
    settings_ = SettingsComponent::create(environment_, services_, settingsStore_, coordinator);
    statusItems_->addStandIn(coordinator);
    panels_ = PanelsComponent::create(environment_, services_, coordinator, statusItems_->controlItem(),
                                      launchedAt_);
    rules_ = RulesComponent::create(environment_, services_, settingsStore_, settings_->profileEditor(),
                                    settings_->rulesModel());
    integrations_ =
        std::make_unique<IntegrationsComponent>(coordinator, settings_->profileEditor(), settingsStore_);
    connectEngine();
    connectMenus();
    hotkeys_ = std::make_unique<HotkeysComponent>(environment_.platform.hotkeyManager, coordinator, panels_,
                                                  *statusItems_->controlItem());

    engine_->start(reason);
    // After the coordinator, so that a profile the rules choose reaches an engine that runs.
    rules_->start();
    showState(coordinator ? coordinator->effectiveState() : MenuBarState::paused);
    // The URL entry point opens last: the URLs queued meanwhile run.
    integrations_->openEntryPoint(std::exchange(pendingURLs_, {}));
}

// The coordinator's news that several areas follow: a read of the items
// reaches the sections page, the panels and the icons; a state the control
// item and the General page show; the trust the guide and the General page
// show; a restriction that took effect confirms the system version.
void AppDelegate::connectEngine() {
    const std::weak_ptr<PanelsComponent> weakPanels = panels_;
    settings_->onActiveProfileChange =
        whileAlive(weakPanels, [](PanelsComponent& panels) { panels.refresh(); });
    const auto& coordinator = engine_->coordinator();
    if (!coordinator) {
        return;
    }
    coordinator->onItemsChange =
        [weakSettings = std::weak_ptr<SettingsComponent>(settings_), weakPanels,
         icons = std::weak_ptr<IconStore>(services_.icons)](const std::vector<core::ItemSnapshot>& items) {
            if (const auto settings = weakSettings.lock()) {
                settings->itemsChanged(items);
            }
            if (const auto panels = weakPanels.lock()) {
                panels->refresh();
            }
            std::set<std::string> owners;
            for (const auto& item : items) {
                if (!item.ownerBundleID().starts_with(appleBundlePrefix)) {
                    owners.insert(item.ownerBundleID());
                }
            }
            if (const auto store = icons.lock()) {
                store->prefetch(owners);
            }
        };
    coordinator->onStateChange =
        whileAlive(weak_from_this(), [](AppDelegate& self, MenuBarState state) { self.showState(state); });
    coordinator->onTrustChange =
        [weakPanels, weakGeneral = std::weak_ptr<GeneralModel>(settings_->general())](bool trusted) {
            if (const auto panels = weakPanels.lock()) {
                panels->permissionGuide().model().setTrusted(trusted);
            }
            if (const auto general = weakGeneral.lock()) {
                general->setTrusted(trusted);
            }
        };
    coordinator->onRestrictionConfirmed = [preferences = services_.launchPreferences,
                                           hostInfo = environment_.platform.hostInfo]() mutable {
        preferences.confirmOSVersion(AppInfo::osVersion(*hostInfo));
    };
}

// The control item's menu, the main menu's commands and the General page's
// buttons that open another window or drive the engine, and the guide's
// relaunch.
void AppDelegate::connectMenus() {
    const std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
    const std::weak_ptr<Coordinator> weakCoordinator = engine_->coordinator();
    ControlItem& control = *statusItems_->controlItem();
    control.onToggle = whileAlive(weakCoordinator, [](Coordinator& c, bool withAll) { c.toggle(withAll); });
    control.onPause = whileAlive(weakCoordinator, [](Coordinator& c) { c.pause(); });
    control.onResume = whileAlive(weakCoordinator, [](Coordinator& c) { c.resume(); });
    const auto showGuide = whileAlive(weakSelf, [](AppDelegate& self) { self.showPermissionGuide(); });
    const auto openHelp = whileAlive(weakSelf, [](AppDelegate& self) { self.openHelp(); });
    const auto openAbout = whileAlive(weakSelf, [](AppDelegate& self) { self.openAbout(); });
    const auto sendFeedback = whileAlive(weakSelf, [](AppDelegate& self) { self.sendFeedback(); });
    const auto checkForUpdate = whileAlive(weakSelf, [](AppDelegate& self) { self.checkForUpdate(); });
    const auto openSettings = whileAlive(weakSelf, [](AppDelegate& self) { self.openSettings(); });
    control.onOpenPermissionGuide = showGuide;
    control.onOpenHelp =
        whileAlive(weakSelf, [](AppDelegate& self, std::optional<HelpTopic> topic) { self.openHelp(topic); });
    control.onOpenAbout = openAbout;
    control.onSendFeedback = sendFeedback;
    control.onCheckForUpdate = checkForUpdate;
    // While a check runs, its menu entry says so and cannot be chosen.
    control.isCheckingForUpdate = [weakSelf] {
        const auto self = weakSelf.lock();
        return self && self->support_.isCheckingForUpdate();
    };
    control.onOpenSettings = openSettings;
    control.onManageProfiles =
        whileAlive(std::weak_ptr<SettingsWindowController>(settings_->settingsWindow()),
                   [](SettingsWindowController& window) { window.show(SettingsPage::sections); });
    connectProfileMenu();
    mainMenu_->setDelegateAction("openSettings:", openSettings);
    mainMenu_->setDelegateAction("openHelp:", openHelp);
    mainMenu_->setDelegateAction("openAbout:", openAbout);
    mainMenu_->setDelegateAction("sendFeedback:", sendFeedback);
    mainMenu_->setDelegateAction("checkForUpdate:", checkForUpdate);

    // The settings window's help button opens the help at its top.
    GeneralModel& general = *settings_->general();
    general.onOpenPermissionGuide = showGuide;
    general.onOpenHelp = openHelp;
    panels_->permissionGuide().model().onRelaunch =
        whileAlive(weakSelf, [](AppDelegate& self) { self.relaunch(); });
}

// The control item's profile menu acts through the editor, as the user's
// switch, and marks a profile that a rule chose.
void AppDelegate::connectProfileMenu() {
    ControlItem& control = *statusItems_->controlItem();
    const std::weak_ptr<ProfileEditor> weakEditor = settings_->profileEditor();
    control.profileChoices = [weakEditor] {
        const auto editor = weakEditor.lock();
        return editor ? editor->choices() : std::vector<ProfileChoice>{};
    };
    control.onSwitchProfile = [weakEditor](core::Uuid id) {
        if (const auto editor = weakEditor.lock()) {
            editor->edit(true, "切り替え",
                         [id](core::StoredState& state) { return state.switchProfile(id); });
        }
    };
    control.profileIsAutomatic = [weakStore = std::weak_ptr<SettingsStore>(settingsStore_)] {
        const auto store = weakStore.lock();
        return store && store->state().ruleTracker && store->state().ruleTracker->isApplying();
    };
}

void AppDelegate::showState(MenuBarState state) {
    const auto& coordinator = engine_->coordinator();
    const auto reason = coordinator ? coordinator->currentPauseReason() : std::nullopt;
    statusItems_->controlItem()->show(state, reason);
    settings_->general()->setState(state);
    settings_->general()->setPauseReason(reason);
}

// -- What the menus open ---------------------------------------------------------

void AppDelegate::openSettings() {
    if (settings_) {
        settings_->open();
    }
}

void AppDelegate::showPermissionGuide() {
    if (panels_) {
        panels_->showPermissionGuide();
    }
}

void AppDelegate::openHelp(std::optional<HelpTopic> topic) {
    support_.openHelp(topic);
}

void AppDelegate::openAbout() {
    support_.openAbout();
}

void AppDelegate::sendFeedback() {
    support_.sendFeedback(feedbackEnvironment());
}

void AppDelegate::checkForUpdate() {
    support_.checkForUpdate();
}

// -- Reopen, relaunch and termination ------------------------------------------------

bool AppDelegate::applicationShouldHandleReopen(bool /*hasVisibleWindows*/) {
    core::Log::app().notice("もう一度開かれたので、設定の窓を出します");
    openSettings();
    return false;
}

void AppDelegate::relaunch() {
    if (isRelaunching_) {
        return;
    }
    isRelaunching_ = true;
    // The restriction is lifted before the new instance starts.
    takeDown();
    services_.places->relaunch();
}

void AppDelegate::applicationWillTerminate() {
    takeDown();
    core::Log::app().notice("終了します");
}

void AppDelegate::takeDown() {
    // What the user sees goes first, so that nothing reaches an engine that
    // has shut down; the URL entry point closes and the rules stop; then the
    // engine lifts its restriction; last the hot keys go.
    support_.takeDown();
    if (!hasLaunched_) {
        return;
    }
    settings_->takeDown();
    panels_->takeDown();
    integrations_->takeDown();
    rules_->takeDown();
    engine_->takeDown();
    hotkeys_->takeDown();
}

// -- Feedback --------------------------------------------------------------------

core::FeedbackReport::Environment AppDelegate::feedbackEnvironment() const {
    using core::FeedbackReport;
    FeedbackReport::Environment facts;
    const auto coordinator = engine_ ? engine_->coordinator() : nullptr;
    const core::Profile placeholder(core::Uuid::random(), "", {}, {}, core::Section::hidden);
    const core::Profile& profile = coordinator ? coordinator->currentProfile() : placeholder;
    const std::vector<core::ItemSnapshot> none;
    const auto& items = coordinator ? coordinator->currentItems() : none;
    // The program's own items go by the identifier it goes by, the built-in one
    // when the main bundle reports none.
    facts.sectionCounts = FeedbackReport::sectionCounts(items, profile, services_.selfBundleID);
    facts.stateText =
        coordinator ? ControlItem::stateText(coordinator->effectiveState(), coordinator->currentPauseReason())
                    : core::localized("起動しています");
    facts.appVersion = AppInfo::version();
    facts.build = AppInfo::build().value_or("");
    facts.osVersion = AppInfo::osVersion(*environment_.platform.hostInfo);
    facts.model = AppInfo::model(*environment_.platform.hostInfo);
    facts.accessibilityGranted = coordinator ? coordinator->trusted() : std::nullopt;
    facts.newItemSection = profile.newItemSection;
    facts.profileCount = settingsStore_ ? static_cast<int>(settingsStore_->state().profiles.size()) : 1;
    facts.ruleCount = settingsStore_ ? static_cast<int>(settingsStore_->state().rules.size()) : 0;
    const RevealPreferences& reveal = services_.revealPreferences;
    facts.switches = {
        .launchAtLogin = services_.loginItem->status() == system::LoginItemStatus::enabled,
        .hoverReveal = reveal.defaults.boolean(DefaultsKey::hoverRevealEnabled),
        .belowBar = reveal.defaults.boolean(DefaultsKey::belowBarEnabled),
        .notchOverflow = reveal.notchOverflow(),
        .dragSort = reveal.dragSort(),
        .userSwitcherStandIn = reveal.userSwitcherStandIn(),
    };
    const auto screens = environment_.platform.screens ? environment_.platform.screens->screens()
                                                       : std::vector<platform::Screen>{};
    facts.screenCount = static_cast<int>(screens.size());
    facts.hasNotchScreen = std::any_of(screens.begin(), screens.end(), [](const platform::Screen& screen) {
        return screen.safeAreaInsets.top > 0;
    });
    return facts;
}

} // namespace pellacor::app
