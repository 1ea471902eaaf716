#include "Trayvane/App/AppDelegate.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/ManualTimerQueue.h"
#include "Concurrency/Qt/QtExecutor.h"
#include "DemoDesktop/OffscreenApplication.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarSystem/Support/MainQueue.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Platform/Simulated/SimulatedProgramStatusItem.h"
#include "ProgramOnDesktop.h"
#include "ProgramRun.h"
#include "Support/CoordinatorProbe.h"
#include "Support/DesktopTime.h"
#include "Support/LogCapture.h"
#include "Support/TempDir.h"
#include "Support/TrackedServices.h"
#include "Trayvane/App/EntryPoint.h"
#include "Trayvane/Common/DefaultsKey.h"
#include "Trayvane/Common/UserDefaults.h"
#include "Trayvane/Coordinator/Coordinator.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace std::chrono_literals;
using app::AppDelegate;
using coordinator::PauseReason;
using core::MenuBarState;
using platform::InputState;
using platform::StatusItem;
using Outcome = pellacor::testing::DesktopTime::Outcome;

namespace {

using pellacor::testing::Computer;
using pellacor::testing::controlShift;
using pellacor::testing::hiddenApp;
using pellacor::testing::ProgramRun;
using pellacor::testing::revealKey;
using pellacor::testing::searchKey;

// -- The entry point ---------------------------------------------------------------

TEST(EntryPointTest, ShiftOrOptionHeldAtLaunchPausesControlAndCommandDoNot) {
    const struct {
        std::uint64_t flags;
        bool held;
    } cases[] = {
        {0, false},
        {InputState::shiftFlag, true},
        {InputState::optionFlag, true},
        {InputState::shiftFlag | InputState::optionFlag, true},
        {InputState::controlFlag, false},
        {InputState::commandFlag, false},
        {InputState::controlFlag | InputState::commandFlag | InputState::capsLockFlag, false},
        {InputState::commandFlag | InputState::optionFlag, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app::EntryPoint::modifierHeld(c.flags), c.held) << std::hex << c.flags;
    }
}

TEST(EntryPointTest, StartsOnceTheLoopRunsAndTerminatesWhenTheApplicationQuits) {
    pellacor::testing::offscreenApplication();
    const Computer computer;
    concurrency::QtExecutor executor;
    platform::Scenario scenario = computer.scenario();
    scenario.launchModifierFlags = InputState::optionFlag;
    const auto simulated = std::make_shared<platform::SimulatedPlatform>(scenario);
    simulated->setMainQueue(std::make_shared<system::MainQueue>(executor));
    const pellacor::testing::LogCapture log;
    AppDelegate::Environment environment;
    environment.executor = &executor;
    environment.platform = simulated->services();
    environment.bundleURL = simulated->desktop()->ownBundlePath();
    environment.applicationsFolder = simulated->desktop()->applicationsFolder();
    environment.stateFile = computer.folder / "state.json";
    environment.startWatchdog = false;
    environment.iconRuns = pellacor::testing::inlineRuns();

    std::vector<std::string> seenWhileRunning;
    // Due after the entry point's own first turn: start-up has run by then.
    QTimer::singleShot(20, qApp, [&] {
        seenWhileRunning = log.messages("app");
        QCoreApplication::quit();
    });
    EXPECT_EQ(app::EntryPoint::run(std::move(environment)), 0);
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed()) << "an accessory: no window keeps it or ends it";
    QApplication::setQuitOnLastWindowClosed(true);

    ASSERT_FALSE(seenWhileRunning.empty());
    EXPECT_EQ(seenWhileRunning.front().rfind("起動しました（", 0), 0U) << seenWhileRunning.front();
    EXPECT_TRUE(std::find(seenWhileRunning.begin(), seenWhileRunning.end(), "状態 starting → paused") !=
                seenWhileRunning.end())
        << "Option held at launch";
    EXPECT_EQ(log.messages("app").back(), "終了します");
    EXPECT_TRUE(simulated->hotkeyManager()->registeredHotKeys().empty());
}

// -- Start-up --------------------------------------------------------------------

