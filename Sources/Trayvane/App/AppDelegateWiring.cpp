// The closures start-up connects between the coordinator, the status items,
// the panels, the settings models and the permission guide. Each holds its
// targets weakly and skips the step whose target is gone.
#include "MenuBarCore/Support/Log.h"
#include "MenuBarSystem/Input/InputClock.h"
#include "Trayvane/App/AppDelegate.h"
#include "Trayvane/App/WhileAlive.h"
#include "Trayvane/Panels/BelowBarPanel.h"

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

// Start-up steps 17 and 18: the notch overflow and the stand-in's coordinator
// callbacks, then the stand-in's press with the run's one press clock.
void AppDelegate::wireStandIn() {
    const std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
    const std::weak_ptr<Coordinator> weakCoordinator = coordinator_;
    const std::weak_ptr<UserSwitcherItem> weakItem = userSwitcherItem_;
    coordinator_->onNotchOverflowChange = whileAlive(
        weakSelf, [](AppDelegate& self, const std::set<core::AppKey>&) { self.refreshBelowBar(); });
    coordinator_->onUserSwitcherStandIn =
        whileAlive(weakItem, [](UserSwitcherItem& item, bool shown) { item.setShown(shown); });

    auto& executor = *environment_.executor;
    standInPress_ = std::make_shared<StandInPress>(StandInPress::Services{
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
    if (userSwitcherItem_) {
        userSwitcherItem_->onPress = [press = standInPress_] { press->pressed(); };
    }
}

// Start-up steps 19 and 20: the panels press through the coordinator, which
// also learns when the below-bar panel opens, closes or is closed by the user.
void AppDelegate::wirePanels() {
    const std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
    const std::weak_ptr<Coordinator> weakCoordinator = coordinator_;
    const std::weak_ptr<ControlItem> weakControl = controlItem_;
    auto& executor = *environment_.executor;

    belowBar_->onPress = [weakCoordinator, &executor](const core::BelowBarEntry& entry) {
        concurrency::spawn(executor, pressFromPanel(weakCoordinator, entry, PressSource::belowBar),
                           "below-bar press");
    };
    belowBar_->onClosedByUser =
        whileAlive(weakCoordinator, [](Coordinator& coordinator) { coordinator.belowBarDidClose(); });
    belowBar_->controlFrame = [weakControl] { return controlFrame(weakControl); };
    search_->onPress = [weakCoordinator, &executor](const core::BelowBarEntry& entry) {
        concurrency::spawn(executor, pressFromPanel(weakCoordinator, entry, PressSource::search),
                           "search press");
    };
    search_->onOpen = [weakCoordinator] {
        const auto coordinator = weakCoordinator.lock();
        if (coordinator && !coordinator->hasShutDown()) {
            coordinator->setBelowBar(false);
            coordinator->refreshItems();
        }
    };
    search_->isBusy = [weakCoordinator] {
        const auto coordinator = weakCoordinator.lock();
        return coordinator && coordinator->pressingItem();
    };

    if (!coordinator_) {
        return;
    }
    coordinator_->belowBarVisible = [weakSelf] {
        const auto self = weakSelf.lock();
        return self && self->belowBar_->panel() != nullptr && self->belowBar_->panel()->isVisible();
    };
    coordinator_->onBelowBar = [weakSelf, weakCoordinator, weakControl](bool show) {
        const auto self = weakSelf.lock();
        if (!self) {
            return;
        }
        if (!show) {
            self->belowBar_->close();
            return;
        }
        const auto coordinator = weakCoordinator.lock();
        self->belowBar_->show(coordinator ? belowBarEntries(*coordinator)
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

// Start-up step 21: the sections page's model over the active profile, and
// the coordinator's callbacks that feed it.
void AppDelegate::buildSectionsModel() {
    const std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
    const std::weak_ptr<Coordinator> weakCoordinator = coordinator_;
    sectionsModel_ = std::make_shared<SectionsModel>(settingsStore_->activeProfile(),
                                                     selfBundleIdentifier(environment_.bundleIdentifier));
    sectionsModel_->setSaveWarning(settingsStore_->warning());
    const std::weak_ptr<SectionsModel> weakSections = sectionsModel_;

    sectionsModel_->onChange = whileAlive(weakSelf, [](AppDelegate& self, const core::Profile& profile) {
        self.profileChanged(profile, false);
    });
    auto& executor = *environment_.executor;
    sectionsModel_->onMove = [weakSelf, weakCoordinator, &executor] {
        concurrency::spawn(executor, applyOrderFromPage(weakSelf, weakCoordinator, false), "section order");
    };
    sectionsModel_->onReorder = [weakSelf, weakCoordinator, &executor](const core::Profile& profile) {
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
            sections->update(items, coordinator ? coordinator->runningBundleIDs() : std::set<std::string>{});
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
    if (!sectionsModel_) {
        return;
    }
    std::vector<core::Rect> frames;
    if (environment_.platform.screens) {
        for (const auto& screen : environment_.platform.screens->screens()) {
            frames.push_back(screen.frame);
        }
    }
    sectionsModel_->refresh(coordinator_ ? coordinator_->runningBundleIDs() : std::set<std::string>{},
                            std::move(frames));
}

// Start-up steps 23 to 25: the General page's actions, the permission
// guide's buttons, and what the coordinator tells of the permission.
void AppDelegate::wireGeneralAndGuide() {
    const std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
    const std::weak_ptr<Coordinator> weakCoordinator = coordinator_;
    auto& general = *general_;
    general.onSetLoginItem =
        whileAlive(weakSelf, [](AppDelegate& self, bool enabled) { self.setLoginItem(enabled); });
    general.onOpenLoginSettings =
        whileAlive(weakSelf, [](AppDelegate& self) { self.loginItem_->openSystemSettings(); });
    general.onOpenPermissionGuide =
        whileAlive(weakSelf, [](AppDelegate& self) { self.showPermissionGuide(); });
    general.onPause = whileAlive(weakCoordinator, [](Coordinator& coordinator) { coordinator.pause(); });
    general.onResume = whileAlive(weakCoordinator, [](Coordinator& coordinator) { coordinator.resume(); });

    auto& guide = permissionGuide_->model();
    guide.onOpenSettings =
        whileAlive(weakSelf, [](AppDelegate& self) { self.places_->openAccessibilitySettings(); });
    guide.onRelaunch = whileAlive(weakSelf, [](AppDelegate& self) { self.relaunch(); });
    guide.onClose = whileAlive(weakSelf, [](AppDelegate& self) { self.permissionGuide_->close(); });

    if (!coordinator_) {
        return;
    }
    coordinator_->onTrustChange = [weakSelf](bool trusted) {
        if (const auto self = weakSelf.lock()) {
            self->permissionGuide_->model().setTrusted(trusted);
            self->general_->setTrusted(trusted);
        }
    };
    coordinator_->onPermissionWaitChange =
        whileAlive(weakSelf, [](AppDelegate& self, bool waiting) { self.permissionWaitChanged(waiting); });
}

// Start-up steps 26, 29 and 30: the profile editor, now over the sections
// model, and the control item's profile menu.
void AppDelegate::wireProfiles() {
    const std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
    profileEditor_ = std::make_shared<ProfileEditor>(settingsStore_, profilesModel_, sectionsModel_,
                                                     coordinator_, *environment_.executor);
    profilesModel_->setChoices(profileEditor_->choices());
    profileEditor_->onActiveChange = [weakSelf] {
        if (const auto self = weakSelf.lock()) {
            self->refreshBelowBar();
            self->refreshSearch();
        }
    };

    const std::weak_ptr<SettingsStore> weakStore = settingsStore_;
    const std::weak_ptr<ProfileEditor> weakEditor = profileEditor_;
    controlItem_->profileIsAutomatic = [weakStore] {
        const auto store = weakStore.lock();
        return store && store->state().ruleTracker && store->state().ruleTracker->isApplying();
    };
    controlItem_->profileChoices = [weakEditor] {
        const auto editor = weakEditor.lock();
        return editor ? editor->choices() : std::vector<ProfileChoice>{};
    };
    controlItem_->onSwitchProfile = [weakEditor](core::Uuid id) {
        if (const auto editor = weakEditor.lock()) {
            editor->edit(true, "切り替え",
                         [id](core::StoredState& state) { return state.switchProfile(id); });
        }
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
