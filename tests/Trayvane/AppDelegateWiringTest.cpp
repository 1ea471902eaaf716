#include "MenuBarCore/Planning/OrderPlanner.h"
#include "ProgramRun.h"
#include "Support/CoordinatorProbe.h"
#include "Support/LogCapture.h"
#include "Trayvane/Common/DefaultsKey.h"
#include "Trayvane/Help/AboutWindow.h"
#include "Trayvane/Help/HelpWindow.h"
#include "Trayvane/MainMenu/MainMenuActions.h"
#include "Trayvane/Onboarding/PermissionGuideView.h"
#include "Trayvane/Panels/BelowBarPanel.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QTimer>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace std::chrono_literals;
using app::AppDelegate;
using coordinator::Coordinator;
using coordinator::CoordinatorProbe;
using core::AppKey;
using core::MenuBarState;
using pellacor::testing::Computer;
using pellacor::testing::hiddenApp;
using pellacor::testing::ProgramRun;
using pellacor::testing::searchKey;
using Outcome = pellacor::testing::DesktopTime::Outcome;

namespace {

constexpr const char* shownLeft = "com.example.zephyrin";
constexpr const char* shownRight = "com.example.lanternmeter";

bool guideShown(const AppDelegate& delegate) {
    return delegate.panels().permissionGuide().window() != nullptr &&
           delegate.panels().permissionGuide().window()->isVisible();
}

// The latest press the desktop saw of an application's item, with its menu.
std::optional<platform::SimulatedDesktop::Press> lastPressOf(const ProgramRun& run,
                                                             const std::string& bundleID) {
    const auto desktop = run.simulated->desktop();
    std::optional<platform::SimulatedDesktop::Press> found;
    for (const auto& press : desktop->presses()) {
        const auto app = desktop->application(press.processIdentifier);
        if (app && app->bundleIdentifier == bundleID) {
            found = press;
        }
    }
    return found;
}

// The sections page's reorder: two applications shown, the one the bar has
// second put first; the bar can follow it only through the layout folder.
void reorderTwoShown(const AppDelegate& delegate) {
    core::Profile profile = delegate.settings().sectionsModel()->profile();
    profile.assign(AppKey(shownLeft), core::Section::shown);
    profile.assign(AppKey(shownRight), core::Section::shown);
    profile.order = {AppKey(shownLeft), AppKey(shownRight)};
    delegate.settings().sectionsModel()->onReorder(profile);
}

// A launch with the below-bar switch on, collapsed.
struct BelowBarRun {
    Computer computer;
    ProgramRun run{computer, computer.scenario()};

    BelowBarRun() {
        computer.defaults(*run.simulated).setBool(app::DefaultsKey::belowBarEnabled, true);
        run.launch();
        EXPECT_TRUE(run.reaches(MenuBarState::collapsed));
    }
    AppDelegate& delegate() const { return *run.delegate; }
};

} // namespace

// -- Feature switches ----------------------------------------------------------------

TEST(AppDelegateWiringTest, EverySwitchIsWrittenShownAndLoggedAndReachesTheCoordinator) {
    const struct {
        const char* name;
        std::function<void(bool)> app::GeneralModel::*closure;
        const char* key;
        bool (app::GeneralModel::*shown)() const;
        bool Coordinator::*field;
        const char* line;
    } cases[] = {
        {"hover", &app::GeneralModel::onSetHoverReveal, app::DefaultsKey::hoverRevealEnabled,
         &app::GeneralModel::hoverReveal, &Coordinator::hoverRevealEnabled,
         "マウスを乗せて出すを{}にしました"},
        {"below bar", &app::GeneralModel::onSetBelowBar, app::DefaultsKey::belowBarEnabled,
         &app::GeneralModel::belowBar, &Coordinator::belowBarEnabled, "下の段を{}にしました"},
        {"stand-in", &app::GeneralModel::onSetUserSwitcherStandIn,
         app::DefaultsKey::userSwitcherStandInEnabled, &app::GeneralModel::userSwitcherStandIn,
         &Coordinator::userSwitcherStandInEnabled, "利用者の切り替えの代わりのアイコンを{}にしました"},
        {"drag sort", &app::GeneralModel::onSetDragSort, app::DefaultsKey::dragSortEnabled,
         &app::GeneralModel::dragSort, &Coordinator::dragSortEnabled,
         "⌘ドラッグで区画を変えるを{}にしました"},
        {"notch", &app::GeneralModel::onSetNotchOverflow, app::DefaultsKey::notchOverflowEnabled,
         &app::GeneralModel::notchOverflow, &Coordinator::notchOverflowEnabled,
         "入りきらないアプリを下の段へを{}にしました"},
    };
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    auto& general = *delegate.settings().general();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool on : {true, false, false}) {
            const pellacor::testing::LogCapture log;
            int told = 0;
            auto subscription = general.observers.observe([&](app::GeneralModel::Property) { ++told; });
            const bool before = (general.*c.shown)();
            (general.*c.closure)(on);
            subscription.reset();
            EXPECT_EQ(computer.defaults(*run.simulated).boolValue(c.key), std::optional(on)) << "written";
            EXPECT_EQ((general.*c.shown)(), on);
            EXPECT_EQ(told, before != on ? 1 : 0) << "the page is told only of a change";
            EXPECT_EQ(run.coordinator().*c.field, on);
            EXPECT_TRUE(log.contains("app", fmt::format(fmt::runtime(c.line), on ? "入" : "切")))
                << "logged, changed or not";
        }
    }
}