TEST(AppDelegateTest, AfterStartUpTheBarIsCollapsedAndClicksAndTheHotKeyToggleIt) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    const pellacor::testing::LogCapture log;
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    EXPECT_FALSE(run.onBar(hiddenApp)) << "a first run hides what it has not seen before";
    EXPECT_TRUE(run.onBar(std::string(core::bundleIdentifier)));
    EXPECT_EQ(delegate.statusItems().controlItem()->state(), MenuBarState::collapsed)
        << "the control item follows";
    EXPECT_EQ(log.lines("app").front(), "default: 起動しました（バージョン 0.1.0・macOS 15.1.0）");

    run.clickControl();
    ASSERT_TRUE(run.reaches(MenuBarState::revealed));
    ASSERT_TRUE(run.time->runUntil([&] { return run.onBar(hiddenApp); }, 5s) == Outcome::done);
    EXPECT_EQ(delegate.statusItems().controlItem()->state(), MenuBarState::revealed);
    run.clickControl();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    run.clickControl(InputState::shiftFlag);
    ASSERT_TRUE(run.reaches(MenuBarState::revealedAll));
    run.clickControl();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));

    run.pressKey(revealKey);
    EXPECT_EQ(run.state(), MenuBarState::revealed);
    run.pressKey(revealKey);
    EXPECT_EQ(run.state(), MenuBarState::collapsed);

    // Revealed, with the pointer away from the bar: collapsed again after 10 s.
    run.simulated->input()->moveMouse({300, 300});
    run.pressKey(revealKey);
    ASSERT_EQ(run.state(), MenuBarState::revealed);
    EXPECT_EQ(run.time->runFor(9s), Outcome::done);
    EXPECT_EQ(run.state(), MenuBarState::revealed);
    EXPECT_EQ(run.time->runFor(2s), Outcome::done);
    EXPECT_EQ(run.state(), MenuBarState::collapsed);
}

