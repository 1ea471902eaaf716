// The delegate's own actions that several closures share: the panels'
// refreshes, the layout-folder grant, the login item, the permission guide
// and its grace delay, the relaunch, and what a profile change made outside
// the profile editor does.
#include "Concurrency/TaskContext.h"
#include "MenuBarCore/Planning/BelowBarEntry.h"
#include "MenuBarCore/Planning/BelowBarList.h"
#include "MenuBarCore/Planning/SearchCandidate.h"
#include "MenuBarCore/Planning/SearchList.h"
#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/Log.h"
#include "MenuBarSystem/Login/LoginItem.h"
#include "MenuBarSystem/Private/LayoutFolder.h"
#include "MenuBarSystem/Session/UserSwitch.h"
#include "Trayvane/App/AppDelegate.h"
#include "Trayvane/Common/AppInfo.h"
#include "Trayvane/Common/DefaultsKey.h"
#include "Trayvane/Common/IconStore.h"
#include "Trayvane/Coordinator/Coordinator.h"
#include "Trayvane/Onboarding/SystemPlaces.h"
#include "Trayvane/Settings/AppLookup.h"
#include "Trayvane/Settings/SettingsStore.h"
#include "Trayvane/StatusItem/ControlItem.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

namespace pellacor::app {

using coordinator::Coordinator;
using coordinator::OrderOutcome;

namespace {

// Within this long after launch a permission that cannot be read yet may
// still be the system starting up: the guide waits a little before showing.
constexpr double permissionGraceWindowSeconds = 60;
constexpr concurrency::Duration permissionGraceDelay = std::chrono::seconds(8);

bool needsTheFolder(const OrderOutcome& outcome) {
    return outcome.kind() == OrderOutcome::Kind::needsFolder;
}

} // namespace

double AppDelegate::uptime() const {
    return concurrency::secondsOf(environment_.executor->now());
}

// -- The panels -----------------------------------------------------------------

std::vector<core::BelowBarEntry> AppDelegate::belowBarEntries(const Coordinator& coordinator) {
    // Applications moved off the bar for the notch show in the panel while the
    // panel or the fold rescue makes use of the notch handling.
    std::set<core::AppKey> overflow;
    if (coordinator.notchOverflowEnabled && (coordinator.belowBarEnabled || coordinator.foldRescueActive())) {
        overflow = coordinator.currentNotchState().hidden();
    }
    return core::BelowBarList::entries(coordinator.pressableItems(), coordinator.currentProfile(),
                                       coordinator.ownBundleID(), overflow);
}

std::vector<core::SearchCandidate> AppDelegate::searchCandidates(const Coordinator& coordinator) {
    return core::SearchList::candidates(coordinator.pressableItems(), coordinator.currentProfile(),
                                        coordinator.ownBundleID());
}

void AppDelegate::refreshBelowBar() {
    if (!coordinator_ || !coordinator_->belowBarShown()) {
        return;
    }
    panels_.belowBar->update(belowBarEntries(*coordinator_));
}

void AppDelegate::refreshSearch() {
    if (!coordinator_ || !panels_.search->isOpen()) {
        return;
    }
    panels_.search->update(searchCandidates(*coordinator_));
}

// -- Profile changes outside the editor ----------------------------------------------

void AppDelegate::profileChanged(const core::Profile& profile, bool fromCoordinator) {
    if (settings_.settingsStore) {
        settings_.settingsStore->updateActive(profile);
    }
    if (settings_.sectionsModel) {
        settings_.sectionsModel->setSaveWarning(settings_.settingsStore ? settings_.settingsStore->warning()
                                                                        : std::nullopt);
    }
    if (fromCoordinator) {
        // The coordinator changed its own profile: the page follows it.
        if (settings_.sectionsModel && settings_.sectionsModel->profile() != profile) {
            settings_.sectionsModel->setProfile(profile);
            settings_.sectionsModel->rebuild();
        }
    } else if (coordinator_) {
        // The page changed it: the coordinator follows it.
        coordinator_->setProfile(profile);
    }
    refreshBelowBar();
    refreshSearch();
}

concurrency::Task<void> AppDelegate::applyOrderFromPage(std::weak_ptr<AppDelegate> weakSelf,
                                                        std::weak_ptr<Coordinator> weak, bool reordered) {
    auto coordinator = weak.lock();
    if (!coordinator) {
        co_return;
    }
    auto order = coordinator->applyOrder(reordered);
    coordinator.reset();
    const OrderOutcome outcome = co_await std::move(order);
    if (!needsTheFolder(outcome)) {
        co_return;
    }
    if (const auto self = weakSelf.lock()) {
        self->chooseLayoutFolder();
    }
}

// -- The layout-folder grant -------------------------------------------------------

void AppDelegate::chooseLayoutFolder() {
    if (panels_.layoutFolderPanelUp) {
        return;
    }
    panels_.layoutFolderPanelUp = true;
    const system::LayoutFolder folder(environment_.platform.fileManager);
    const LayoutFolderPanel::Request request{
        .message = core::localized(
            "アイコンの左右の順番をメニューバーに写すには、最初に1回だけ許可が要ります。開いているフォルダ"
            "「com.apple.MenuBar」のまま「開く」を押してください。"),
        .prompt = core::localized("開く"),
        .directory = folder.url(),
    };
    core::Log::app().notice("配置表のフォルダを選ぶ窓を出します");
    // A sheet on the settings window while it is on screen, else modal to
    // the program. It returns at once and answers on a later turn, so the
    // task that asked for it ends and holds nobody while the user chooses.
    panels_.dismissLayoutFolderPanel = environment_.layoutFolderPanel(
        request, visibleSettingsWindow(),
        [weakSelf = weak_from_this()](const std::optional<std::filesystem::path>& chosen) {
            if (const auto self = weakSelf.lock()) {
                self->layoutFolderPanelEnded(chosen);
            }
        });
}

void AppDelegate::layoutFolderPanelEnded(const std::optional<std::filesystem::path>& chosen) {
    panels_.layoutFolderPanelUp = false;
    panels_.dismissLayoutFolderPanel = nullptr;
    const core::Log log = core::Log::app();
    if (!chosen) {
        log.notice("配置表のフォルダを選ぶ窓が取り消されました");
        if (settings_.sectionsModel) {
            settings_.sectionsModel->setLayoutFolderNote(
                core::localized("許可しなかったので、順番はメニューバーに写っていません。もう一度並べ替えると"
                                "、また窓が出ます。"));
        }
        return;
    }
    const system::LayoutFolder folder(environment_.platform.fileManager);
    if (!folder.isLayoutFolder(*chosen)) {
        log.notice("配置表のフォルダとは違うフォルダが選ばれました");
        if (settings_.sectionsModel) {
            settings_.sectionsModel->setLayoutFolderNote(core::localized(
                "違うフォルダが選ばれました。窓が開いたときのフォルダ「com.apple.MenuBar」のまま"
                "「開く」を押してください。"));
        }
        return;
    }
    log.notice("配置表のフォルダが選ばれました");
    concurrency::spawn(*environment_.executor, applyGrantedOrder(coordinator_), "layout folder granted");
}

concurrency::Task<void> AppDelegate::applyGrantedOrder(std::weak_ptr<Coordinator> weak) {
    auto coordinator = weak.lock();
    if (!coordinator) {
        co_return;
    }
    auto refresh = coordinator->refreshLayoutOrder();
    coordinator.reset();
    co_await std::move(refresh);
    coordinator = weak.lock();
    if (!coordinator) {
        co_return;
    }
    // The reorder that waited for the folder is carried out now.
    auto order = coordinator->applyOrder(coordinator->reorderIsWaitingForFolder());
    coordinator.reset();
    const OrderOutcome outcome = co_await std::move(order);
    coordinator = weak.lock();
    if (coordinator && !needsTheFolder(outcome) && outcome.kind() != OrderOutcome::Kind::skipped) {
        coordinator->forgetReorderWaitingForFolder();
    }
}

// -- The login item ------------------------------------------------------------

void AppDelegate::setLoginItem(bool enabled) {
    const core::Log log = core::Log::app();
    if (enabled && !settings_.general->inApplicationsFolder()) {
        log.error("アプリケーションフォルダの外なので、ログイン時に起動は入れません");
        settings_.general->setLoginStatus(loginItem_->status());
        return;
    }
    const auto result = loginItem_->setEnabled(enabled);
    if (result.isUnavailable()) {
        log.error("ログイン時に起動を{}ませんでした（{}）", enabled ? "入れ" : "切れ",
                  system::toString(*result.reason()));
    } else if (result.isOk()) {
        log.notice("ログイン時に起動を{}にしました（状態 {}）", enabled ? "入" : "切",
                   system::toString(loginItem_->status()));
    }
    const system::LoginItemStatus status = loginItem_->status();
    settings_.general->setLoginStatus(status);
    using Status = system::LoginItemStatus;
    settings_.general->setLoginChangeFailed(enabled ? status != Status::enabled &&
                                                          status != Status::requiresApproval
                                                    : status != Status::notRegistered);
}

// -- The permission guide --------------------------------------------------------

void AppDelegate::showPermissionGuide() {
    panels_.permissionGuide->model().setTrusted(coordinator_ ? coordinator_->trusted() : std::nullopt);
    panels_.permissionGuide->show();
}

void AppDelegate::openHelp(std::optional<HelpTopic> topic) {
    supportWindows_.openHelp(topic);
}

void AppDelegate::openAbout() {
    supportWindows_.openAbout();
}

void AppDelegate::sendFeedback() {
    supportWindows_.sendFeedback(feedbackEnvironment());
}

void AppDelegate::checkForUpdate() {
    supportWindows_.checkForUpdate();
}

core::FeedbackReport::Environment AppDelegate::feedbackEnvironment() const {
    using core::FeedbackReport;
    FeedbackReport::Environment facts;
    const core::Profile placeholder(core::Uuid::random(), "", {}, {}, core::Section::hidden);
    const core::Profile& profile = coordinator_ ? coordinator_->currentProfile() : placeholder;
    const std::vector<core::ItemSnapshot> none;
    const auto& items = coordinator_ ? coordinator_->currentItems() : none;
    facts.sectionCounts = FeedbackReport::sectionCounts(items, profile, environment_.bundleIdentifier);
    facts.stateText = coordinator_ ? ControlItem::stateText(coordinator_->effectiveState(),
                                                            coordinator_->currentPauseReason())
                                   : core::localized("起動しています");
    facts.appVersion = AppInfo::version();
    facts.build = AppInfo::build().value_or("");
    facts.osVersion = AppInfo::osVersion(*environment_.platform.hostInfo);
    facts.model = AppInfo::model(*environment_.platform.hostInfo);
    facts.accessibilityGranted = coordinator_ ? coordinator_->trusted() : std::nullopt;
    facts.newItemSection = profile.newItemSection;
    const auto& store = settings_.settingsStore;
    facts.profileCount = store ? static_cast<int>(store->state().profiles.size()) : 1;
    facts.ruleCount = store ? static_cast<int>(store->state().rules.size()) : 0;
    facts.switches = {
        .launchAtLogin = loginItem_ && loginItem_->status() == system::LoginItemStatus::enabled,
        .hoverReveal = revealPreferences_.defaults.boolean(DefaultsKey::hoverRevealEnabled),
        .belowBar = revealPreferences_.defaults.boolean(DefaultsKey::belowBarEnabled),
        .notchOverflow = revealPreferences_.notchOverflow(),
        .dragSort = revealPreferences_.dragSort(),
        .userSwitcherStandIn = revealPreferences_.userSwitcherStandIn(),
    };
    const auto screens = environment_.platform.screens ? environment_.platform.screens->screens()
                                                       : std::vector<platform::Screen>{};
    facts.screenCount = static_cast<int>(screens.size());
    facts.hasNotchScreen = std::any_of(screens.begin(), screens.end(), [](const platform::Screen& screen) {
        return screen.safeAreaInsets.top > 0;
    });
    return facts;
}

void AppDelegate::permissionWaitChanged(bool waiting) {
    pendingPermissionGuide_.cancel();
    pendingPermissionGuide_ = {};
    if (!waiting) {
        panels_.permissionGuide->close();
        return;
    }
    const double elapsed = uptime() - launchedAt_;
    // A restriction has worked before: early in the run the permission may
    // only not be readable yet.
    const bool workedBefore = launchPreferences_.defaults.string(DefaultsKey::confirmedOSVersion).has_value();
    if (workedBefore && elapsed >= 0 && elapsed < permissionGraceWindowSeconds) {
        core::Log::app().notice("起動の {} 秒後に許可が読めませんでした。少し待ってから案内を出すか決めます",
                                static_cast<long>(std::trunc(elapsed)));
        pendingPermissionGuide_ = concurrency::spawn(
            *environment_.executor, delayedPermissionGuide(weak_from_this(), environment_.sleep),
            "permission guide");
        return;
    }
    showPermissionGuide();
}

concurrency::Task<void> AppDelegate::delayedPermissionGuide(std::weak_ptr<AppDelegate> weak,
                                                            concurrency::Sleep sleep) {
    co_await sleep(permissionGraceDelay);
    if (concurrency::isCancelled()) {
        co_return;
    }
    const auto self = weak.lock();
    if (!self || !self->coordinator_ ||
        self->coordinator_->baseState() != core::MenuBarState::needsPermission) {
        co_return;
    }
    core::Log::app().notice("待っても許可が読めないので、許可の案内を出します");
    self->showPermissionGuide();
}

// -- State, relaunch -----------------------------------------------------------

void AppDelegate::stateDidChange(core::MenuBarState state) {
    settings_.general->setState(state);
    settings_.general->setPauseReason(coordinator_ ? coordinator_->currentPauseReason() : std::nullopt);
}

void AppDelegate::relaunch() {
    if (isRelaunching_) {
        return;
    }
    isRelaunching_ = true;
    // The restriction is lifted before the new instance starts.
    takeDown();
    places_->relaunch();
}

} // namespace pellacor::app
