#include "MenuBarSystem/Login/LoginItem.h"
#include "Trayvane/App/AppDelegate.h"
#include "Trayvane/Common/WhileAlive.h"
#include "Trayvane/Coordinator/Coordinator.h"
#include "Trayvane/MainMenu/MainMenuActions.h"
#include "Trayvane/Settings/AppLookup.h"

#include <utility>

namespace pellacor::app {

using coordinator::Coordinator;

// The settings window over the four page models, and every way of opening
// it: the control item's settings and profile entries, the main menu's
// settings command and reopening the program. Its refresh rereads the items
// and the sections page's inputs; its showing rereads the login item and
// the layout order, which the user may have changed outside the program.
void AppDelegate::wireSettingsWindow() {
    const std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
    const std::weak_ptr<Coordinator> weakCoordinator = coordinator_;
    const auto& platform = environment_.platform;
    settings_.settingsWindow = SettingsWindowController::create(
        settings_.sectionsModel, settings_.profilesModel, settings_.rulesModel, settings_.general,
        SettingsWindowController::Services{
            .executor = environment_.executor,
            .now = {},
            .windows =
                {
                    .screens = platform.screens,
                    .input = platform.inputState,
                    .place = environment_.place,
                    .programWindows = platform.programWindows,
                },
            .pages =
                {
                    .icons = icons_,
                    .name =
                        [names = std::weak_ptr<AppLookup>(names_)](const std::string& bundleID) {
                            const auto lookup = names.lock();
                            return lookup ? lookup->name(bundleID) : bundleID;
                        },
                },
        });
    const std::weak_ptr<SettingsWindowController> weakWindow = settings_.settingsWindow;

    settings_.settingsWindow->onRefresh =
        whileAlive(weakSelf, [](AppDelegate& self) { self.refreshSettings(); });
    settings_.settingsWindow->onShow = [weakSelf, weakCoordinator, &executor = *environment_.executor] {
        if (const auto self = weakSelf.lock()) {
            self->settings_.general->setLoginStatus(self->loginItem_->status());
        }
        concurrency::spawn(executor, rereadLayoutOrder(weakCoordinator), "settings layout order");
    };
    statusItems_.controlItem->onManageProfiles =
        whileAlive(weakWindow, [](SettingsWindowController& window) { window.show(SettingsPage::sections); });
    statusItems_.controlItem->onOpenSettings =
        whileAlive(weakSelf, [](AppDelegate& self) { self.openSettings(); });
    mainMenu_->setDelegateAction("openSettings:",
                                 whileAlive(weakSelf, [](AppDelegate& self) { self.openSettings(); }));
}

void AppDelegate::openSettings() {
    if (settings_.settingsWindow) {
        settings_.settingsWindow->show();
    }
}

QWidget* AppDelegate::visibleSettingsWindow() const {
    QWidget* window = settings_.settingsWindow ? settings_.settingsWindow->window() : nullptr;
    return window != nullptr && window->isVisible() ? window : nullptr;
}

concurrency::Task<void> AppDelegate::rereadLayoutOrder(std::weak_ptr<Coordinator> weak) {
    auto coordinator = weak.lock();
    if (!coordinator) {
        co_return;
    }
    auto reread = coordinator->refreshLayoutOrder();
    coordinator.reset();
    co_await std::move(reread);
}

} // namespace pellacor::app