TEST(AppDelegateWiringTest, ASwitchSetToTheValueItHoldsCallsNoReaction) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    auto& coordinator = run.coordinator();
    ASSERT_TRUE(CoordinatorProbe::isDragWatchRunning(coordinator));

    // The field turned off behind the switch's back, its reaction not run:
    // the watch still runs. Switching it off now changes no field, so the
    // watch is not stopped either; switching it on and off again does.
    coordinator.dragSortEnabled = false;
    delegate.settings().general()->onSetDragSort(false);
    run.time->settle();
    EXPECT_TRUE(CoordinatorProbe::isDragWatchRunning(coordinator)) << "no reaction for an unchanged field";
    EXPECT_EQ(computer.defaults(*run.simulated).boolValue(app::DefaultsKey::dragSortEnabled),
              std::optional(false));
    delegate.settings().general()->onSetDragSort(true);
    delegate.settings().general()->onSetDragSort(false);
    run.time->settle();
    EXPECT_FALSE(CoordinatorProbe::isDragWatchRunning(coordinator));
}

TEST(AppDelegateWiringTest, SwitchingTheBelowBarOffWhileShownClosesThePanelBeforeTheNotchIsJudged) {
    BelowBarRun launched;
    auto& run = launched.run;
    auto& delegate = launched.delegate();
    // Every application shown, more than fit right of the laptop's camera
    // housing: the notch handling holds some off the bar.
    core::Profile crowded = run.coordinator().currentProfile();
    for (const auto& bundleID : run.coordinator().runningBundleIDs()) {
        if (!AppKey(bundleID).isApple() && bundleID != run.coordinator().ownBundleID()) {
            crowded.assign(AppKey(bundleID), core::Section::shown);
        }
    }
    run.coordinator().setProfile(crowded);
    ASSERT_EQ(
        run.time->runUntil([&] { return !run.coordinator().currentNotchState().overflow.empty(); }, 60s),
        pellacor::testing::DesktopTime::Outcome::done);
    run.clickControl();
    ASSERT_TRUE(delegate.panels().belowBar().isOpen()) << "a click opens the panel";
    ASSERT_TRUE(run.coordinator().belowBarShown());

    // With the panel off the notch handling ends and brings them back, which
    // the hook sees.
    std::vector<std::string> seen;
    run.coordinator().onNotchOverflowChange = [&](const std::set<AppKey>&) {
        seen.emplace_back(delegate.panels().belowBar().isOpen() ? "open" : "closed");
        seen.emplace_back(run.coordinator().belowBarShown() ? "shown" : "not shown");
    };
    const pellacor::testing::LogCapture log;
    delegate.settings().general()->onSetBelowBar(false);
    run.time->settle();
    EXPECT_EQ(seen, (std::vector<std::string>{"closed", "not shown"}))
        << "the panel closed before the notch handling was judged again";
    EXPECT_FALSE(delegate.panels().belowBar().panel()->isVisible());
    // Logged, then followed only by what the applications coming back change.
    const auto lines = log.messages("app");
    const auto switched = std::find(lines.begin(), lines.end(), "下の段を切にしました");
    ASSERT_NE(switched, lines.end());
    for (auto later = std::next(switched); later != lines.end(); ++later) {
        EXPECT_TRUE(later->starts_with("ノッチで一時的に隠すアプリを変えました") ||
                    later->starts_with("制限が効きました"))
            << *later;
    }

    // Switching it on again does not open it.
    delegate.settings().general()->onSetBelowBar(true);
    run.time->settle();
    EXPECT_FALSE(delegate.panels().belowBar().isOpen());
}

