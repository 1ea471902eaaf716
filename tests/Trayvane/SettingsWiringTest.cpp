// The settings window in the whole program over the simulated desktop: every
// way of opening it, what its showing and its refresh reread, the layout
// folder's sheet on it, and the main road (a section changed on its page
// reaches the bar and outlasts a restart).

#include "MenuBarCore/Planning/OrderPlanner.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarSystem/Login/LoginItem.h"
#include "ProgramRun.h"
#include "SectionRowDrop.h"
#include "Support/LogCapture.h"
#include "Trayvane/Help/HelpWindow.h"
#include "Trayvane/MainMenu/MainMenuActions.h"
#include "Trayvane/Settings/GeneralModel.h"
#include "Trayvane/Settings/SectionBand.h"
#include "Trayvane/Settings/SectionsSettingsView.h"
#include "Trayvane/Settings/SettingsWindowController.h"
#include "Trayvane/Theme/AppButton.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace std::chrono_literals;
using app::SettingsPage;
using core::MenuBarState;
using core::Section;
using pellacor::testing::Computer;
using pellacor::testing::hiddenApp;
using pellacor::testing::ProgramRun;
using Outcome = pellacor::testing::DesktopTime::Outcome;

namespace {

bool settingsShown(const app::AppDelegate& delegate) {
    const auto& controller = delegate.settings().settingsWindow();
    return controller && controller->window() != nullptr && controller->window()->isVisible();
}

// Chooses "move to <section>" in the row's menu.
void moveByMenu(app::SectionsSettingsView& page, const std::string& bundleID, Section section) {
    app::SectionRowView* row = page.row(bundleID);
    ASSERT_NE(row, nullptr);
    QMenu* menu = row->moveMenu();
    ASSERT_NE(menu, nullptr);
    auto* entry =
        menu->findChild<QAction*>(QString::fromStdString("move:" + std::string(core::rawValue(section))));
    ASSERT_NE(entry, nullptr);
    entry->trigger();
}

// The layout folder is never granted here; the panels asked for are counted with their parents.
std::function<void(app::AppDelegate::Environment&)> countPanels(std::vector<QWidget*>& parents) {
    return [&parents](app::AppDelegate::Environment& environment) {
        environment.layoutFolderPanel = [&parents, executor = environment.executor](
                                            const app::LayoutFolderPanel::Request&, QWidget* parent,
                                            const app::LayoutFolderPanel::Completion& completion) {
            parents.push_back(parent);
            // Cancelled on the next turn, so the next reorder asks again.
            executor->post([completion] { completion(std::nullopt); });
            return app::LayoutFolderPanel::Dismiss{};
        };
    };
}

} // namespace

TEST(SettingsWiringTest, EveryWayOfOpeningTheSettingsBringsUpTheOneWindow) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    const pellacor::testing::LogCapture log;
    ASSERT_TRUE(delegate.mainMenu()->action("openSettings:")->isEnabled()) << "no longer greyed";
    bool entryEnabled = false;
    for (const auto& entry : delegate.statusItems().controlItem()->menuModel()) {
        if (entry.title == "設定…") {
            entryEnabled = entry.isEnabled();
        }
    }
    EXPECT_TRUE(entryEnabled);
    ASSERT_FALSE(settingsShown(delegate));

    delegate.statusItems().controlItem()->onOpenSettings();
    ASSERT_TRUE(settingsShown(delegate));
    auto& controller = *delegate.settings().settingsWindow();
    QWidget* window = controller.window();
    EXPECT_EQ(window->objectName(), "settings");
    EXPECT_EQ(controller.navigation().page(), SettingsPage::sections) << "on the sections page";
    EXPECT_EQ(controller.rootView()->currentPane(), controller.rootView()->sectionsPage());
    EXPECT_NE(controller.rootView()->sectionsPage()->row(hiddenApp), nullptr)
        << "the page shows the applications the coordinator read";
    EXPECT_TRUE(log.contains("app", "設定の窓を出します"));

    window->close();
    EXPECT_TRUE(delegate.mainMenu()->perform("openSettings:"));
    EXPECT_TRUE(settingsShown(delegate));
    EXPECT_EQ(controller.window(), window);
    EXPECT_EQ(log.matching("作り直さずに").size(), 1U);

    controller.navigation().setPage(SettingsPage::general);
    delegate.statusItems().controlItem()->onManageProfiles();
    EXPECT_EQ(controller.navigation().page(), SettingsPage::sections)
        << "the profiles live on the sections page";

    window->close();
    EXPECT_FALSE(delegate.applicationShouldHandleReopen(false));
    EXPECT_TRUE(settingsShown(delegate)) << "reopening the program shows the settings";
    EXPECT_TRUE(log.contains("app", "もう一度開かれたので、設定の窓を出します"));

    auto& help = *delegate.settings().general();
    EXPECT_TRUE(static_cast<bool>(help.onOpenHelp)) << "the window's help button reaches the help";
    controller.rootView()->helpButton().click();
    ASSERT_NE(delegate.support().help().window(), nullptr);
    EXPECT_TRUE(delegate.support().help().window()->isVisible());

    delegate.applicationWillTerminate();
    EXPECT_FALSE(settingsShown(delegate)) << "termination takes the window down";
    EXPECT_FALSE(controller.isRefreshing());
}