TEST(AppDelegateTest, TheLaunchDecidesWhetherHidingStartsPaused) {
    using Kind = PauseReason::Kind;
    const struct {
        const char* name;
        std::optional<std::string> confirmed;
        std::uint64_t modifiers;
        std::optional<Kind> paused;
    } cases[] = {
        {"a first run", std::nullopt, 0, std::nullopt},
        {"a first run with Shift", std::nullopt, InputState::shiftFlag, Kind::optionKeyAtLaunch},
        {"the same system with Option", "15.1.0", InputState::optionFlag, Kind::optionKeyAtLaunch},
        {"the same system with Control", "15.1.0", InputState::controlFlag, std::nullopt},
        {"another system", "15.0.2", 0, Kind::osVersionChanged},
        {"another system with Shift", "15.0.2", InputState::shiftFlag, Kind::osVersionChanged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Computer computer;
        platform::Scenario scenario = computer.scenario();
        scenario.launchModifierFlags = c.modifiers;
        ProgramRun run(computer, scenario);
        if (c.confirmed) {
            computer.defaults(*run.simulated).setString(app::DefaultsKey::confirmedOSVersion, *c.confirmed);
        }
        auto& delegate = run.launch();
        EXPECT_EQ(delegate.modifierAtLaunch(), c.modifiers != 0 && c.modifiers != InputState::controlFlag);
        if (c.paused) {
            EXPECT_EQ(run.coordinator().baseState(), MenuBarState::paused);
            ASSERT_TRUE(run.coordinator().currentPauseReason());
            EXPECT_EQ(run.coordinator().currentPauseReason()->kind(), *c.paused);
            EXPECT_EQ(delegate.statusItems().controlItem()->pauseReason(),
                      run.coordinator().currentPauseReason())
                << "the control item shows why";
            EXPECT_EQ(run.time->runFor(5s), Outcome::done);
            EXPECT_TRUE(run.onBar(hiddenApp)) << "nothing is hidden while paused";
        } else {
            EXPECT_TRUE(run.reaches(MenuBarState::collapsed));
        }
    }
}

TEST(AppDelegateTest, AConfirmedRestrictionIsRememberedSoTheNextLaunchUnderTheSameSystemHides) {
    const Computer computer;
    {
        ProgramRun first(computer, computer.scenario());
        first.launch();
        ASSERT_TRUE(first.reaches(MenuBarState::collapsed));
        EXPECT_EQ(computer.defaults(*first.simulated).string(app::DefaultsKey::confirmedOSVersion),
                  std::optional<std::string>("15.1.0"));
    }
    {
        ProgramRun again(computer, computer.scenario());
        again.launch();
        EXPECT_EQ(again.coordinator().baseState(), MenuBarState::starting) << "not paused";
        EXPECT_TRUE(again.reaches(MenuBarState::collapsed));
    }
    ProgramRun updated(computer, computer.scenario("15.2"));
    const pellacor::testing::LogCapture log;
    updated.launch();
    ASSERT_TRUE(updated.coordinator().currentPauseReason());
    EXPECT_EQ(updated.coordinator().currentPauseReason()->kind(), PauseReason::Kind::osVersionChanged);
    EXPECT_TRUE(
        log.contains("app", "macOS のバージョンが変わりました（15.1.0 → 15.2.0）。一時停止で起動します"));
}

TEST(AppDelegateTest, TheHealthCheckAndTheLoginItemDefaultLookInTheDesktopsOwnApplicationsFolder) {
    const struct {
        const char* name;
        bool insideApplications;
    } cases[] = {{"in the simulated disk's Applications folder", true}, {"elsewhere on it", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Computer computer;
        ProgramRun run(computer, computer.scenario(), [&](AppDelegate::Environment& environment) {
            if (!c.insideApplications) {
                environment.bundleURL = computer.folder / "disk/Users/aoi/Downloads/Pellacor.app";
            }
        });
        run.launch();
        const auto loginStatus = run.simulated->loginItemService()->mainAppStatus();
        if (c.insideApplications) {
            EXPECT_TRUE(run.reaches(MenuBarState::collapsed));
            EXPECT_EQ(loginStatus, platform::LoginItemService::Status::enabled)
                << "turned on once by default";
            EXPECT_EQ(computer.defaults(*run.simulated).boolValue(app::DefaultsKey::loginItemDefaultApplied),
                      std::optional<bool>(true));
        } else {
            ASSERT_TRUE(
                run.time->runUntil([&] { return run.coordinator().baseState() == MenuBarState::paused; },
                                   30s) == Outcome::done);
            const auto& reason = run.coordinator().currentPauseReason();
            ASSERT_TRUE(reason && reason->kind() == PauseReason::Kind::healthProblems);
            EXPECT_EQ(reason->problems().front(), system::HealthProblem::notInApplicationsFolder);
            EXPECT_EQ(loginStatus, platform::LoginItemService::Status::notRegistered);
            EXPECT_FALSE(
                computer.defaults(*run.simulated).boolValue(app::DefaultsKey::loginItemDefaultApplied));
        }
    }
}

TEST(AppDelegateTest, WithoutAnIdentifierFromTheMainBundleTheBuiltInOneIsUsedEverywhere) {
    const struct {
        std::optional<std::string> reported;
        std::string coordinatorUses;
    } cases[] = {
        {std::nullopt, std::string(core::bundleIdentifier)},
        {std::string(core::bundleIdentifier) + "\n", std::string(core::bundleIdentifier) + "\n"},
    };
    for (const auto& c : cases) {
        const Computer computer;
        ProgramRun run(computer, computer.scenario(), [&](AppDelegate::Environment& environment) {
            environment.bundleIdentifier = c.reported;
        });
        run.launch();
        EXPECT_EQ(run.coordinator().ownBundleID(), c.coordinatorUses) << "as given, untrimmed";
        EXPECT_EQ(run.delegate->engine().composition().inputs().selfBundleID, c.coordinatorUses)
            << "the visibility controller's";
        EXPECT_EQ(run.delegate->engine().composition().health->selfBundleID(),
                  std::string(core::bundleIdentifier))
            << "the health check trims it";
    }
}

TEST(AppDelegateTest, TheHoverSensorGetsTheControlItemsFrameInScreenCoordinates) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    computer.defaults(*run.simulated).setBool(app::DefaultsKey::hoverRevealEnabled, true);
    run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    EXPECT_TRUE(run.coordinator().hoverRevealEnabled);
    // The watch sees the pointer away first; then it comes to rest on the
    // middle of the button's window (y up).
    run.simulated->input()->moveMouse({300, 300});
    EXPECT_EQ(run.time->runFor(1s), Outcome::done);
    ASSERT_EQ(run.state(), MenuBarState::collapsed);
    const auto frame = run.delegate->statusItems().controlItem()->statusItem()->buttonWindow()->frame;
    run.simulated->input()->moveMouse({frame.midX(), frame.midY()});
    EXPECT_TRUE(run.reaches(MenuBarState::revealed, 2s)) << "a rest on the control item reveals";
}

TEST(AppDelegateTest, TheSwitchesReadAtLaunchReachTheCoordinator) {
    const struct {
        const char* name;
        std::function<void(app::UserDefaults&)> stored;
        bool hover, belowBar, standIn, dragSort, notch;
    } cases[] = {
        {"a first run", [](app::UserDefaults&) {}, false, false, true, true, true},
        {"every switch turned round",
         [](app::UserDefaults& d) {
             d.setBool(app::DefaultsKey::hoverRevealEnabled, true);
             d.setString(app::DefaultsKey::belowBarEnabled, "YES");
             d.setBool(app::DefaultsKey::userSwitcherStandInEnabled, false);
             d.setBool(app::DefaultsKey::dragSortEnabled, false);
             d.setBool(app::DefaultsKey::notchOverflowEnabled, false);
         },
         true, true, false, false, false},
        {"switches of another type",
         [](app::UserDefaults& d) {
             d.setNumber(app::DefaultsKey::hoverRevealEnabled, 1);
             d.setString(app::DefaultsKey::dragSortEnabled, "NO");
         },
         true, false, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Computer computer;
        ProgramRun run(computer, computer.scenario());
        auto defaults = computer.defaults(*run.simulated);
        c.stored(defaults);
        run.launch();
        const auto& coordinator = run.coordinator();
        EXPECT_EQ(coordinator.hoverRevealEnabled, c.hover);
        EXPECT_EQ(coordinator.belowBarEnabled, c.belowBar);
        EXPECT_EQ(coordinator.userSwitcherStandInEnabled, c.standIn);
        EXPECT_EQ(coordinator.dragSortEnabled, c.dragSort);
        EXPECT_EQ(coordinator.notchOverflowEnabled, c.notch);
    }
}

TEST(AppDelegateTest, TheUserSwitcherAnswerComesFromMemoryElseFromTheControlCentre) {
    using platform::PropertyListValue;
    const struct {
        std::optional<bool> remembered;
        std::optional<PropertyListValue> setting;
        std::optional<bool> answer;
    } cases[] = {
        {true, PropertyListValue::integer(8), true},
        {false, PropertyListValue::integer(2), false},
        {std::nullopt, PropertyListValue::integer(2), true},
        {std::nullopt, PropertyListValue::integer(8), false},
        {std::nullopt, PropertyListValue::integer(10), true},
        {std::nullopt, PropertyListValue::integer(16), std::nullopt},
        {std::nullopt, PropertyListValue(std::string("2")), std::nullopt},
        {std::nullopt, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app::StatusItemsComponent::userSwitcherAnswer(c.remembered, c.setting), c.answer);
    }
}

TEST(AppDelegateTest, TheStandInStartsFromTheControlCentresCurrentHostSetting) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    app::UserDefaults::currentHost(run.simulated->preferencesDomain(), *run.simulated->fileManager(),
                                   "com.apple.controlcenter")
        .set("UserSwitcher", platform::PropertyListValue::integer(8));
    run.launch();
    EXPECT_EQ(coordinator::CoordinatorProbe::realUserSwitcherInBar(run.coordinator()),
              std::optional<bool>(false));
}

// -- Hot keys --------------------------------------------------------------------

TEST(AppDelegateTest, AHotKeyThatCannotBeHadIsLoggedAndTheRevealKeysProblemIsShown) {
    const struct {
        const char* name;
        std::function<void(platform::SimulatedHotkeyManager&)> arrange;
        std::optional<std::string> note;
        std::vector<std::string> errors;
    } cases[] = {
        {"both registered", [](platform::SimulatedHotkeyManager&) {}, std::nullopt, {}},
        {"reveal taken by a system shortcut",
         [](platform::SimulatedHotkeyManager& m) {
             m.addSymbolicHotKey({revealKey, controlShift, true});
         },
         "⌃⇧B は macOS のショートカットと重なっています",
         {"ホットキー ⌃⇧B は macOS のショートカットが使っています"}},
        {"a disabled system shortcut takes nothing",
         [](platform::SimulatedHotkeyManager& m) {
             m.addSymbolicHotKey({revealKey, controlShift, false});
         },
         std::nullopt,
         {}},
        {"reveal held by another application",
         [](platform::SimulatedHotkeyManager& m) { m.occupyKey(revealKey, controlShift); },
         "⌃⇧B を登録できませんでした（ほかのアプリが使っているかもしれません）",
         // The status the hot-key manager answers for a key another application holds.
         {"ホットキー ⌃⇧B を登録できませんでした（-9878）"}},
        {"search held by another application",
         [](platform::SimulatedHotkeyManager& m) { m.occupyKey(searchKey, controlShift); },
         std::nullopt,
         {"ホットキー ⌃⇧F を登録できませんでした（rejected(-9878)）"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Computer computer;
        ProgramRun run(computer, computer.scenario());
        c.arrange(*run.simulated->hotkeyManager());
        const pellacor::testing::LogCapture log;
        auto& delegate = run.launch();
        EXPECT_EQ(delegate.statusItems().controlItem()->hotkeyNote, c.note);
        std::vector<std::string> errors;
        for (const auto& record : log.records()) {
            if (record.level == core::LogLevel::error && record.message.rfind("ホットキー", 0) == 0) {
                errors.push_back(record.message);
            }
        }
        EXPECT_EQ(errors, c.errors);
    }
}

TEST(AppDelegateTest, TheSearchHotKeyOpensThePanelWithEveryItemAndClosesIt) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    const pellacor::testing::LogCapture log;
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    run.pressKey(searchKey);
    ASSERT_TRUE(delegate.panels().search().isOpen());
    EXPECT_FALSE(delegate.panels().search().model().candidates().empty());
    run.pressKey(searchKey);
    EXPECT_FALSE(delegate.panels().search().isOpen());
    EXPECT_TRUE(log.contains("app", "検索の窓を閉じました（ホットキー）"));
}

// -- Termination and reopening ---------------------------------------------------------

TEST(AppDelegateTest, TerminationLiftsTheRestrictionAndUnregistersTheHotKeysInOrder) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    run.pressKey(searchKey);
    ASSERT_TRUE(delegate.panels().search().isOpen());
    ASSERT_TRUE(run.simulated->desktop()->restriction());
    ASSERT_EQ(run.simulated->hotkeyManager()->registeredHotKeys().size(), 2U);

    const pellacor::testing::LogCapture log;
    delegate.applicationWillTerminate();
    run.time->settle();
    EXPECT_FALSE(run.simulated->desktop()->restriction()) << "lifted";
    EXPECT_TRUE(run.simulated->hotkeyManager()->registeredHotKeys().empty());
    EXPECT_FALSE(delegate.panels().search().isOpen());
    const auto lines = log.messages("app");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "検索の窓を閉じました（司令塔）") << "the panel first";
    EXPECT_EQ(lines.back(), "終了します");
    EXPECT_TRUE(run.coordinator().hasShutDown());

    // Whatever still reaches the program afterwards does nothing.
    run.clickControl();
    run.pressKey(revealKey);
    EXPECT_EQ(run.time->runFor(5s), Outcome::done);
    EXPECT_FALSE(run.simulated->desktop()->restriction());
    EXPECT_TRUE(run.onBar(hiddenApp));
}