// -- The panels ----------------------------------------------------------------------

TEST(AppDelegateWiringTest, ACellOfTheBelowBarPanelOpensThatHiddenItemsMenu) {
    BelowBarRun launched;
    auto& run = launched.run;
    auto& delegate = launched.delegate();
    run.clickControl();
    ASSERT_TRUE(delegate.panels().belowBar().isOpen());
    EXPECT_EQ(run.state(), MenuBarState::collapsed) << "the panel instead of a reveal";
    const auto& entries = delegate.panels().belowBar().entries();
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [](const core::BelowBarEntry& e) { return e.bundleID == hiddenApp; });
    ASSERT_NE(entry, entries.end());
    EXPECT_FALSE(run.onBar(hiddenApp));

    delegate.panels().belowBar().onPress(*entry);
    ASSERT_EQ(run.time->runUntil(
                  [&] {
                      const auto press = lastPressOf(run, hiddenApp);
                      return press && press->menu;
                  },
                  10s),
              Outcome::done)
        << "the item's menu opened";
    EXPECT_FALSE(delegate.panels().belowBar().isOpen()) << "closed for the press";
}

TEST(AppDelegateWiringTest, TheSearchPanelPressesTheItemItFinds) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    run.pressKey(searchKey);
    ASSERT_TRUE(delegate.panels().search().isOpen());
    const auto& candidates = delegate.panels().search().model().candidates();
    const auto found = std::find_if(candidates.begin(), candidates.end(), [](const core::SearchCandidate& c) {
        return c.entry.bundleID == hiddenApp;
    });
    ASSERT_NE(found, candidates.end());
    delegate.panels().search().onPress(found->entry);
    EXPECT_EQ(run.time->runUntil(
                  [&] {
                      const auto press = lastPressOf(run, hiddenApp);
                      return press && press->menu;
                  },
                  10s),
              Outcome::done);
}

TEST(AppDelegateWiringTest, TheOverflowChangeRefreshesThePanelOnlyWhileItIsShown) {
    BelowBarRun launched;
    auto& run = launched.run;
    auto& delegate = launched.delegate();
    run.clickControl();
    ASSERT_TRUE(delegate.panels().belowBar().isOpen());
    const auto listed = [&] {
        const auto& entries = delegate.panels().belowBar().entries();
        return std::any_of(entries.begin(), entries.end(),
                           [](const core::BelowBarEntry& e) { return e.bundleID == hiddenApp; });
    };
    ASSERT_TRUE(listed());

    // The application is shown now, as far as the coordinator's profile goes.
    core::Profile profile = run.coordinator().currentProfile();
    profile.assign(AppKey(hiddenApp), core::Section::shown);
    run.coordinator().setProfile(profile);
    run.coordinator().onNotchOverflowChange({});
    EXPECT_FALSE(listed()) << "refreshed while shown";

    // Closed behind the coordinator's back, which then hears of it as from the window.
    delegate.panels().belowBar().close();
    run.coordinator().belowBarDidClose();
    ASSERT_FALSE(run.coordinator().belowBarShown());
    profile.assign(AppKey(hiddenApp), core::Section::hidden);
    run.coordinator().setProfile(profile);
    run.coordinator().onNotchOverflowChange({AppKey("com.example.anything")});
    EXPECT_FALSE(listed()) << "not refreshed while closed";
}

TEST(AppDelegateWiringTest, ItemsReadPrefetchOnlyTheIconsOfApplicationsNotApple) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    const auto& icons = delegate.services().icons->images();
    EXPECT_TRUE(icons.contains(hiddenApp));
    for (const auto& [bundleID, image] : icons) {
        EXPECT_FALSE(bundleID.starts_with("com.apple.")) << bundleID;
    }
}

// -- Profiles ----------------------------------------------------------------------

