// The closures start-up connects between the coordinator, the status items,
// the panels, the settings models and the permission guide. Each holds its
// targets weakly and skips the step whose target is gone.
#include "MenuBarCore/Planning/BelowBarEntry.h"
#include "MenuBarCore/Planning/SearchCandidate.h"
#include "MenuBarCore/Support/Log.h"
#include "MenuBarSystem/Input/InputClock.h"
#include "MenuBarSystem/Login/LoginItem.h"
#include "MenuBarSystem/Session/UserSwitch.h"
#include "Trayvane/App/AppDelegate.h"
#include "Trayvane/Common/IconStore.h"
#include "Trayvane/Common/WhileAlive.h"
#include "Trayvane/Coordinator/Coordinator.h"
#include "Trayvane/Onboarding/SystemPlaces.h"
#include "Trayvane/Panels/BelowBarPanel.h"
#include "Trayvane/Settings/AppLookup.h"

#include <string_view>
#include <utility>

namespace pellacor::app {

using coordinator::Coordinator;
using coordinator::PressSource;

namespace {

constexpr std::string_view appleBundlePrefix = "com.apple.";

concurrency::Task<std::optional<system::PressOutcome>> nothingPressed() {
    co_return std::nullopt;
}

} // namespace

// The notch overflow and the stand-in's coordinator callbacks, then the
// stand-in's press. Its fallback menu opens only while a failed press still
// answers the user's click, which the input clock tells: any key or button
// pressed since means the user has moved on.
void AppDelegate::wireStandIn() {
    const std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
    const std::weak_ptr<Coordinator> weakCoordinator = coordinator_;
    const std::weak_ptr<UserSwitcherItem> weakItem = statusItems_.userSwitcherItem;
    coordinator_->onNotchOverflowChange = whileAlive(
        weakSelf, [](AppDelegate& self, const std::set<core::AppKey>&) { self.refreshBelowBar(); });
    coordinator_->onUserSwitcherStandIn =
        whileAlive(weakItem, [](UserSwitcherItem& item, bool shown) { item.setShown(shown); });

    auto& executor = *environment_.executor;
    statusItems_.standInPress = std::make_shared<StandInPress>(StandInPress::Services{
        .executor = &executor,
        .now = concurrency::nowOf(executor),
        .secondsSinceLastPress =
            [input = environment_.platform.inputState] {
                return input ? system::InputClock::secondsSinceLastPress(*input) : 0.0;
            },
        .press =
            [weakCoordinator] {
                const auto coordinator = weakCoordinator.lock();
                return coordinator ? coordinator->pressUserSwitcher() : nothingPressed();
            },
        .showFallbackMenu =
            [weakItem] {
                if (const auto item = weakItem.lock()) {
                    item->showFallbackMenu();
                }
            },
    });
    if (statusItems_.userSwitcherItem) {
        statusItems_.userSwitcherItem->onPress = [press = statusItems_.standInPress] { press->pressed(); };
    }
}

// The panels press through the coordinator, which owns the one pressing
// flag, and learns when the below-bar panel opens, closes or is closed by the
// user, so its state never disagrees with what is on screen.
void AppDelegate::wirePanels() {
    const std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
    const std::weak_ptr<Coordinator> weakCoordinator = coordinator_;
    const std::weak_ptr<ControlItem> weakControl = statusItems_.controlItem;
    auto& executor = *environment_.executor;

    panels_.belowBar->onPress = [weakCoordinator, &executor](const core::BelowBarEntry& entry) {
        concurrency::spawn(executor, pressFromPanel(weakCoordinator, entry, PressSource::belowBar),
                           "below-bar press");
    };
    panels_.belowBar->onClosedByUser =
        whileAlive(weakCoordinator, [](Coordinator& coordinator) { coordinator.belowBarDidClose(); });
    panels_.belowBar->controlFrame = [weakControl] { return controlFrame(weakControl); };
    panels_.search->onPress = [weakCoordinator, &executor](const core::BelowBarEntry& entry) {
        concurrency::spawn(executor, pressFromPanel(weakCoordinator, entry, PressSource::search),
                           "search press");
    };
    panels_.search->onOpen = [weakCoordinator] {
        const auto coordinator = weakCoordinator.lock();
        if (coordinator && !coordinator->hasShutDown()) {
            coordinator->setBelowBar(false);
            coordinator->refreshItems();
        }
    };
    panels_.search->isBusy = [weakCoordinator] {
        const auto coordinator = weakCoordinator.lock();
        return coordinator && coordinator->pressingItem();
    };

    if (!coordinator_) {
        return;
    }
    coordinator_->belowBarVisible = [weakSelf] {
        const auto self = weakSelf.lock();
        return self && self->panels_.belowBar->panel() != nullptr &&
               self->panels_.belowBar->panel()->isVisible();
    };
    coordinator_->onBelowBar = [weakSelf, weakCoordinator, weakControl](bool show) {
        const auto self = weakSelf.lock();
        if (!self) {
            return;
        }
        if (!show) {
            self->panels_.belowBar->close();
            return;
        }
        const auto coordinator = weakCoordinator.lock();
        self->panels_.belowBar->show(coordinator ? belowBarEntries(*coordinator)
                                                 : std::vector<core::BelowBarEntry>{},
                                     controlFrame(weakControl));
    };
}

concurrency::Task<void> AppDelegate::pressFromPanel(std::weak_ptr<Coordinator> weak,
                                                    core::BelowBarEntry entry, PressSource source) {
    auto coordinator = weak.lock();
    if (!coordinator) {
        co_return;
    }
    auto press = coordinator->pressItem(std::move(entry), source);
    coordinator.reset();
    [[maybe_unused]] auto outcome = co_await std::move(press);
}

// The sections page's model over the active profile, and the coordinator's
// callbacks that feed it: built after the coordinator so that the first
// items read already reach it.
void AppDelegate::buildSectionsModel() {
    const std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
    const std::weak_ptr<Coordinator> weakCoordinator = coordinator_;
    settings_.sectionsModel = std::make_shared<SectionsModel>(
        settings_.settingsStore->activeProfile(), selfBundleIdentifier(environment_.bundleIdentifier));
    settings_.sectionsModel->setSaveWarning(settings_.settingsStore->warning());
    const std::weak_ptr<SectionsModel> weakSections = settings_.sectionsModel;

    settings_.sectionsModel->onChange =
        whileAlive(weakSelf, [](AppDelegate& self, const core::Profile& profile) {
            self.profileChanged(profile, false);
        });
    auto& executor = *environment_.executor;
    settings_.sectionsModel->onMove = [weakSelf, weakCoordinator, &executor] {
        concurrency::spawn(executor, applyOrderFromPage(weakSelf, weakCoordinator, false), "section order");
    };
    settings_.sectionsModel->onReorder = [weakSelf, weakCoordinator,
                                          &executor](const core::Profile& profile) {
        if (const auto self = weakSelf.lock()) {
            self->profileChanged(profile, false);
        }
        concurrency::spawn(executor, applyOrderFromPage(weakSelf, weakCoordinator, true), "reorder");
    };

    if (!coordinator_) {
        return;
    }
    coordinator_->onLayoutOrder = whileAlive(
        weakSections, [](SectionsModel& sections, const std::optional<std::vector<core::AppKey>>& order) {
            sections.update(order);
        });
    coordinator_->onProfileChange = whileAlive(weakSelf, [](AppDelegate& self, const core::Profile& profile) {
        self.profileChanged(profile, true);
    });
    coordinator_->onItemsChange = [weakSelf, weakSections,
                                   weakCoordinator](const std::vector<core::ItemSnapshot>& items) {
        if (const auto sections = weakSections.lock()) {
            const auto coordinator = weakCoordinator.lock();
            // What the program let the bar show as the read landed tells its
            // own hiding from the system's.
            if (coordinator) {
                sections->update(items, coordinator->runningBundleIDs(), coordinator->allowedOnBar());
            } else {
                sections->update(items, {}, std::nullopt);
            }
        }
        const auto self = weakSelf.lock();
        if (!self) {
            return;
        }
        // A read follows every change of the screens: the page's frames follow it.
        self->refreshSectionsInputs();
        self->refreshBelowBar();
        self->refreshSearch();
        std::set<std::string> owners;
        for (const auto& item : items) {
            if (!item.ownerBundleID().starts_with(appleBundlePrefix)) {
                owners.insert(item.ownerBundleID());
            }
        }
        self->icons_->prefetch(owners);
    };
}

void AppDelegate::refreshSettings() {
    if (coordinator_ && !coordinator_->hasShutDown()) {
        coordinator_->refreshItems();
    }
    refreshSectionsInputs();
}

void AppDelegate::refreshSectionsInputs() {
    if (!settings_.sectionsModel) {
        return;
    }
    std::vector<core::Rect> frames;
    if (environment_.platform.screens) {
        for (const auto& screen : environment_.platform.screens->screens()) {
            frames.push_back(screen.frame);
        }
    }
    if (coordinator_) {
        settings_.sectionsModel->refresh(coordinator_->runningBundleIDs(), std::move(frames),
                                         coordinator_->allowedOnBar());
    } else {
        settings_.sectionsModel->refresh({}, std::move(frames), std::nullopt);
    }
}

// The General page's actions, the permission guide's buttons, and what the
// coordinator tells of the permission: wired before the coordinator starts,
// so that its first trust answer finds the guide.
void AppDelegate::wireGeneralAndGuide() {
    const std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
    const std::weak_ptr<Coordinator> weakCoordinator = coordinator_;
    auto& general = *settings_.general;
    general.onSetLoginItem =
        whileAlive(weakSelf, [](AppDelegate& self, bool enabled) { self.setLoginItem(enabled); });
    general.onOpenLoginSettings =
        whileAlive(weakSelf, [](AppDelegate& self) { self.loginItem_->openSystemSettings(); });
    general.onOpenPermissionGuide =
        whileAlive(weakSelf, [](AppDelegate& self) { self.showPermissionGuide(); });
    general.onPause = whileAlive(weakCoordinator, [](Coordinator& coordinator) { coordinator.pause(); });
    general.onResume = whileAlive(weakCoordinator, [](Coordinator& coordinator) { coordinator.resume(); });
    // The settings window's help button opens the help at its top.
    general.onOpenHelp = whileAlive(weakSelf, [](AppDelegate& self) { self.openHelp(); });

    auto& guide = panels_.permissionGuide->model();
    guide.onOpenSettings =
        whileAlive(weakSelf, [](AppDelegate& self) { self.places_->openAccessibilitySettings(); });
    guide.onRelaunch = whileAlive(weakSelf, [](AppDelegate& self) { self.relaunch(); });
    guide.onClose = whileAlive(weakSelf, [](AppDelegate& self) { self.panels_.permissionGuide->close(); });

    if (!coordinator_) {
        return;
    }
    coordinator_->onTrustChange = [weakSelf](bool trusted) {
        if (const auto self = weakSelf.lock()) {
            self->panels_.permissionGuide->model().setTrusted(trusted);
            self->settings_.general->setTrusted(trusted);
        }
    };
    coordinator_->onPermissionWaitChange =
        whileAlive(weakSelf, [](AppDelegate& self, bool waiting) { self.permissionWaitChanged(waiting); });
}

// The profile editor, which needs the sections model to push its changes to.
void AppDelegate::wireProfiles() {
    const std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
    settings_.profileEditor =
        std::make_shared<ProfileEditor>(settings_.settingsStore, settings_.profilesModel,
                                        settings_.sectionsModel, coordinator_, *environment_.executor);
    settings_.profilesModel->setChoices(settings_.profileEditor->choices());
    settings_.profileEditor->onActiveChange = [weakSelf] {
        if (const auto self = weakSelf.lock()) {
            self->refreshBelowBar();
            self->refreshSearch();
        }
    };
}

// The control item's profile menu and the settings' profile bar act through
// the editor; every action is an edit by the user, and the model's list
// follows from the editor after each.
void AppDelegate::wireProfileBar() {
    const std::weak_ptr<ProfileEditor> weakEditor = settings_.profileEditor;
    statusItems_.controlItem->profileChoices = [weakEditor] {
        const auto editor = weakEditor.lock();
        return editor ? editor->choices() : std::vector<ProfileChoice>{};
    };
    statusItems_.controlItem->onSwitchProfile = [weakEditor](core::Uuid id) {
        if (const auto editor = weakEditor.lock()) {
            editor->edit(true, "切り替え",
                         [id](core::StoredState& state) { return state.switchProfile(id); });
        }
    };
    ProfilesModel& model = *settings_.profilesModel;
    model.onSwitch = [weakEditor](const core::Uuid& id) {
        if (const auto editor = weakEditor.lock()) {
            editor->edit(true, "切り替え",
                         [id](core::StoredState& state) { return state.switchProfile(id); });
        }
    };
    model.onAdd = [weakEditor](const std::string& name) {
        const auto editor = weakEditor.lock();
        return editor && editor->edit(true, "追加", [&name](core::StoredState& state) {
            return state.addProfile(name).has_value();
        });
    };
    model.onRename = [weakEditor](const core::Uuid& id, const std::string& name) {
        const auto editor = weakEditor.lock();
        return editor && editor->edit(true, "名前の変更", [&](core::StoredState& state) {
            return state.renameProfile(id, name);
        });
    };
    model.onDelete = [weakEditor](const core::Uuid& id) {
        if (const auto editor = weakEditor.lock()) {
            editor->edit(true, "削除", [id](core::StoredState& state) { return state.removeProfile(id); });
        }
    };
    const std::weak_ptr<SettingsStore> weakStore = settings_.settingsStore;
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

concurrency::Task<void> AppDelegate::switchToLoginWindow(std::shared_ptr<system::UserSwitch> userSwitch) {
    auto switching = userSwitch->switchToLoginWindow();
    auto result = co_await std::move(switching);
    if (result.isOk()) {
        core::Log::app().info("ログインウインドウへ切り替えました");
    } else if (result.isTimeout()) {
        core::Log::app().error("ログインウインドウへの切り替えが時間切れになりました");
    } else {
        core::Log::app().error("ログインウインドウへ切り替えられませんでした（{}）",
                               system::toString(*result.reason()));
    }
}

} // namespace pellacor::app