TEST(SettingsWiringTest, ShowingRereadsTheLoginItemAndTheLayoutOrderAndEachTickRereadsTheItems) {
    const Computer computer;
    ProgramRun run(computer, computer.scenario());
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    run.time->settle();

    run.simulated->loginItemService()->setStatus(platform::LoginItemService::Status::requiresApproval);
    const auto expected = system::LoginItem::statusFrom(platform::LoginItemService::Status::requiresApproval);
    ASSERT_NE(delegate.settings().general()->loginStatus(), expected);
    delegate.openSettings();
    EXPECT_EQ(delegate.settings().general()->loginStatus(), expected)
        << "changed outside the program, seen at once";

    run.time->settle();
    EXPECT_EQ(delegate.settings().sectionsModel()->layoutOrder(), std::nullopt)
        << "the layout folder is not granted";
    // Granted meanwhile: the next showing reads the bar's order.
    run.simulated->fileManager()->userChoseFolder(computer.folder /
                                                  "home/Library/Group Containers/com.apple.MenuBar");
    delegate.settings().settingsWindow()->window()->close();
    delegate.openSettings();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(delegate.settings().settingsWindow()->window(), 30000));
    run.time->settle();
    EXPECT_EQ(delegate.settings().sectionsModel()->layoutOrder(),
              std::optional(core::OrderPlanner::currentOrder(run.simulated->desktop()->layoutTable(),
                                                             std::string(core::bundleIdentifier))));

    // Every tick of the open window asks for a fresh read of the items; a closed window asks for none.
    const auto readsOver = [&run](concurrency::Duration span) {
        const int before = run.calls->itemReads();
        EXPECT_EQ(run.time->runFor(span), Outcome::done);
        return run.calls->itemReads() - before;
    };
    const int open = readsOver(30s);
    delegate.settings().settingsWindow()->window()->close();
    const int closed = readsOver(30s);
    EXPECT_GE(open - closed, 9) << "ten ticks in 30 s: open " << open << ", closed " << closed;
    EXPECT_EQ(delegate.settings().sectionsModel()->running(), run.coordinator().runningBundleIDs());
}

TEST(SettingsWiringTest, TheLayoutFolderPanelIsASheetOnTheWindowOnlyWhileItIsOnScreen) {
    const Computer computer;
    std::vector<QWidget*> parents;
    ProgramRun run(computer, computer.scenario(), countPanels(parents));
    auto& delegate = run.launch();
    ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
    delegate.settings().chooseLayoutFolder();
    run.time->settle();
    delegate.openSettings();
    delegate.settings().chooseLayoutFolder();
    run.time->settle();
    delegate.settings().settingsWindow()->window()->close();
    delegate.settings().chooseLayoutFolder();
    run.time->settle();
    EXPECT_EQ(parents,
              (std::vector<QWidget*>{nullptr, delegate.settings().settingsWindow()->window(), nullptr}));
}

TEST(SettingsWiringTest, ASectionChangedInTheWindowReachesTheBarAndOutlastsARestart) {
    const Computer computer;
    std::vector<QWidget*> parents;
    {
        ProgramRun run(computer, computer.scenario(), countPanels(parents));
        auto& delegate = run.launch();
        ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
        ASSERT_FALSE(run.onBar(hiddenApp));
        delegate.statusItems().controlItem()->onOpenSettings();
        run.time->settle();
        auto* page = delegate.settings().settingsWindow()->rootView()->sectionsPage();
        ASSERT_NE(page, nullptr);

        pellacor::testing::dropRowOnBand(*page, hiddenApp, Section::shown);
        ASSERT_EQ(run.time->runUntil([&] { return run.onBar(hiddenApp); }, 10s), Outcome::done)
            << "moved to the shown section: its items are on the bar";
        run.time->settle();
        EXPECT_EQ(parents.back(), delegate.settings().settingsWindow()->window())
            << "the folder is asked for on the window";

        moveByMenu(*page, hiddenApp, Section::hidden);
        ASSERT_EQ(run.time->runUntil([&] { return !run.onBar(hiddenApp); }, 10s), Outcome::done)
            << "back to hidden: its items leave the bar";
        moveByMenu(*page, hiddenApp, Section::shown);
        ASSERT_EQ(run.time->runUntil([&] { return run.onBar(hiddenApp); }, 10s), Outcome::done);
        run.time->settle();
    }
    ProgramRun again(computer, computer.scenario(), countPanels(parents));
    auto& delegate = again.launch();
    ASSERT_TRUE(again.reaches(MenuBarState::collapsed));
    EXPECT_EQ(delegate.settings().sectionsModel()->profile().section(core::AppKey(hiddenApp)), Section::shown)
        << "the profile as it was left";
    EXPECT_EQ(again.time->runUntil([&] { return again.onBar(hiddenApp); }, 10s), Outcome::done);
}

} // namespace PELLACOR_TEST_FILE