TEST(AppDelegateWiringTest, WhatTheCoordinatorAdoptsIsSavedAndShownOnTheSectionsPage) {
    const Computer computer;
    {
        ProgramRun run(computer, computer.scenario());
        auto& delegate = run.launch();
        ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
        const auto adopted = delegate.settingsStore()->activeProfile();
        EXPECT_TRUE(adopted.sections.contains(AppKey(hiddenApp))) << "new owners saved through the store";
        EXPECT_EQ(delegate.settings().sectionsModel()->profile(), run.coordinator().currentProfile());
        EXPECT_FALSE(delegate.settings().sectionsModel()->items().empty()) << "the page is fed every read";
    }
    ProgramRun again(computer, computer.scenario());
    again.launch();
    EXPECT_TRUE(again.coordinator().currentProfile().sections.contains(AppKey(hiddenApp)))
        << "the next launch starts from the saved profile";
}

// -- The layout-folder grant -------------------------------------------------------------

TEST(AppDelegateWiringTest, GrantingTheLayoutFolderWritesTheReorderThatWaitedForIt) {
    const struct {
        const char* name;
        std::function<std::optional<std::filesystem::path>(const Computer&, const std::filesystem::path&)>
            choose;
        bool granted;
        std::optional<std::string> note;
    } cases[] = {
        {"the folder", [](const Computer&, const std::filesystem::path& f) { return std::optional(f); }, true,
         std::nullopt},
        {"with a trailing slash",
         [](const Computer&, const std::filesystem::path& f) { return std::optional(f / ""); }, true,
         std::nullopt},
        {"through a link",
         [](const Computer& computer, const std::filesystem::path& f) {
             const auto link = computer.folder / "menu-bar-link";
             std::filesystem::create_directory_symlink(f, link);
             return std::optional(link);
         },
         true, std::nullopt},
        {"another folder",
         [](const Computer&, const std::filesystem::path& f) { return std::optional(f.parent_path()); },
         false,
         "違うフォルダが選ばれました。窓が開いたときのフォルダ「com.apple."
         "MenuBar」のまま「開く」を押してください。"},
        {"cancelled", [](const Computer&, const std::filesystem::path&) { return std::nullopt; }, false,
         "許可しなかったので、順番はメニューバーに写っていません。もう一度並べ替えると、また窓が出ます。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Computer computer;
        std::vector<std::pair<app::LayoutFolderPanel::Request, app::LayoutFolderPanel::Completion>> panels;
        ProgramRun run(computer, computer.scenario(), [&](AppDelegate::Environment& environment) {
            environment.layoutFolderPanel = [&](const app::LayoutFolderPanel::Request& request,
                                                QWidget* parent,
                                                app::LayoutFolderPanel::Completion completion) {
                EXPECT_EQ(parent, nullptr) << "no settings window: modal";
                panels.emplace_back(request, std::move(completion));
                return app::LayoutFolderPanel::Dismiss{};
            };
        });
        auto& delegate = run.launch();
        ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
        ASSERT_FALSE(run.simulated->desktop()->isMenuBarContainerGranted());

        reorderTwoShown(delegate);
        run.time->settle();
        ASSERT_EQ(panels.size(), 1U) << "the order needs the folder: the panel is up";
        EXPECT_TRUE(run.coordinator().reorderIsWaitingForFolder());
        const auto folder = computer.folder / "home/Library/Group Containers/com.apple.MenuBar";
        EXPECT_EQ(panels.front().first.directory, folder);
        EXPECT_EQ(panels.front().first.prompt, "開く");

        const pellacor::testing::LogCapture log;
        delegate.settings().chooseLayoutFolder();
        EXPECT_EQ(panels.size(), 1U) << "one panel at a time";
        EXPECT_TRUE(log.messages("app").empty());
        // The user takes a while to choose; meanwhile the menu bar has recorded
        // the items that showed up without a key (the program's own among them).
        ASSERT_TRUE(run.time->runFor(5s) == Outcome::done);

        // What the system's panel does with the choice: it grants it.
        const auto chosen = c.choose(computer, folder);
        if (chosen) {
            run.simulated->fileManager()->userChoseFolder(*chosen);
        }
        panels.front().second(chosen);
        ASSERT_TRUE(run.time->runFor(3s) == Outcome::done);
        EXPECT_FALSE(delegate.settings().isLayoutFolderPanelUp());
        EXPECT_EQ(delegate.settings().sectionsModel()->layoutFolderNote(), c.note);
        EXPECT_EQ(run.coordinator().reorderIsWaitingForFolder(), !c.granted);
        if (c.granted) {
            EXPECT_TRUE(log.contains("app", "配置表のフォルダが選ばれました"));
            const auto order = core::OrderPlanner::currentOrder(run.simulated->desktop()->layoutTable(),
                                                                std::string(core::bundleIdentifier));
            const auto left = std::find(order.begin(), order.end(), AppKey(shownLeft));
            const auto right = std::find(order.begin(), order.end(), AppKey(shownRight));
            ASSERT_NE(left, order.end());
            ASSERT_NE(right, order.end());
            EXPECT_LT(left, right) << "the bar follows the profile's order";
            EXPECT_EQ(delegate.settings().sectionsModel()->layoutOrder(), std::optional(order))
                << "the page sees the bar";
        }
    }
}

// The real folder dialog while the program is taken down: nothing the panel
// runs keeps the delegate alive, and the panel goes with it.
TEST(AppDelegateWiringTest, TheLayoutFolderPanelKeepsNothingAliveWhileItIsUp) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    const auto findPanel = [] {
        for (auto* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == app::LayoutFolderPanel::identifier && widget->isVisible()) {
                return widget;
            }
        }
        return static_cast<QWidget*>(nullptr);
    };

    bool panelSeen = false;
    bool goneWhileUp = false;
    bool panelLeft = false;
    const std::weak_ptr<AppDelegate> weak = run.delegate;
    // Runs once the panel is up: inside its own event loop when it blocks,
    // else on the next turn of the application's.
    QTimer::singleShot(0, qApp, [&] {
        if (findPanel() == nullptr) {
            return;
        }
        panelSeen = true;
        run.delegate->applicationWillTerminate();
        run.delegate.reset();
        goneWhileUp = weak.expired();
        if (auto* still = findPanel()) {
            panelLeft = true;
            still->close();
        }
    });
    reorderTwoShown(delegate);
    run.time->settle();
    QCoreApplication::processEvents();
    run.time->settle();

    EXPECT_TRUE(panelSeen) << "the order needs the folder: the real panel came up";
    EXPECT_TRUE(goneWhileUp) << "the delegate went with its last owner, the panel still up";
    EXPECT_FALSE(panelLeft) << "the panel went with the program";
    EXPECT_EQ(findPanel(), nullptr);
}

