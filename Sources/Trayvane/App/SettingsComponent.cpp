#include "Trayvane/App/SettingsComponent.h"

#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/Log.h"
#include "MenuBarSystem/Login/LoginItem.h"
#include "MenuBarSystem/Private/LayoutFolder.h"
#include "MenuBarSystem/Safety/HealthCheck.h"
#include "Trayvane/App/FeatureSwitches.h"
#include "Trayvane/App/SharedServices.h"
#include "Trayvane/Common/WhileAlive.h"
#include "Trayvane/Coordinator/Coordinator.h"
#include "Trayvane/Settings/GeneralModel.h"
#include "Trayvane/Settings/ProfileEditor.h"
#include "Trayvane/Settings/ProfilesModel.h"
#include "Trayvane/Settings/RulesModel.h"
#include "Trayvane/Settings/SectionsModel.h"
#include "Trayvane/Settings/SettingsStore.h"
#include "Trayvane/Settings/SettingsWindowController.h"

#include <utility>

namespace pellacor::app {

using coordinator::Coordinator;
using coordinator::OrderOutcome;

namespace {

bool needsTheFolder(const OrderOutcome& outcome) {
    return outcome.kind() == OrderOutcome::Kind::needsFolder;
}

// One edit of the profiles by the user, through the editor while it lives.
bool editProfiles(const std::weak_ptr<ProfileEditor>& weakEditor, std::string_view label,
                  const ProfileEditor::Body& body) {
    const auto editor = weakEditor.lock();
    return editor && editor->edit(true, label, body);
}

} // namespace

std::shared_ptr<SettingsComponent>
SettingsComponent::create(const ProgramEnvironment& environment, const SharedServices& services,
                          std::shared_ptr<SettingsStore> store,
                          const std::shared_ptr<Coordinator>& coordinator) {
    auto component = std::shared_ptr<SettingsComponent>(
        new SettingsComponent(environment, services, std::move(store), coordinator));
    // The switches are read into the engine and the General page first.
    if (coordinator) {
        FeatureSwitches::connect(coordinator, component->general_, services.revealPreferences);
    }
    component->wireSections();
    component->wireGeneral(environment, services);
    component->wireProfileBar();
    component->wireWindow();
    return component;
}

// The models, the editor over them and the window's controller (the window
// itself is made on its first showing). The sections page starts from the
// active profile, with the store's warning.
SettingsComponent::SettingsComponent(const ProgramEnvironment& environment, const SharedServices& services,
                                     std::shared_ptr<SettingsStore> store,
                                     const std::shared_ptr<Coordinator>& coordinator)
    : executor_(environment.executor), platform_(environment.platform),
      layoutFolderPanel_(environment.layoutFolderPanel), loginItem_(services.loginItem),
      coordinator_(coordinator), store_(std::move(store)), general_(std::make_shared<GeneralModel>()),
      profilesModel_(std::make_shared<ProfilesModel>()), rulesModel_(std::make_shared<RulesModel>()) {
    sectionsModel_ = std::make_shared<SectionsModel>(store_->activeProfile(), services.selfBundleID);
    sectionsModel_->setSaveWarning(store_->warning());
    profileEditor_ =
        std::make_shared<ProfileEditor>(store_, profilesModel_, sectionsModel_, coordinator_, *executor_);
    settingsWindow_ =
        SettingsWindowController::create(sectionsModel_, profilesModel_, rulesModel_, general_,
                                         SettingsWindowController::Services{
                                             .executor = executor_,
                                             .now = {},
                                             .windows =
                                                 {
                                                     .screens = platform_.screens,
                                                     .input = platform_.inputState,
                                                     .place = environment.place,
                                                     .programWindows = platform_.programWindows,
                                                 },
                                             .pages = {.icons = services.icons, .name = services.nameOf()},
                                         });
}

SettingsComponent::~SettingsComponent() {
    if (dismissLayoutFolderPanel_) {
        dismissLayoutFolderPanel_();
    }
}

// The sections page's changes go through the store to the coordinator, and
// the coordinator's to the page; built with the engine, so that the first
// items read already reach it.
void SettingsComponent::wireSections() {
    const std::weak_ptr<SettingsComponent> weakSelf = weak_from_this();
    sectionsModel_->onChange =
        whileAlive(weakSelf, [](SettingsComponent& self, const core::Profile& profile) {
            self.profileChanged(profile, false);
        });
    sectionsModel_->onMove = [weakSelf, weakCoordinator = coordinator_, executor = executor_] {
        concurrency::spawn(*executor, applyOrderFromPage(weakSelf, weakCoordinator, false), "section order");
    };
    sectionsModel_->onReorder = [weakSelf, weakCoordinator = coordinator_,
                                 executor = executor_](const core::Profile& profile) {
        if (const auto self = weakSelf.lock()) {
            self->profileChanged(profile, false);
        }
        concurrency::spawn(*executor, applyOrderFromPage(weakSelf, weakCoordinator, true), "reorder");
    };
    const auto coordinator = coordinator_.lock();
    if (!coordinator) {
        return;
    }
    coordinator->onLayoutOrder =
        whileAlive(std::weak_ptr<SectionsModel>(sectionsModel_),
                   [](SectionsModel& sections, const std::optional<std::vector<core::AppKey>>& order) {
                       sections.update(order);
                   });
    coordinator->onProfileChange =
        whileAlive(weakSelf, [](SettingsComponent& self, const core::Profile& profile) {
            self.profileChanged(profile, true);
        });
}

// The login item's default once per installation, the General page's login
// status and folder flag, and its two login actions.
void SettingsComponent::wireGeneral(const ProgramEnvironment& environment, const SharedServices& services) {
    const bool inApplicationsFolder =
        system::HealthCheck::isInApplicationsFolder(environment.bundleURL, environment.applicationsFolder);
    LaunchPreferences launchPreferences = services.launchPreferences;
    launchPreferences.applyLoginItemDefault(*loginItem_, inApplicationsFolder);
    general_->setLoginStatus(loginItem_->status());
    general_->setInApplicationsFolder(inApplicationsFolder);

    const std::weak_ptr<SettingsComponent> weakSelf = weak_from_this();
    general_->onSetLoginItem =
        whileAlive(weakSelf, [](SettingsComponent& self, bool enabled) { self.setLoginItem(enabled); });
    general_->onOpenLoginSettings =
        whileAlive(weakSelf, [](SettingsComponent& self) { self.loginItem_->openSystemSettings(); });
    general_->onPause = whileAlive(coordinator_, [](Coordinator& coordinator) { coordinator.pause(); });
    general_->onResume = whileAlive(coordinator_, [](Coordinator& coordinator) { coordinator.resume(); });
}

// The editor's choices on the profile bar, and the bar's actions: every one
// an edit by the user through the editor, the model's list following from
// the editor after each.
void SettingsComponent::wireProfileBar() {
    profilesModel_->setChoices(profileEditor_->choices());
    profileEditor_->onActiveChange = whileAlive(weak_from_this(), [](SettingsComponent& self) {
        if (self.onActiveProfileChange) {
            self.onActiveProfileChange();
        }
    });
    const std::weak_ptr<ProfileEditor> weakEditor = profileEditor_;
    ProfilesModel& model = *profilesModel_;
    model.onSwitch = [weakEditor](const core::Uuid& id) {
        editProfiles(weakEditor, "切り替え",
                     [id](core::StoredState& state) { return state.switchProfile(id); });
    };
    model.onAdd = [weakEditor](const std::string& name) {
        return editProfiles(weakEditor, "追加",
                            [&name](core::StoredState& state) { return state.addProfile(name).has_value(); });
    };
    model.onRename = [weakEditor](const core::Uuid& id, const std::string& name) {
        return editProfiles(weakEditor, "名前の変更",
                            [&](core::StoredState& state) { return state.renameProfile(id, name); });
    };
    model.onDelete = [weakEditor](const core::Uuid& id) {
        editProfiles(weakEditor, "削除", [id](core::StoredState& state) { return state.removeProfile(id); });
    };
    const std::weak_ptr<SettingsStore> weakStore = store_;
    model.suggestName = [weakStore](const std::string& base) {
        const auto store = weakStore.lock();
        return store ? store->state().uniqueProfileName(base) : base;
    };
    model.isNameTaken = [weakStore](const std::string& name, const std::optional<core::Uuid>& except) {
        const auto store = weakStore.lock();
        return store && store->state().isProfileNameTaken(name, except);
    };
    model.storedName = [weakStore](const core::Uuid& id) -> std::optional<std::string> {
        const auto store = weakStore.lock();
        if (!store) {
            return std::nullopt;
        }
        for (const auto& profile : store->state().profiles) {
            if (profile.id() == id) {
                return profile.name;
            }
        }
        return std::nullopt;
    };
}

// The window's refresh rereads the items and the sections page's inputs; its
// showing rereads the login item and the layout order, which the user may
// have changed outside the program.
void SettingsComponent::wireWindow() {
    const std::weak_ptr<SettingsComponent> weakSelf = weak_from_this();
    settingsWindow_->onRefresh = whileAlive(weakSelf, [](SettingsComponent& self) { self.refresh(); });
    settingsWindow_->onShow = [weakSelf, weakCoordinator = coordinator_, executor = executor_] {
        if (const auto self = weakSelf.lock()) {
            self->general_->setLoginStatus(self->loginItem_->status());
        }
        concurrency::spawn(*executor, rereadLayoutOrder(weakCoordinator), "settings layout order");
    };
}

void SettingsComponent::open() {
    settingsWindow_->show();
}

void SettingsComponent::refresh() {
    const auto coordinator = coordinator_.lock();
    if (coordinator && !coordinator->hasShutDown()) {
        coordinator->refreshItems();
    }
    refreshSectionsInputs();
}

void SettingsComponent::refreshSectionsInputs() {
    std::vector<core::Rect> frames;
    if (platform_.screens) {
        for (const auto& screen : platform_.screens->screens()) {
            frames.push_back(screen.frame);
        }
    }
    if (const auto coordinator = coordinator_.lock()) {
        sectionsModel_->refresh(coordinator->runningBundleIDs(), std::move(frames),
                                coordinator->allowedOnBar());
    } else {
        sectionsModel_->refresh({}, std::move(frames), std::nullopt);
    }
}

void SettingsComponent::itemsChanged(const std::vector<core::ItemSnapshot>& items) {
    // What the program let the bar show as the read landed tells its own
    // hiding from the system's.
    if (const auto coordinator = coordinator_.lock()) {
        sectionsModel_->update(items, coordinator->runningBundleIDs(), coordinator->allowedOnBar());
    } else {
        sectionsModel_->update(items, {}, std::nullopt);
    }
    // A read follows every change of the screens: the page's frames follow it.
    refreshSectionsInputs();
}

void SettingsComponent::profileChanged(const core::Profile& profile, bool fromCoordinator) {
    store_->updateActive(profile);
    sectionsModel_->setSaveWarning(store_->warning());
    if (fromCoordinator) {
        // The coordinator changed its own profile: the page follows it.
        if (sectionsModel_->profile() != profile) {
            sectionsModel_->setProfile(profile);
            sectionsModel_->rebuild();
        }
    } else if (const auto coordinator = coordinator_.lock()) {
        // The page changed it: the coordinator follows it.
        coordinator->setProfile(profile);
    }
    if (onActiveProfileChange) {
        onActiveProfileChange();
    }
}

void SettingsComponent::setLoginItem(bool enabled) {
    const core::Log log = core::Log::app();
    if (enabled && !general_->inApplicationsFolder()) {
        log.error("アプリケーションフォルダの外なので、ログイン時に起動は入れません");
        general_->setLoginStatus(loginItem_->status());
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
    general_->setLoginStatus(status);
    using Status = system::LoginItemStatus;
    general_->setLoginChangeFailed(enabled ? status != Status::enabled && status != Status::requiresApproval
                                           : status != Status::notRegistered);
}

void SettingsComponent::takeDown() {
    // The window goes off screen, which also stops its refresh.
    settingsWindow_->close();
    if (const auto dismiss = std::exchange(dismissLayoutFolderPanel_, nullptr)) {
        dismiss();
    }
    layoutFolderPanelUp_ = false;
}

QWidget* SettingsComponent::visibleWindow() const {
    QWidget* window = settingsWindow_->window();
    return window != nullptr && window->isVisible() ? window : nullptr;
}

concurrency::Task<void> SettingsComponent::rereadLayoutOrder(std::weak_ptr<Coordinator> weak) {
    auto coordinator = weak.lock();
    if (!coordinator) {
        co_return;
    }
    auto reread = coordinator->refreshLayoutOrder();
    coordinator.reset();
    co_await std::move(reread);
}

// -- The layout-folder grant -------------------------------------------------------

concurrency::Task<void> SettingsComponent::applyOrderFromPage(std::weak_ptr<SettingsComponent> weakSelf,
                                                              std::weak_ptr<Coordinator> weak,
                                                              bool reordered) {
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

void SettingsComponent::chooseLayoutFolder() {
    if (layoutFolderPanelUp_) {
        return;
    }
    layoutFolderPanelUp_ = true;
    const system::LayoutFolder folder(platform_.fileManager);
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
    dismissLayoutFolderPanel_ = layoutFolderPanel_(
        request, visibleWindow(),
        whileAlive(weak_from_this(),
                   [](SettingsComponent& self, const std::optional<std::filesystem::path>& chosen) {
                       self.layoutFolderPanelEnded(chosen);
                   }));
}

void SettingsComponent::layoutFolderPanelEnded(const std::optional<std::filesystem::path>& chosen) {
    layoutFolderPanelUp_ = false;
    dismissLayoutFolderPanel_ = nullptr;
    const core::Log log = core::Log::app();
    if (!chosen) {
        log.notice("配置表のフォルダを選ぶ窓が取り消されました");
        sectionsModel_->setLayoutFolderNote(
            core::localized("許可しなかったので、順番はメニューバーに写っていません。もう一度並べ替えると"
                            "、また窓が出ます。"));
        return;
    }
    const system::LayoutFolder folder(platform_.fileManager);
    if (!folder.isLayoutFolder(*chosen)) {
        log.notice("配置表のフォルダとは違うフォルダが選ばれました");
        sectionsModel_->setLayoutFolderNote(
            core::localized("違うフォルダが選ばれました。窓が開いたときのフォルダ「com.apple.MenuBar」のまま"
                            "「開く」を押してください。"));
        return;
    }
    log.notice("配置表のフォルダが選ばれました");
    concurrency::spawn(*executor_, applyGrantedOrder(coordinator_), "layout folder granted");
}

concurrency::Task<void> SettingsComponent::applyGrantedOrder(std::weak_ptr<Coordinator> weak) {
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

} // namespace pellacor::app
