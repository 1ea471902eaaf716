#include "Trayvane/App/AppDelegate.h"

#include "MenuBarCore/Planning/SearchList.h"
#include "MenuBarCore/Storage/Store.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/Log.h"
#include "MenuBarSystem/Input/HotkeyCenter.h"
#include "MenuBarSystem/Input/HotkeyProblem.h"
#include "MenuBarSystem/Login/LoginItem.h"
#include "MenuBarSystem/Session/UserSwitch.h"
#include "Trayvane/App/ApplicationPanel.h"
#include "Trayvane/Common/AppInfo.h"
#include "Trayvane/Common/DefaultsKey.h"
#include "Trayvane/Common/IconStore.h"
#include "Trayvane/Common/UserDefaults.h"
#include "Trayvane/Common/WhileAlive.h"
#include "Trayvane/Coordinator/Coordinator.h"
#include "Trayvane/Integrations/ExternalControl.h"
#include "Trayvane/Integrations/RuleRunner.h"
#include "Trayvane/MainMenu/MainMenu.h"
#include "Trayvane/MainMenu/MainMenuActions.h"
#include "Trayvane/Onboarding/SystemPlaces.h"
#include "Trayvane/Panels/SearchModel.h"
#include "Trayvane/Panels/SearchWindow.h"
#include "Trayvane/Settings/AppLookup.h"
#include "Trayvane/Support/UpdateChecker.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QUrl>
#include <chrono>
#include <cmath>
#include <fmt/format.h>
#include <mutex>
#include <utility>