// -- The permission guide -------------------------------------------------------------

TEST(AppDelegateWiringTest, ThePermissionWaitGivesTheSystemAMomentEarlyInARunThatWorkedBefore) {
    const struct {
        const char* name;
        bool confirmedBefore;
        concurrency::Duration enteredAt;
        bool waits;
    } cases[] = {
        {"59 s after launch", true, 59s, true},
        {"60 s after launch", true, 60s, false},
        {"never worked before", false, 5s, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Computer computer;
        platform::Scenario scenario = computer.scenario();
        scenario.accessibilityTrusted = false;
        ProgramRun run(computer, scenario);
        if (c.confirmedBefore) {
            computer.defaults(*run.simulated).setString(app::DefaultsKey::confirmedOSVersion, "15.1.0");
        }
        const auto launched = run.executor.now();
        auto& delegate = run.launch();
        ASSERT_TRUE(run.reaches(MenuBarState::needsPermission, 5s));
        ASSERT_EQ(run.time->runFor(launched + c.enteredAt - run.executor.now()), Outcome::done);
        delegate.panels().permissionGuide().close();
        const pellacor::testing::LogCapture log;
        run.coordinator().onPermissionWaitChange(true);
        if (!c.waits) {
            EXPECT_TRUE(guideShown(delegate)) << "at once";
            continue;
        }
        EXPECT_FALSE(guideShown(delegate));
        EXPECT_TRUE(log.contains(
            "app", "起動の 59 秒後に許可が読めませんでした。少し待ってから案内を出すか決めます"));
        EXPECT_EQ(run.time->runFor(7900ms), Outcome::done);
        EXPECT_FALSE(guideShown(delegate));
        EXPECT_EQ(run.time->runFor(100ms), Outcome::done);
        EXPECT_TRUE(guideShown(delegate)) << "still without the permission after 8 s";
        EXPECT_TRUE(log.contains("app", "待っても許可が読めないので、許可の案内を出します"));
    }
}

TEST(AppDelegateWiringTest, LeavingTheWaitCancelsTheDelayedGuideAndClosesTheWindow) {
    const Computer computer;
    platform::Scenario scenario = computer.scenario();
    scenario.accessibilityTrusted = false;
    ProgramRun run(computer, scenario);
    computer.defaults(*run.simulated).setString(app::DefaultsKey::confirmedOSVersion, "15.1.0");
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::needsPermission, 5s));
    EXPECT_TRUE(delegate.panels().isPermissionGuidePending())
        << "the coordinator's own wait, early in the run";
    EXPECT_FALSE(guideShown(delegate));

    // Granted within the 8 s: the guide never comes.
    run.simulated->accessibility()->setTrusted(true);
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed, 7s));
    EXPECT_FALSE(delegate.panels().isPermissionGuidePending());
    EXPECT_EQ(run.time->runFor(10s), Outcome::done);
    EXPECT_FALSE(guideShown(delegate));

    // Shown, then left: the window closes.
    delegate.showPermissionGuide();
    ASSERT_TRUE(guideShown(delegate));
    EXPECT_EQ(delegate.panels().permissionGuide().model().trusted(), std::optional(true));
    run.coordinator().onPermissionWaitChange(false);
    EXPECT_FALSE(guideShown(delegate));
}

