#pragma once

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/ManualTimerQueue.h"
#include "DemoDesktop/OffscreenApplication.h"
#include "MenuBarCore/Model/MenuBarState.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarSystem/Support/MainQueue.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Platform/Simulated/SimulatedProgramStatusItem.h"
#include "ProgramOnDesktop.h"
#include "Support/DesktopTime.h"
#include "Support/TempDir.h"
#include "Support/TrackedServices.h"
#include "Trayvane/App/AppDelegate.h"
#include "Trayvane/App/EngineComponent.h"
#include "Trayvane/App/EntryPoint.h"
#include "Trayvane/App/HotkeysComponent.h"
#include "Trayvane/App/IntegrationsComponent.h"
#include "Trayvane/App/PanelsComponent.h"
#include "Trayvane/App/RulesComponent.h"
#include "Trayvane/App/SettingsComponent.h"
#include "Trayvane/App/StandInPress.h"
#include "Trayvane/App/StatusItemsComponent.h"
#include "Trayvane/Common/IconStore.h"
#include "Trayvane/Common/UserDefaults.h"
#include "Trayvane/Composition/CoordinatorComposition.h"
#include "Trayvane/Coordinator/Coordinator.h"
#include "Trayvane/Integrations/ExternalControl.h"
#include "Trayvane/Integrations/RuleRunner.h"
#include "Trayvane/MainMenu/MainMenuActions.h"
#include "Trayvane/Onboarding/PermissionGuideWindowController.h"
#include "Trayvane/Panels/BelowBarController.h"
#include "Trayvane/Panels/SearchController.h"
#include "Trayvane/Settings/AppLookup.h"
#include "Trayvane/Settings/GeneralModel.h"
#include "Trayvane/Settings/ProfileEditor.h"
#include "Trayvane/Settings/ProfilesModel.h"
#include "Trayvane/Settings/RulesModel.h"
#include "Trayvane/Settings/SectionsModel.h"
#include "Trayvane/Settings/SettingsStore.h"
#include "Trayvane/Settings/SettingsWindowController.h"
#include "Trayvane/SimulatedEnvironment.h"
#include "Trayvane/StatusItem/ControlItem.h"
#include "Trayvane/StatusItem/UserSwitcherItem.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace pellacor::testing {

using namespace std::chrono_literals;

inline constexpr const char* hiddenApp = "com.example.fernlight";
// The reveal hot key, ⌃⇧B, as the hot-key manager knows it; and the search hot key, ⌃⇧F.
inline constexpr std::uint32_t revealKey = 11;
inline constexpr std::uint32_t searchKey = 3;
inline constexpr std::uint32_t controlShift = 0x1200;

// The simulated computer the program runs on, kept in a temporary folder so
// that a second launch finds what the first one left: the home folder with
// the program's user defaults, the disk, the state document.
struct Computer {
    TempDir folder;

    // The default desktop on this computer, under a system version.
    platform::Scenario scenario(std::string osVersion = "15.1") const {
        platform::Scenario scenario = platform::Scenario::defaultScenario();
        scenario.home.folder = folder / "home";
        scenario.root = folder / "disk";
        std::filesystem::create_directories(scenario.home.folder);
        std::filesystem::create_directories(scenario.root / "Applications");
        auto& version = scenario.system.version;
        const auto dot = osVersion.find('.');
        version = {std::stoi(osVersion.substr(0, dot)), std::stoi(osVersion.substr(dot + 1)), 0};
        return scenario;
    }

    // The program's own user defaults on this computer.
    app::UserDefaults defaults(const platform::SimulatedPlatform& simulated) const {
        return app::UserDefaults::standard(simulated.preferencesDomain(), *simulated.fileManager());
    }
};

// One launch of the program on the computer: the platform over its scenario,
// the application delegate as the entry point makes it, and virtual time.
struct ProgramRun {
    concurrency::ManualExecutor executor;
    std::shared_ptr<concurrency::ManualTimerQueue> clock =
        std::make_shared<concurrency::ManualTimerQueue>("drag-watcher");
    std::shared_ptr<platform::SimulatedPlatform> simulated;
    std::shared_ptr<OffMainCalls> calls = std::make_shared<OffMainCalls>();
    std::unique_ptr<DesktopTime> time;
    app::AppDelegate::Environment environment;
    int quits = 0;
    std::shared_ptr<app::AppDelegate> delegate;

    ProgramRun(const Computer& computer, platform::Scenario scenario,
               const std::function<void(app::AppDelegate::Environment&)>& adjust = {}) {
        offscreenApplication();
        simulated = std::make_shared<platform::SimulatedPlatform>(scenario);
        environment = app::simulatedEnvironment(executor, *simulated);
        time = std::make_unique<DesktopTime>(executor, clock, *simulated, calls);
        environment.stateFile = computer.folder / "data/Trayvane/state.json";
        environment.terminate = [this] { ++quits; };
        environment.startWatchdog = false;
        environment.iconRuns = inlineRuns();
        auto queues = app::CoordinatorComposition::Queues::make();
        queues.dragWatcher = clock;
        environment.presserRuns = trackedRuns(queues.presser, calls);
        environment.queues = std::move(queues);
        environment.composed = [calls = calls](app::CoordinatorComposition& composition) {
            auto& services = composition.services;
            services.reader = std::make_shared<TrackedItemReader>(services.reader, calls);
            services.reorderer = std::make_shared<TrackedItemReorderer>(services.reorderer, calls);
            services.hover = std::make_shared<TrackedHoverSensor>(services.hover, calls);
        };
        if (adjust) {
            adjust(environment);
        }
    }

    ~ProgramRun() {
        if (delegate) {
            delegate->applicationWillTerminate();
            time->settle();
            delegate.reset();
        }
        time->settle();
    }

    // Makes the delegate as the entry point does, with the modifier keys the
    // simulated user holds now, and runs start-up.
    app::AppDelegate& launch() {
        delegate = app::AppDelegate::create(
            environment, app::EntryPoint::modifierHeld(simulated->input()->modifierFlags()));
        delegate->applicationDidFinishLaunching();
        return *delegate;
    }

    coordinator::Coordinator& coordinator() const { return *delegate->engine().coordinator(); }
    core::MenuBarState state() const { return coordinator().effectiveState(); }
    bool reaches(core::MenuBarState wanted, concurrency::Duration limit = 30s) {
        return time->runUntil([&] { return state() == wanted; }, limit) == DesktopTime::Outcome::done;
    }
    bool onBar(const std::string& bundleID) const {
        const auto placed = simulated->desktop()->menuBarItems();
        return std::any_of(placed.begin(), placed.end(),
                           [&](const auto& item) { return item.ownerBundleIdentifier == bundleID; });
    }
    // A click on the control item as the bar delivers it, with these modifier keys held.
    void clickControl(std::uint64_t modifiers = 0) {
        auto& item = dynamic_cast<platform::SimulatedProgramStatusItem&>(
            *delegate->statusItems().controlItem()->statusItem());
        simulated->input()->setModifierFlags(modifiers);
        item.click({platform::StatusItem::ClickEvent::Kind::leftMouseUp, modifiers});
        simulated->input()->setModifierFlags(0);
        time->settle();
    }
    void pressKey(std::uint32_t keyCode) {
        simulated->hotkeyManager()->pressKey(keyCode, controlShift);
        time->settle();
    }
};

} // namespace pellacor::testing
