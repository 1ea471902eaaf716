#include "Trayvane/App/StatusItemsComponent.h"

#include "MenuBarCore/Support/Log.h"
#include "MenuBarSystem/Input/InputClock.h"
#include "MenuBarSystem/Session/UserSwitch.h"
#include "Trayvane/App/SharedServices.h"
#include "Trayvane/App/StandInPress.h"
#include "Trayvane/Common/DefaultsKey.h"
#include "Trayvane/Common/UserDefaults.h"
#include "Trayvane/Common/WhileAlive.h"
#include "Trayvane/Coordinator/Coordinator.h"
#include "Trayvane/StatusItem/ControlItem.h"
#include "Trayvane/StatusItem/UserSwitcherItem.h"
#include "Trayvane/StatusItem/UserSwitcherStyleObserver.h"

#include <QMenu>
#include <string_view>
#include <utility>

namespace pellacor::app {

using coordinator::Coordinator;

namespace {

// The domain of the Control Center, where the system keeps its user switcher's settings.
constexpr std::string_view controlCenterDomain = "com.apple.controlcenter";
constexpr const char* controlCenterUserSwitcherKey = "UserSwitcher";
constexpr const char* realUserSwitcherPositionKey = "NSStatusItem Preferred Position UserSwitcher";

// What the Control Center's "UserSwitcher" bits mean for the menu bar.
constexpr std::int64_t userSwitcherShownBit = 2;
constexpr std::int64_t userSwitcherNotShownBit = 8;

concurrency::Task<std::optional<system::PressOutcome>> nothingPressed() {
    co_return std::nullopt;
}

// The switch to the login window, logged as it ends.
concurrency::Task<void> switchToLoginWindow(std::shared_ptr<system::UserSwitch> userSwitch) {
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

} // namespace

StatusItemsComponent::StatusItemsComponent(const ProgramEnvironment& environment,
                                           const SharedServices& services)
    : platform_(environment.platform), executor_(environment.executor), runMenu_(menuRunner(environment)),
      launchPreferences_(services.launchPreferences), revealPreferences_(services.revealPreferences) {
    controlItem_ = std::make_shared<ControlItem>(platform_.statusBar, platform_.inputState, runMenu_,
                                                 platform_.programWindows);
    if (environment.terminate) {
        controlItem_->terminate = environment.terminate;
    }
}

StatusItemsComponent::~StatusItemsComponent() = default;

void StatusItemsComponent::addStandIn(const std::shared_ptr<Coordinator>& coordinator) {
    // Without an engine there is no stand-in to show, only the control item's switch of users.
    if (coordinator) {
        buildUserSwitcherItem(coordinator);
        keepUserSwitcherAnswers(*coordinator);
        wireStandInPress(*coordinator);
    }
    offerUserSwitch();
}

// The item's look follows the system's style setting and the real
// switcher's width, as the coordinator measured it or the last run remembered.
void StatusItemsComponent::buildUserSwitcherItem(const std::weak_ptr<Coordinator>& weakCoordinator) {
    const UserDefaults global = UserDefaults::global(platform_.preferencesDomain, *platform_.fileManager);
    const UserDefaults controlCenter =
        UserDefaults::suite(platform_.preferencesDomain, *platform_.fileManager, controlCenterDomain);
    userSwitcherItem_ = std::make_shared<UserSwitcherItem>(
        UserSwitcherItem::Defaults{platform_.preferencesDomain, launchPreferences_.defaults.file().string()},
        [global, weakCoordinator, remembered = revealPreferences_] {
            const auto style = global.object(std::string(UserSwitcherStyleObserver::keyPath));
            std::optional<double> width;
            if (const auto coordinator = weakCoordinator.lock()) {
                width = coordinator->userSwitcherWidth();
            }
            if (!width) {
                width = remembered.realUserSwitcherWidth();
            }
            return UserSwitcherLook::from(style ? style->integerValue() : std::nullopt, width);
        },
        [controlCenter] { return controlCenter.number(realUserSwitcherPositionKey); }, platform_.statusBar,
        platform_.userAccount, runMenu_, platform_.programWindows);
}

std::optional<bool>
StatusItemsComponent::userSwitcherAnswer(std::optional<bool> remembered,
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

// What the coordinator learns of the real switcher is remembered for the
// next run, and a change of the system's style forgets the width it measured.
void StatusItemsComponent::keepUserSwitcherAnswers(Coordinator& coordinator) {
    const UserDefaults controlCenter =
        UserDefaults::currentHost(platform_.preferencesDomain, *platform_.fileManager, controlCenterDomain);
    coordinator.restoreUserSwitcherAnswer(userSwitcherAnswer(
        revealPreferences_.realUserSwitcherInBar(), controlCenter.object(controlCenterUserSwitcherKey)));

    const std::weak_ptr<Coordinator> weakCoordinator = coordinator.shared_from_this();
    const std::weak_ptr<UserSwitcherItem> weakItem = userSwitcherItem_;
    UserDefaults defaults = revealPreferences_.defaults;
    coordinator.onUserSwitcherAnswer = [defaults](bool inBar) mutable {
        defaults.setBool(DefaultsKey::realUserSwitcherInBar, inBar);
    };
    coordinator.onUserSwitcherWidth = [defaults, weakItem](double width) mutable {
        defaults.setNumber(DefaultsKey::realUserSwitcherWidth, width);
        if (const auto item = weakItem.lock()) {
            item->refreshLook();
        }
    };
    userSwitcherStyleObserver_ = std::make_unique<UserSwitcherStyleObserver>(
        platform_.preferencesObserving,
        UserDefaults::globalDomainFile(platform_.fileManager->homeDirectory()).string(), *executor_,
        [defaults, weakCoordinator, weakItem]() mutable {
            if (const auto coordinator = weakCoordinator.lock()) {
                coordinator->forgetUserSwitcherWidth();
            }
            defaults.remove(DefaultsKey::realUserSwitcherWidth);
            if (const auto item = weakItem.lock()) {
                item->refreshLook();
            }
        });
}

// The coordinator's callback shows or hides the item, and its press goes
// through one `StandInPress`. Its fallback menu opens only while a failed
// press still answers the user's click, which the input clock tells: any key
// or button pressed since means the user has moved on.
void StatusItemsComponent::wireStandInPress(Coordinator& coordinator) {
    const std::weak_ptr<Coordinator> weakCoordinator = coordinator.shared_from_this();
    const std::weak_ptr<UserSwitcherItem> weakItem = userSwitcherItem_;
    coordinator.onUserSwitcherStandIn =
        whileAlive(weakItem, [](UserSwitcherItem& item, bool shown) { item.setShown(shown); });
    standInPress_ = std::make_shared<StandInPress>(StandInPress::Services{
        .executor = executor_,
        .now = concurrency::nowOf(*executor_),
        .secondsSinceLastPress =
            [input = platform_.inputState] {
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
    userSwitcherItem_->onPress = [press = standInPress_] { press->pressed(); };
}

// Switching users is offered where the system's component for it is there.
void StatusItemsComponent::offerUserSwitch() {
    userSwitch_ = std::make_shared<system::UserSwitch>(
        platform_.runtimeLoader,
        std::make_shared<concurrency::SerialQueue>(system::UserSwitch::queueLabel()));
    const bool available = userSwitch_->isAvailable();
    controlItem_->userSwitchAvailable = available;
    if (userSwitcherItem_) {
        userSwitcherItem_->userSwitchAvailable = available;
    }
    if (!available) {
        core::Log::app().error("利用者を切り替える部品が macOS に見つかりません（メニューに出しません）");
    }
    const auto switchUser = [userSwitch = userSwitch_, executor = executor_] {
        concurrency::spawn(*executor, switchToLoginWindow(userSwitch), "switch user");
    };
    controlItem_->onSwitchUser = switchUser;
    if (userSwitcherItem_) {
        userSwitcherItem_->onSwitchUser = switchUser;
    }
}

StatusItemMenu::Runner StatusItemsComponent::menuRunner(const ProgramEnvironment& environment) {
    return [screens = environment.platform.screens, place = environment.place](QMenu& menu,
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