TEST(AppDelegateWiringTest, TerminationClosesTheGuideAndTheGuideThatWasWaitingNeverOpens) {
    for (const bool waiting : {false, true}) {
        SCOPED_TRACE(waiting ? "waiting out the grace delay" : "on screen");
        const Computer computer;
        platform::Scenario scenario = computer.scenario();
        scenario.accessibilityTrusted = false;
        ProgramRun run(computer, scenario);
        if (waiting) {
            computer.defaults(*run.simulated).setString(app::DefaultsKey::confirmedOSVersion, "15.1.0");
        }
        auto& delegate = run.launch();
        ASSERT_TRUE(run.reaches(MenuBarState::needsPermission, 5s));
        ASSERT_EQ(delegate.panels().isPermissionGuidePending(), waiting);
        ASSERT_EQ(guideShown(delegate), !waiting);

        delegate.applicationWillTerminate();
        EXPECT_FALSE(guideShown(delegate));
        EXPECT_FALSE(delegate.panels().isPermissionGuidePending());
        EXPECT_EQ(run.time->runFor(10s), Outcome::done);
        EXPECT_FALSE(guideShown(delegate)) << "nothing opens once the program is going";
    }
}
// -- The login item, the state, the relaunch, the switch to the login window -------------

TEST(AppDelegateWiringTest, TheLoginItemSwitchShowsWhatTheSystemAnswered) {
    using Status = system::LoginItemStatus;
    const struct {
        const char* name;
        bool inApplications;
        std::optional<std::int64_t> registerError;
        bool on;
        Status status;
        bool failed;
        std::string line;
    } cases[] = {
        {"on", true, std::nullopt, true, Status::enabled, false,
         "ログイン時に起動を入にしました（状態 enabled）"},
        {"off", true, std::nullopt, false, Status::notRegistered, false,
         "ログイン時に起動を切にしました（状態 notRegistered）"},
        {"refused by the system", true, 22, true, Status::notRegistered, true,
         "ログイン時に起動を入れませんでした（systemError(22)）"},
        {"outside the Applications folder", false, std::nullopt, true, Status::notRegistered, false,
         "アプリケーションフォルダの外なので、ログイン時に起動は入れません"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Computer computer;
        platform::Scenario scenario = computer.scenario();
        scenario.loginItem.registerError = c.registerError;
        ProgramRun run(computer, scenario, [&](AppDelegate::Environment& environment) {
            if (!c.inApplications) {
                environment.bundleURL = computer.folder / "disk/Users/aoi/Downloads/Pellacor.app";
            }
        });
        // The default of the first launch is not what this looks at.
        computer.defaults(*run.simulated).setBool(app::DefaultsKey::loginItemDefaultApplied, true);
        auto& delegate = run.launch();
        const pellacor::testing::LogCapture log;
        delegate.settings().general()->onSetLoginItem(c.on);
        EXPECT_EQ(delegate.settings().general()->loginStatus(), c.status);
        EXPECT_EQ(delegate.settings().general()->loginChangeFailed(), c.failed);
        EXPECT_TRUE(log.contains("app", c.line)) << fmt::format("{}", fmt::join(log.messages("app"), "\n"));
    }
}

TEST(AppDelegateWiringTest, TheGeneralPageFollowsTheStateAndItsPauseAndResumeButtons) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    auto& general = *delegate.settings().general();
    EXPECT_EQ(general.state(), MenuBarState::collapsed);
    EXPECT_EQ(general.trusted(), std::optional(true));
    EXPECT_TRUE(general.inApplicationsFolder());
    EXPECT_EQ(general.loginStatus(), system::LoginItemStatus::enabled) << "after the first launch's default";

    general.onResume();
    run.time->settle();
    EXPECT_EQ(run.state(), MenuBarState::collapsed) << "resume does nothing unless paused";
    general.onPause();
    run.time->settle();
    EXPECT_EQ(general.state(), MenuBarState::paused);
    EXPECT_EQ(general.pauseReason(), std::optional(coordinator::PauseReason::manual()));
    general.onResume();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    EXPECT_EQ(general.pauseReason(), std::nullopt);
}