TEST(AppDelegateTest, NoClosureKeepsTheCoordinatorOrTheControlItemAlive) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    ASSERT_TRUE(run.coordinator().presser) << "assigned after construction";
    const std::weak_ptr<coordinator::Coordinator> coordinator = run.delegate->engine().coordinator();
    const std::weak_ptr<app::ControlItem> control = run.delegate->statusItems().controlItem();
    run.delegate->applicationWillTerminate();
    run.time->settle();
    run.delegate.reset();
    run.time->settle();
    EXPECT_TRUE(coordinator.expired()) << "the presser holds it weakly, and so does every closure";
    EXPECT_TRUE(control.expired());
}

TEST(AppDelegateTest, AReopenBeforeTheSettingsWindowExistsOnlyLogs) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    const pellacor::testing::LogCapture log;
    EXPECT_FALSE(run.launch().applicationShouldHandleReopen(false));
    EXPECT_TRUE(log.contains("app", "もう一度開かれたので、設定の窓を出します"));
    EXPECT_EQ(run.quits, 0);
}

TEST(AppDelegateTest, TheControlItemsQuitEndsTheApplicationThroughItsOwnTermination) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    auto& delegate = run.launch();
    delegate.statusItems().controlItem()->terminate();
    EXPECT_EQ(run.quits, 1);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