namespace pellacor::app {

using coordinator::Coordinator;
using coordinator::PauseReason;
using core::MenuBarState;

namespace {

// The domain of the Control Center, where the system keeps its user switcher's settings.
constexpr std::string_view controlCenterDomain = "com.apple.controlcenter";
constexpr const char* controlCenterUserSwitcherKey = "UserSwitcher";
constexpr const char* realUserSwitcherPositionKey = "NSStatusItem Preferred Position UserSwitcher";

// What the Control Center's "UserSwitcher" bits mean for the menu bar.
constexpr std::int64_t userSwitcherShownBit = 2;
constexpr std::int64_t userSwitcherNotShownBit = 8;

} // namespace

// What the watchdog's thread reaches to ping the main executor; cut when the
// delegate goes, so that a ping sent while the process ends goes nowhere.
struct AppDelegate::Relay {
    std::mutex mutex;
    concurrency::MainExecutor* executor = nullptr;
};

std::shared_ptr<AppDelegate> AppDelegate::create(Environment environment, bool modifierAtLaunch) {
    return std::shared_ptr<AppDelegate>(new AppDelegate(std::move(environment), modifierAtLaunch));
}

AppDelegate::AppDelegate(Environment environment, bool modifierAtLaunch)
    : environment_(ProgramEnvironment::completed(std::move(environment))), relay_(std::make_shared<Relay>()),
      launchPreferences_(UserDefaults::standard(environment_.platform.preferencesDomain,
                                                *environment_.platform.fileManager)),
      revealPreferences_(UserDefaults::standard(environment_.platform.preferencesDomain,
                                                *environment_.platform.fileManager)),
      supportWindows_(environment_), modifierAtLaunch_(modifierAtLaunch),
      launchedAt_(concurrency::secondsOf(environment_.executor->now())) {
    auto& executor = *environment_.executor;
    const auto& platform = environment_.platform;
    relay_->executor = &executor;
    if (!environment_.watchdog.post) {
        environment_.watchdog.post = [relay = relay_](std::function<void()> job) {
            const std::lock_guard lock(relay->mutex);
            if (relay->executor != nullptr) {
                relay->executor->postFromAnyThread(std::move(job));
            }
        };
    }

    icons_ = IconStore::create(executor, platform.workspace,
                               environment_.iconRuns ? environment_.iconRuns
                                                     : concurrency::offMainOn(IconStore::utilityQueue()));
    names_ = std::make_shared<AppLookup>(platform.workspace, platform.fileManager);

    panels_.permissionGuide = std::make_unique<PermissionGuideWindowController>(
        platform.screens, platform.inputState,
        [place = environment_.place](const core::Point& topDown) { return place(topDown); },
        platform.programWindows);
    panels_.belowBar = std::make_unique<BelowBarController>(BelowBarController::Services{
        .screens = platform.screens,
        .input = platform.inputState,
        .statusBar = platform.statusBar,
        .monitor = platform.globalEventMonitor,
        .programWindows = platform.programWindows,
        .icons = icons_,
        .name =
            [names = std::weak_ptr<AppLookup>(names_)](const std::string& bundleID) {
                const auto lookup = names.lock();
                return lookup ? lookup->name(bundleID) : bundleID;
            },
        .place = environment_.place,
    });
    panels_.search = std::make_unique<SearchController>(
        std::make_shared<SearchModel>(
            [names = std::weak_ptr<AppLookup>(names_)](const std::string& bundleID) {
                const auto lookup = names.lock();
                return lookup ? lookup->name(bundleID) : bundleID;
            }),
        std::make_shared<SearchWindow>(SearchWindow::Services{
            .screens = platform.screens,
            .input = platform.inputState,
            .programWindows = platform.programWindows,
            .icons = icons_,
            .place = environment_.place,
        }),
        icons_);
    loginItem_ = std::make_shared<system::LoginItem>(platform.loginItemService);
    places_ = std::make_unique<SystemPlaces>(platform.workspaceOpener, environment_.bundleURL.string(),
                                             executor, environment_.terminate);
}

AppDelegate::~AppDelegate() {
    // A delegate released without its termination (a test's) leaves no way in behind.
    if (externalControl_ && ExternalControl::shared() == externalControl_) {
        ExternalControl::clearShared();
    }
    const std::lock_guard lock(relay_->mutex);
    relay_->executor = nullptr;
}

std::string AppDelegate::selfBundleIdentifier(const std::optional<std::string>& reported) {
    return reported.value_or(std::string(core::bundleIdentifier));
}

// -- Start-up ------------------------------------------------------------------

void AppDelegate::applicationDidFinishLaunching() {
    if (hasLaunched_) {
        return;
    }
    hasLaunched_ = true;
    const auto& platform = environment_.platform;
    const std::string osVersion = AppInfo::osVersion(*platform.hostInfo);

    const auto reason = launchPreferences_.pauseReasonAtLaunch(modifierAtLaunch_, osVersion);
    mainMenu_ = std::make_unique<MainMenuActions>(MainMenu::make());
    core::Log::app().notice("起動しました（{}・macOS {}）",
                            AppInfo::versionLine(AppInfo::version(), AppInfo::build(), false), osVersion);

    statusItems_.controlItem = std::make_shared<ControlItem>(platform.statusBar, platform.inputState,
                                                             menuRunner(), platform.programWindows);
    if (environment_.terminate) {
        statusItems_.controlItem->terminate = environment_.terminate;
    }

    buildCoordinator();
    if (coordinator_) {
        readSwitches();
        wireStandIn();
    }
    wirePanels();
    buildSectionsModel();
    buildModels();
    wireGeneralAndGuide();
    wireProfiles();
    buildExternalControl();
    wireRules();
    wireProfileBar();
    wireSettingsWindow();
    wireMainRoad();
    wireUserSwitch();
    registerHotkeys();
    if (coordinator_) {
        coordinator_->start(reason);
    }
    // After the coordinator, so that a profile the rules choose reaches an engine that runs.
    ruleRunner_->start();
    showCurrentState();
    openUrlEntryPoint();
}

void AppDelegate::buildCoordinator() {
    const auto& platform = environment_.platform;
    const std::string selfBundleID = selfBundleIdentifier(environment_.bundleIdentifier);

    // The state document first: its active profile is what the coordinator starts from.
    settings_.settingsStore = std::make_shared<SettingsStore>(
        core::Store(environment_.stateFile.empty() ? core::Store::defaultFileURL() : environment_.stateFile));

    const std::weak_ptr<ControlItem> control = statusItems_.controlItem;
    CoordinatorComposition::Inputs inputs{
        .platform = platform,
        .selfBundleID = selfBundleID,
        .profile = settings_.settingsStore->activeProfile(),
        .bundleURL = environment_.bundleURL,
        .applicationsFolder = environment_.applicationsFolder,
        // Screen coordinates, y up, as the button's window has them.
        .controlFrame = [control] { return controlFrame(control); },
        .ownItemPlaced =
            [control] {
                const auto item = control.lock();
                return item && item->statusItem() && item->statusItem()->buttonWindow().has_value();
            },
        .ownItemOnBar = [control]() -> std::optional<bool> {
            const auto item = control.lock();
            return item ? item->isShownInMenuBar() : std::nullopt;
        },
        .queues = environment_.queues ? *environment_.queues : CoordinatorComposition::Queues::make(),
        .presserRuns = environment_.presserRuns,
        .watchdog = environment_.watchdog,
        .startWatchdog = environment_.startWatchdog,
    };
    composition_ = std::make_unique<CoordinatorComposition>(*environment_.executor, std::move(inputs));
    hangWatchdog_ = composition_->watchdog;
    if (environment_.composed) {
        environment_.composed(*composition_);
    }

    // The presser comes with it, holding the coordinator weakly as its revealer.
    coordinator_ = composition_->makeCoordinator();
    if (!coordinator_) {
        core::Log::app().error("司令塔を作れませんでした（隠しません）");
    }
}

const AppDelegate::Switch AppDelegate::hoverSwitch{
    DefaultsKey::hoverRevealEnabled, &GeneralModel::setHoverReveal, &Coordinator::hoverRevealEnabled,
    [](Coordinator& c) { c.updateHoverWatch(); }, "マウスを乗せて出すを{}にしました"};
const AppDelegate::Switch AppDelegate::belowBarSwitch{
    DefaultsKey::belowBarEnabled, &GeneralModel::setBelowBar, &Coordinator::belowBarEnabled,
    [](Coordinator& c) {
        // Switched off: the panel closes before the notch handling is judged again.
        if (!c.belowBarEnabled) {
            c.setBelowBar(false);
        }
        c.notchSettingChanged();
    },
    "下の段を{}にしました"};
const AppDelegate::Switch AppDelegate::standInSwitch{
    DefaultsKey::userSwitcherStandInEnabled, &GeneralModel::setUserSwitcherStandIn,
    &Coordinator::userSwitcherStandInEnabled, [](Coordinator& c) { c.updateStandIn(); },
    "利用者の切り替えの代わりのアイコンを{}にしました"};
const AppDelegate::Switch AppDelegate::dragSortSwitch{
    DefaultsKey::dragSortEnabled, &GeneralModel::setDragSort, &Coordinator::dragSortEnabled,
    [](Coordinator& c) { c.updateDragWatch(); }, "⌘ドラッグで区画を変えるを{}にしました"};
const AppDelegate::Switch AppDelegate::notchSwitch{
    DefaultsKey::notchOverflowEnabled, &GeneralModel::setNotchOverflow, &Coordinator::notchOverflowEnabled,
    [](Coordinator& c) { c.notchSettingChanged(); }, "入りきらないアプリを下の段へを{}にしました"};

void AppDelegate::setSwitch(Coordinator& coordinator, const Switch& which, bool value) {
    if (coordinator.*which.field == value) {
        return;
    }
    coordinator.*which.field = value;
    which.reaction(coordinator);
}

std::function<void(bool)> AppDelegate::switchClosure(const Switch& which) {
    return [weakSelf = weak_from_this(), weakCoordinator = std::weak_ptr<Coordinator>(coordinator_),
            &which](bool on) {
        const auto self = weakSelf.lock();
        if (!self) {
            return;
        }
        // Written and logged even when it holds that value already; the
        // coordinator reacts only to a change.
        self->revealPreferences_.defaults.setBool(which.key, on);
        ((*self->settings_.general).*which.setGeneral)(on);
        if (const auto coordinator = weakCoordinator.lock()) {
            setSwitch(*coordinator, which, on);
        }
        core::Log::app().info(which.logLine, std::string_view(on ? "入" : "切"));
    };
}

void AppDelegate::readSwitches() {
    auto& coordinator = *coordinator_;
    auto& general = *settings_.general;
    const UserDefaults& defaults = revealPreferences_.defaults;
    setSwitch(coordinator, hoverSwitch, defaults.boolean(DefaultsKey::hoverRevealEnabled));
    general.setHoverReveal(defaults.boolean(DefaultsKey::hoverRevealEnabled));
    general.onSetHoverReveal = switchClosure(hoverSwitch);
    setSwitch(coordinator, belowBarSwitch, defaults.boolean(DefaultsKey::belowBarEnabled));
    general.setBelowBar(defaults.boolean(DefaultsKey::belowBarEnabled));
    general.onSetBelowBar = switchClosure(belowBarSwitch);
    buildUserSwitcherItem();
    setSwitch(coordinator, standInSwitch, revealPreferences_.userSwitcherStandIn());
    restoreUserSwitcherAnswer();

    const std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
    const std::weak_ptr<Coordinator> weakCoordinator = coordinator_;
    const std::weak_ptr<UserSwitcherItem> weakItem = statusItems_.userSwitcherItem;
    coordinator.onUserSwitcherAnswer = whileAlive(weakSelf, [](AppDelegate& self, bool inBar) {
        self.revealPreferences_.defaults.setBool(DefaultsKey::realUserSwitcherInBar, inBar);
    });
    coordinator.onUserSwitcherWidth = [weakSelf, weakItem](double width) {
        if (const auto self = weakSelf.lock()) {
            self->revealPreferences_.defaults.setNumber(DefaultsKey::realUserSwitcherWidth, width);
        }
        if (const auto item = weakItem.lock()) {
            item->refreshLook();
        }
    };

    const auto& platform = environment_.platform;
    statusItems_.userSwitcherStyleObserver = std::make_unique<UserSwitcherStyleObserver>(
        platform.preferencesObserving,
        UserDefaults::globalDomainFile(platform.fileManager->homeDirectory()).string(),
        *environment_.executor, [weakSelf, weakCoordinator, weakItem] {
            if (const auto coordinator = weakCoordinator.lock()) {
                coordinator->forgetUserSwitcherWidth();
            }
            if (const auto self = weakSelf.lock()) {
                self->revealPreferences_.defaults.remove(DefaultsKey::realUserSwitcherWidth);
            }
            if (const auto item = weakItem.lock()) {
                item->refreshLook();
            }
        });

    general.setUserSwitcherStandIn(revealPreferences_.userSwitcherStandIn());
    general.onSetUserSwitcherStandIn = switchClosure(standInSwitch);
    setSwitch(coordinator, dragSortSwitch, revealPreferences_.dragSort());
    general.setDragSort(revealPreferences_.dragSort());
    general.onSetDragSort = switchClosure(dragSortSwitch);
    setSwitch(coordinator, notchSwitch, revealPreferences_.notchOverflow());
    general.setNotchOverflow(revealPreferences_.notchOverflow());
    general.onSetNotchOverflow = switchClosure(notchSwitch);
}

void AppDelegate::buildUserSwitcherItem() {
    const auto& platform = environment_.platform;
    const std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
    const std::weak_ptr<Coordinator> weakCoordinator = coordinator_;
    const UserDefaults global = UserDefaults::global(platform.preferencesDomain, *platform.fileManager);
    const UserDefaults controlCenter =
        UserDefaults::suite(platform.preferencesDomain, *platform.fileManager, controlCenterDomain);
    statusItems_.userSwitcherItem = std::make_shared<UserSwitcherItem>(
        UserSwitcherItem::Defaults{platform.preferencesDomain, launchPreferences_.defaults.file().string()},
        [global, weakSelf, weakCoordinator] {
            const auto style = global.object(std::string(UserSwitcherStyleObserver::keyPath));
            std::optional<double> width;
            if (const auto coordinator = weakCoordinator.lock()) {
                width = coordinator->userSwitcherWidth();
            }
            if (!width) {
                if (const auto self = weakSelf.lock()) {
                    width = self->revealPreferences_.realUserSwitcherWidth();
                }
            }
            return UserSwitcherLook::from(style ? style->integerValue() : std::nullopt, width);
        },
        [controlCenter] { return controlCenter.number(realUserSwitcherPositionKey); }, platform.statusBar,
        platform.userAccount, menuRunner(), platform.programWindows);
}

std::optional<bool>
AppDelegate::userSwitcherAnswer(std::optional<bool> remembered,
                                const std::optional<platform::PropertyListValue>& setting) {
    if (remembered) {
        return remembered;
    }
    const auto bits = setting ? setting->integerValue() : std::nullopt;
    if (!bits) {
        return std::nullopt;
    }
    if ((*bits & userSwitcherShownBit) != 0) {
        return true;
    }
    if ((*bits & userSwitcherNotShownBit) != 0) {
        return false;
    }
    return std::nullopt;
}

void AppDelegate::restoreUserSwitcherAnswer() {
    const auto& platform = environment_.platform;
    const UserDefaults controlCenter =
        UserDefaults::currentHost(platform.preferencesDomain, *platform.fileManager, controlCenterDomain);
    coordinator_->restoreUserSwitcherAnswer(userSwitcherAnswer(
        revealPreferences_.realUserSwitcherInBar(), controlCenter.object(controlCenterUserSwitcherKey)));
}

void AppDelegate::buildModels() {
    const bool inApplicationsFolder =
        system::HealthCheck::isInApplicationsFolder(environment_.bundleURL, environment_.applicationsFolder);
    launchPreferences_.applyLoginItemDefault(*loginItem_, inApplicationsFolder);
    settings_.general->setLoginStatus(loginItem_->status());
    settings_.general->setInApplicationsFolder(inApplicationsFolder);
}

void AppDelegate::wireMainRoad() {
    const std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
    const std::weak_ptr<Coordinator> weakCoordinator = coordinator_;
    const std::weak_ptr<ControlItem> weakControl = statusItems_.controlItem;

    if (coordinator_) {
        coordinator_->onRestrictionConfirmed = [weakSelf] {
            if (const auto self = weakSelf.lock()) {
                self->launchPreferences_.confirmOSVersion(
                    AppInfo::osVersion(*self->environment_.platform.hostInfo));
            }
        };
        coordinator_->onStateChange = [weakControl, weakCoordinator, weakSelf](MenuBarState state) {
            if (const auto control = weakControl.lock()) {
                const auto coordinator = weakCoordinator.lock();
                control->show(state, coordinator ? coordinator->currentPauseReason() : std::nullopt);
            }
            if (const auto self = weakSelf.lock()) {
                self->stateDidChange(state);
            }
        };
    }
    statusItems_.controlItem->onToggle = whileAlive(
        weakCoordinator, [](Coordinator& coordinator, bool withAll) { coordinator.toggle(withAll); });
    statusItems_.controlItem->onPause =
        whileAlive(weakCoordinator, [](Coordinator& coordinator) { coordinator.pause(); });
    statusItems_.controlItem->onResume =
        whileAlive(weakCoordinator, [](Coordinator& coordinator) { coordinator.resume(); });
    statusItems_.controlItem->onOpenPermissionGuide =
        whileAlive(weakSelf, [](AppDelegate& self) { self.showPermissionGuide(); });
    statusItems_.controlItem->onOpenHelp =
        whileAlive(weakSelf, [](AppDelegate& self, std::optional<HelpTopic> topic) { self.openHelp(topic); });
    statusItems_.controlItem->onOpenAbout = whileAlive(weakSelf, [](AppDelegate& self) { self.openAbout(); });
    mainMenu_->setDelegateAction("openHelp:",
                                 whileAlive(weakSelf, [](AppDelegate& self) { self.openHelp(); }));
    mainMenu_->setDelegateAction("openAbout:",
                                 whileAlive(weakSelf, [](AppDelegate& self) { self.openAbout(); }));
    statusItems_.controlItem->onSendFeedback =
        whileAlive(weakSelf, [](AppDelegate& self) { self.sendFeedback(); });
    statusItems_.controlItem->onCheckForUpdate =
        whileAlive(weakSelf, [](AppDelegate& self) { self.checkForUpdate(); });
    // While a check runs, its menu entry says so and cannot be chosen.
    statusItems_.controlItem->isCheckingForUpdate = [weakSelf] {
        const auto self = weakSelf.lock();
        return self && self->supportWindows_.isCheckingForUpdate();
    };
    mainMenu_->setDelegateAction("sendFeedback:",
                                 whileAlive(weakSelf, [](AppDelegate& self) { self.sendFeedback(); }));
    mainMenu_->setDelegateAction("checkForUpdate:",
                                 whileAlive(weakSelf, [](AppDelegate& self) { self.checkForUpdate(); }));
}

void AppDelegate::wireUserSwitch() {
    // Switching users is offered where the system's component for it is there.
    userSwitch_ = std::make_shared<system::UserSwitch>(
        environment_.platform.runtimeLoader,
        std::make_shared<concurrency::SerialQueue>(system::UserSwitch::queueLabel()));
    const bool available = userSwitch_->isAvailable();
    statusItems_.controlItem->userSwitchAvailable = available;
    if (statusItems_.userSwitcherItem) {
        statusItems_.userSwitcherItem->userSwitchAvailable = available;
    }
    if (!available) {
        core::Log::app().error("利用者を切り替える部品が macOS に見つかりません（メニューに出しません）");
    }
    const auto switchUser = [userSwitch = userSwitch_, &executor = *environment_.executor] {
        concurrency::spawn(executor, switchToLoginWindow(userSwitch), "switch user");
    };
    statusItems_.controlItem->onSwitchUser = switchUser;
    if (statusItems_.userSwitcherItem) {
        statusItems_.userSwitcherItem->onSwitchUser = switchUser;
    }
}

std::optional<std::string> AppDelegate::hotkeyNote(const system::Hotkey& hotkey,
                                                   const std::optional<system::HotkeyProblem>& problem) {
    if (!problem) {
        return std::nullopt;
    }
    if (problem->kind() == system::HotkeyProblem::Kind::takenBySystemShortcut) {
        return fmt::format(fmt::runtime(core::localized("{} は macOS のショートカットと重なっています")),
                           hotkey.displayName);
    }
    return fmt::format(
        fmt::runtime(core::localized("{} を登録できませんでした（ほかのアプリが使っているかもしれません）")),
        hotkey.displayName);
}

void AppDelegate::registerHotkeys() {
    hotkeys_ = std::make_unique<system::HotkeyCenter>(environment_.platform.hotkeyManager);
    const std::weak_ptr<Coordinator> weakCoordinator = coordinator_;
    const system::Hotkey& reveal = system::Hotkey::reveal;
    const auto revealProblem = hotkeys_->registerHotkey(reveal, [weakCoordinator] {
        if (const auto coordinator = weakCoordinator.lock()) {
            coordinator->toggle(false);
        }
    });
    if (revealProblem) {
        if (revealProblem->kind() == system::HotkeyProblem::Kind::takenBySystemShortcut) {
            core::Log::app().error("ホットキー {} は macOS のショートカットが使っています",
                                   reveal.displayName);
        } else {
            core::Log::app().error("ホットキー {} を登録できませんでした（{}）", reveal.displayName,
                                   revealProblem->status());
        }
    }
    statusItems_.controlItem->hotkeyNote = hotkeyNote(reveal, revealProblem);

    const system::Hotkey& search = system::Hotkey::search;
    const auto searchProblem =
        hotkeys_->registerHotkey(search, [weakSelf = weak_from_this(), weakCoordinator] {
            const auto self = weakSelf.lock();
            const auto coordinator = weakCoordinator.lock();
            if (!self || !coordinator || coordinator->hasShutDown()) {
                return;
            }
            if (self->panels_.search->isOpen()) {
                self->panels_.search->close("ホットキー");
                return;
            }
            self->panels_.search->show(searchCandidates(*coordinator));
        });
    if (searchProblem) {
        core::Log::app().error("ホットキー {} を登録できませんでした（{}）", search.displayName,
                               system::toString(*searchProblem));
    }
}

void AppDelegate::showCurrentState() {
    if (!coordinator_) {
        statusItems_.controlItem->show(MenuBarState::paused, std::nullopt);
        stateDidChange(MenuBarState::paused);
        return;
    }
    statusItems_.controlItem->show(coordinator_->effectiveState(), coordinator_->currentPauseReason());
    stateDidChange(coordinator_->effectiveState());
}

// -- Reopen and termination ----------------------------------------------------

bool AppDelegate::applicationShouldHandleReopen(bool /*hasVisibleWindows*/) {
    core::Log::app().notice("もう一度開かれたので、設定の窓を出します");
    openSettings();
    return false;
}

void AppDelegate::applicationWillTerminate() {
    takeDown();
    core::Log::app().notice("終了します");
}

void AppDelegate::takeDown() {
    // What the user sees goes first, so nothing reaches an engine that has
    // shut down; then the engine lifts its restriction; then the hot keys go.
    supportWindows_.takeDown();
    settings_.takeDown();
    // A guide still waiting out its grace delay would open over a program
    // that is going away.
    pendingPermissionGuide_.cancel();
    pendingPermissionGuide_ = {};
    panels_.takeDown();
    // URLs arriving from now on are queued and never run.
    if (externalControl_ && ExternalControl::shared() == externalControl_) {
        ExternalControl::clearShared();
    }
    // No rule switches a profile while the engine goes down.
    if (ruleRunner_) {
        ruleRunner_->stop();
    }
    if (coordinator_) {
        coordinator_->shutdown();
    }
    if (hotkeys_) {
        hotkeys_->unregisterAll();
    }
}

// -- Helpers -------------------------------------------------------------------

std::optional<core::Rect> AppDelegate::controlFrame(const std::weak_ptr<ControlItem>& control) {
    const auto item = control.lock();
    if (!item || !item->statusItem()) {
        return std::nullopt;
    }
    const auto window = item->statusItem()->buttonWindow();
    return window ? std::optional<core::Rect>(window->frame) : std::nullopt;
}

StatusItemMenu::Runner AppDelegate::menuRunner() const {
    return [screens = environment_.platform.screens, place = environment_.place](QMenu& menu,
                                                                                 const core::Rect& frame) {
        const auto all = screens ? screens->screens() : std::vector<platform::Screen>{};
        if (all.empty()) {
            StatusItemMenu::runOnPrimaryScreen(menu, frame);
            return;
        }
        // Below the button: its bottom-left corner, top-down.
        const auto topDown = core::convertScreenSpace(frame, all.front().frame);
        menu.exec(place({topDown.minX(), topDown.maxY()}));
    };
}

} // namespace pellacor::app