TEST(AppDelegateWiringTest, TheRelaunchShutsDownInTerminationsOrderOnceAndThenEnds) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    std::vector<std::string> started;
    run.simulated->workspaceOpener()->setProgramStarter([&]() -> std::optional<std::int64_t> {
        started.push_back(run.simulated->desktop()->restriction() ? "restricted" : "lifted");
        return std::nullopt;
    });
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    run.pressKey(searchKey);
    ASSERT_TRUE(delegate.panels().search().isOpen());

    const pellacor::testing::LogCapture log;
    delegate.panels().permissionGuide().model().relaunch();
    delegate.relaunch();
    run.time->settle();
    EXPECT_TRUE(delegate.isRelaunching());
    EXPECT_EQ(started, std::vector<std::string>{"lifted"}) << "one new instance, after the restriction went";
    EXPECT_FALSE(delegate.panels().search().isOpen());
    EXPECT_TRUE(run.coordinator().hasShutDown());
    EXPECT_TRUE(run.simulated->hotkeyManager()->registeredHotKeys().empty());
    EXPECT_EQ(run.quits, 1) << "then this one ends";
    EXPECT_EQ(log.messages("app").front(), "検索の窓を閉じました（司令塔）");
}

TEST(AppDelegateWiringTest, TheSwitchToTheLoginWindowIsLoggedAsItEnds) {
    const struct {
        const char* name;
        bool available;
        std::int32_t result;
        std::string line;
    } cases[] = {
        {"switched", true, 0, "ログインウインドウへ切り替えました"},
        {"refused", true, 5, "ログインウインドウへ切り替えられませんでした（systemError(5)）"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Computer computer;
        platform::Scenario scenario = computer.scenario();
        scenario.loginWindow = {c.available, c.result};
        ProgramRun run(computer, scenario);
        auto& delegate = run.launch();
        const pellacor::testing::LogCapture log;
        delegate.statusItems().controlItem()->onSwitchUser();
        run.time->settle();
        EXPECT_TRUE(log.contains("app", c.line));
    }
}

TEST(AppDelegateWiringTest, TheControlItemsProfileMenuSwitchesThroughTheEditor) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    ASSERT_TRUE(delegate.settings().profileEditor()->edit(
        true, "追加", [](core::StoredState& state) { return state.addProfile("仕事").has_value(); }));
    const auto choices = delegate.statusItems().controlItem()->profileChoices();
    ASSERT_EQ(choices.size(), 2U);
    EXPECT_FALSE(delegate.statusItems().controlItem()->profileIsAutomatic()) << "no rule in force";
    const auto other =
        std::find_if(choices.begin(), choices.end(), [](const auto& c) { return !c.isActive; });
    delegate.statusItems().controlItem()->onSwitchProfile(other->id);
    run.time->settle();
    EXPECT_EQ(run.coordinator().currentProfile().id(), other->id);
    EXPECT_EQ(delegate.settings().sectionsModel()->profile().id(), other->id);
}

TEST(AppDelegateWiringTest, TheMainMenuAndTheSettingsHelpButtonOpenTheHelpAtItsTopAndAboutIsNoLongerGreyed) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    auto* menu = delegate.mainMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->action("openHelp:")->isEnabled());
    EXPECT_TRUE(menu->action("openAbout:")->isEnabled());
    EXPECT_EQ(delegate.support().help().window(), nullptr) << "nothing built before it is first shown";

    EXPECT_TRUE(menu->perform("openHelp:"));
    ASSERT_NE(delegate.support().help().window(), nullptr);
    EXPECT_TRUE(delegate.support().help().window()->isVisible());
    EXPECT_EQ(delegate.support().help().contents()->currentRow(), -1) << "at its top";
    delegate.support().help().close();

    delegate.settings().general()->onOpenHelp();
    EXPECT_TRUE(delegate.support().help().window()->isVisible()) << "the settings window's help button";
    EXPECT_EQ(delegate.support().help().contents()->currentRow(), -1);

    EXPECT_TRUE(menu->perform("openAbout:"));
    ASSERT_NE(delegate.support().about().window(), nullptr);
    EXPECT_TRUE(delegate.support().about().window()->isVisible());

    // Termination takes whatever is open down first.
    delegate.applicationWillTerminate();
    EXPECT_FALSE(delegate.support().help().window()->isVisible());
    EXPECT_FALSE(delegate.support().about().window()->isVisible());
}

// The entries of a menu model that nobody acts on: leaves shown greyed.
void collectGreyed(const std::vector<app::ControlMenuEntry>& entries, std::vector<std::string>& greyed) {
    for (const auto& entry : entries) {
        if (!entry.isSeparator && entry.submenu.empty() && !entry.isEnabled()) {
            greyed.push_back(entry.title);
        }
        collectGreyed(entry.submenu, greyed);
    }
}

TEST(AppDelegateWiringTest, AfterStartUpNoMenuEntryWaitsForAHandler) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    std::vector<std::string> greyed;
    collectGreyed(delegate.statusItems().controlItem()->menuModel(), greyed);
    EXPECT_TRUE(greyed.empty()) << "greyed: " << (greyed.empty() ? "" : greyed.front());
    for (const char* action : {"openSettings:", "openAbout:", "openHelp:", "sendFeedback:", "checkForUpdate:",
                               "terminate:", "performClose:", "copy:"}) {
        ASSERT_NE(delegate.mainMenu()->action(action), nullptr) << action;
        EXPECT_TRUE(delegate.mainMenu()->action(action)->isEnabled()) << action;
    }
}

TEST(AppDelegateWiringTest, TheProfileBarsActionsAreEditsByTheUser) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    app::ProfilesModel& model = *delegate.settings().profilesModel();
    ASSERT_EQ(model.choices().size(), 1U);
    const core::Uuid first = model.choices()[0].id;
    EXPECT_EQ(model.suggestName(model.choices()[0].name), "ふだん 2");
    EXPECT_EQ(model.storedName(first), delegate.settingsStore()->state().profiles[0].name);
    EXPECT_FALSE(model.storedName(core::Uuid::random()));

    EXPECT_TRUE(model.onAdd(" Work\n"));
    ASSERT_EQ(model.choices().size(), 2U) << "the list follows the edit";
    EXPECT_EQ(model.active()->name, "Work") << "added under the normalized name, and made active";
    EXPECT_FALSE(model.onAdd("ＷＯＲＫ")) << "refused: taken in other letters";
    EXPECT_EQ(model.choices().size(), 2U);
    EXPECT_TRUE(model.isNameTaken("work", std::nullopt));
    EXPECT_FALSE(model.isNameTaken("work", model.active()->id));

    const core::Uuid second = model.active()->id;
    EXPECT_TRUE(model.onRename(second, "出張"));
    EXPECT_FALSE(model.onRename(second, "出張")) << "no change";
    EXPECT_EQ(model.active()->name, "出張");
    model.onSwitch(first);
    run.time->settle();
    EXPECT_EQ(model.active()->id, first);
    EXPECT_EQ(run.coordinator().currentProfile().id(), first);
    model.onDelete(second);
    EXPECT_EQ(model.choices().size(), 1U);
    model.onDelete(first);
    EXPECT_EQ(model.choices().size(), 1U) << "the last profile stays";
}

} // namespace PELLACOR_TEST_FILE
