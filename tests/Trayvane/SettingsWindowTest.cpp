#include "Concurrency/ManualExecutor.h"
#include "DemoDesktop/OffscreenApplication.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/LogCapture.h"
#include "Trayvane/App/LayoutFolderPanel.h"
#include "Trayvane/Settings/GeneralModel.h"
#include "Trayvane/Settings/GeneralSettingsView.h"
#include "Trayvane/Settings/ProfilesModel.h"
#include "Trayvane/Settings/RuleAddSheet.h"
#include "Trayvane/Settings/RulesModel.h"
#include "Trayvane/Settings/RulesSettingsView.h"
#include "Trayvane/Settings/SectionsModel.h"
#include "Trayvane/Settings/SectionsSettingsView.h"
#include "Trayvane/Settings/SettingsNavigation.h"
#include "Trayvane/Settings/SettingsTab.h"
#include "Trayvane/Settings/SettingsWindowController.h"
#include "Trayvane/Theme/AppButton.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace std::chrono_literals;
using app::SettingsPage;
using app::SettingsWindowController;

// The controller over empty models on a simulated desktop, its refresh and
// show hooks counted, driven in virtual time.
struct SettingsWindow : ::testing::Test {
    SettingsWindow() { pellacor::testing::offscreenApplication(); }

    void make(std::vector<platform::SimulatedScreen> screens = {platform::SimulatedScreen{}}) {
        platform->desktop()->setScreens(std::move(screens));
        controller = SettingsWindowController::create(
            std::make_shared<app::SectionsModel>(
                core::Profile(core::Uuid::random(), "ふだん", {}, {}, core::Section::shown), "com.pellacor"),
            profiles, rules, general,
            SettingsWindowController::Services{
                .executor = &executor,
                .now = now,
                .windows = {platform->screens(), platform->input(), {}, platform->programWindows()},
                .pages = {},
            });
        controller->onRefresh = [this] { ++refreshes; };
        controller->onShow = [this] {
            // Comes before the window is made or brought forward.
            shownBeforeWindow.push_back(controller->window() == nullptr ||
                                        !controller->window()->isVisible());
        };
    }

    ~SettingsWindow() override {
        if (controller) {
            controller->close();
        }
    }

    std::vector<std::string> openedLines() const {
        std::vector<std::string> lines;
        for (const auto& record : log.matching("設定の窓を開きました")) {
            lines.push_back(record.message);
        }
        return lines;
    }

    QWidget& window() const { return *controller->window(); }

    pellacor::testing::LogCapture log;
    concurrency::ManualExecutor executor;
    concurrency::Now now;
    std::shared_ptr<platform::SimulatedPlatform> platform = std::make_shared<platform::SimulatedPlatform>();
    std::shared_ptr<app::GeneralModel> general = std::make_shared<app::GeneralModel>();
    std::shared_ptr<app::ProfilesModel> profiles = std::make_shared<app::ProfilesModel>();
    std::shared_ptr<app::RulesModel> rules = std::make_shared<app::RulesModel>();
    std::shared_ptr<SettingsWindowController> controller;
    int refreshes = 0;
    std::vector<bool> shownBeforeWindow;
};

TEST_F(SettingsWindow, TheFirstShowMakesTheWindowAndLaterOnesReuseItAndSaySo) {
    make();
    EXPECT_EQ(controller->window(), nullptr) << "nothing before the first show";
    controller->show();
    QWidget* first = controller->window();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->objectName(), "settings");
    EXPECT_EQ(first->windowTitle(), "Pellacor の設定");
    EXPECT_EQ(first->minimumSize(), QSize(520, 480));
    EXPECT_EQ(first->width(), 560);
    EXPECT_TRUE(first->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(first->windowFlags().testFlag(Qt::WindowCloseButtonHint));

    first->close();
    EXPECT_FALSE(first->isVisible());
    controller->show();
    EXPECT_EQ(controller->window(), first) << "kept while closed, shown again";
    EXPECT_TRUE(first->isVisible());

    ASSERT_EQ(openedLines().size(), 2U);
    EXPECT_EQ(openedLines()[0], "設定の窓を開きました（作って・0 ms）");
    EXPECT_EQ(openedLines()[1], "設定の窓を開きました（作り直さずに・0 ms）");
    EXPECT_EQ(
        log.lines("app"),
        (std::vector<std::string>{"info: 設定の窓を出します", "info: 設定の窓：作る 0 ms・前に出す 0 ms",
                                  "info: 設定の窓を開きました（作って・0 ms）", "info: 設定の窓を閉じました",
                                  "info: 設定の窓を出します", "info: 設定の窓：作る 0 ms・前に出す 0 ms",
                                  "info: 設定の窓を開きました（作り直さずに・0 ms）"}));
    EXPECT_EQ(shownBeforeWindow, (std::vector<bool>{true, true}));
}

TEST_F(SettingsWindow, EveryDurationIsCountedFromTheStartInRoundedWholeMilliseconds) {
    // Each reading of the clock is 2.6 ms after the one before.
    concurrency::Instant clock{};
    now = [&clock] {
        clock += 2600us;
        return clock;
    };
    make();
    controller->show();
    EXPECT_EQ(log.matching("作る").at(0).message, "設定の窓：作る 3 ms・前に出す 5 ms");
    EXPECT_EQ(openedLines().at(0), "設定の窓を開きました（作って・8 ms）");
    EXPECT_EQ(SettingsWindowController::milliseconds(1999us), "2 ms");
    EXPECT_EQ(SettingsWindowController::milliseconds(1400us), "1 ms");
    EXPECT_EQ(SettingsWindowController::milliseconds(1500ms), "1500 ms");
}

TEST_F(SettingsWindow, RefreshesAtEveryShowAndEveryThreeSecondsWithOneTimerUntilClosed) {
    make();
    controller->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window(), 30000));
    EXPECT_EQ(refreshes, 1) << "at once";
    EXPECT_EQ(executor.pendingTimerCount(), 1U);
    controller->show();
    controller->show();
    EXPECT_EQ(refreshes, 3) << "once more at every show";
    EXPECT_EQ(executor.pendingTimerCount(), 1U) << "however often it is shown, one timer";

    executor.advanceBy(2999ms);
    EXPECT_EQ(refreshes, 3);
    executor.advanceBy(1ms);
    EXPECT_EQ(refreshes, 4);
    executor.advanceBy(9s);
    EXPECT_EQ(refreshes, 7);

    window().close();
    EXPECT_FALSE(controller->isRefreshing());
    EXPECT_EQ(executor.pendingTimerCount(), 0U);
    executor.advanceBy(30s);
    EXPECT_EQ(refreshes, 7) << "no tick after the window closed";

    controller->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window(), 30000));
    EXPECT_EQ(refreshes, 8);
    EXPECT_TRUE(controller->isRefreshing()) << "a new timer for the window shown again";
    executor.advanceBy(3s);
    EXPECT_EQ(refreshes, 9);
}

TEST_F(SettingsWindow, ATickDoesNothingWhileTheWindowIsMinimisedAndShowingBringsItBack) {
    make();
    controller->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window(), 30000));
    ASSERT_TRUE(controller->isSeen());
    window().showMinimized();
    QApplication::processEvents();
    ASSERT_FALSE(controller->isSeen());
    executor.advanceBy(6s);
    EXPECT_EQ(refreshes, 1) << "a minimised window is not refreshed";
    EXPECT_TRUE(controller->isRefreshing());

    const QPoint at = window().pos();
    controller->show();
    EXPECT_FALSE(window().isMinimized()) << "showing brings a minimised window back";
    EXPECT_EQ(window().pos(), at) << "where it was";
    EXPECT_EQ(refreshes, 2);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window(), 30000));
    executor.advanceBy(3s);
    EXPECT_EQ(refreshes, 3);
}

TEST_F(SettingsWindow, ATickNeverKeepsAGoneControllerAlive) {
    make();
    controller->show();
    const std::weak_ptr<SettingsWindowController> weak = controller;
    controller.reset();
    EXPECT_TRUE(weak.expired());
    executor.advanceBy(10s);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(SettingsWindow, PlacedFortyPointsBelowTheTopShrunkOnlyInHeightAndNeverMovedWhileShown) {
    // A screen whose visible area is 700 points high, under the pointer.
    make({platform::SimulatedScreen{core::Rect(0, 0, 1200, 724)}});
    platform->input()->moveMouse({600, 300});
    controller->show();
    EXPECT_EQ(window().size(), QSize(560, 660)) << "the 860-point window shrunk to the area less 40";
    EXPECT_EQ(window().pos(), QPoint(600 - 280, 24 + 40));

    window().move(100, 150);
    window().resize(600, 500);
    platform->input()->moveMouse({10, 10});
    controller->show();
    EXPECT_EQ(window().pos(), QPoint(100, 150)) << "a window on screen stays where the user put it";
    EXPECT_EQ(window().size(), QSize(600, 500));

    window().close();
    controller->show();
    EXPECT_EQ(window().pos(), QPoint(600 - 300, 24 + 40)) << "placed again once it was closed";
    EXPECT_EQ(window().size(), QSize(600, 500)) << "a height that fits is kept";

    window().close();
    window().resize(560, 900);
    controller->show();
    EXPECT_EQ(window().size(), QSize(560, 660)) << "a 900-point window shrunk to the area less 40";
    EXPECT_EQ(window().pos(), QPoint(600 - 280, 24 + 40)) << "its top 40 points below the area's top";
}

TEST_F(SettingsWindow, WithoutAScreenTheWindowKeepsTheFrameItWasBuiltWith) {
    make({});
    controller->show();
    EXPECT_EQ(window().size(), QSize(560, 860));
}

TEST_F(SettingsWindow, TheTabsAndTheirShortcutsSelectThePagesAndThePaneFollows) {
    make();
    controller->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window(), 30000));
    app::SettingsRootView& root = *controller->rootView();
    auto* sectionsTab = window().findChild<app::SettingsTab*>("tab:sections");
    auto* generalTab = window().findChild<app::SettingsTab*>("tab:general");
    auto* rulesTab = window().findChild<app::SettingsTab*>("tab:rules");
    ASSERT_TRUE(sectionsTab && generalTab && rulesTab);
    EXPECT_EQ(sectionsTab->text(), "レイアウト");
    EXPECT_EQ(generalTab->text(), "一般");
    EXPECT_EQ(rulesTab->text(), "自動");
    EXPECT_TRUE(sectionsTab->isSelected()) << "the sections page at first";
    EXPECT_EQ(root.currentPane(), root.sectionsPage());
    EXPECT_EQ(root.generalPage(), nullptr) << "a page is built when first shown";
    EXPECT_EQ(sectionsTab->focusPolicy(), Qt::NoFocus);

    int told = 0;
    const auto subscription = controller->navigation().observers.observe([&told] { ++told; });

    // Ctrl+2 wherever the focus is in the window.
    QTest::keyClick(root.sectionsPage(), Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(controller->navigation().page(), SettingsPage::general);
    EXPECT_TRUE(generalTab->isSelected());
    EXPECT_FALSE(sectionsTab->isSelected());
    EXPECT_EQ(root.currentPane(), root.generalPage());
    ASSERT_NE(root.generalPage(), nullptr);

    QTest::mouseClick(rulesTab, Qt::LeftButton);
    EXPECT_EQ(controller->navigation().page(), SettingsPage::rules);
    EXPECT_EQ(root.currentPane(), root.rulesPage());
    EXPECT_EQ(told, 2);
    QTest::mouseClick(rulesTab, Qt::LeftButton);
    EXPECT_TRUE(rulesTab->isSelected()) << "the shown page's tab stays selected";
    EXPECT_EQ(told, 2) << "pressing the shown page's tab changes nothing";

    QTest::keyClick(&window(), Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(root.currentPane(), root.sectionsPage());
    QTest::keyClick(&window(), Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(root.currentPane(), root.rulesPage());
}

// Whichever sheet or dialog closes, the keyboard is the settings window's
// again: its page shortcuts work at once, without a click.
TEST_F(SettingsWindow, AfterASheetClosesTheWindowHasTheKeyboardAgain) {
    const core::Uuid home = core::Uuid::random();
    const core::Uuid work = core::Uuid::random();
    profiles->setChoices({{home, "家", true}, {work, "仕事", false}});
    profiles->onAdd = [](const std::string&) { return true; };
    profiles->suggestName = [](const std::string& base) { return base + " 2"; };
    rules->setProfiles({{home, "家", true}, {work, "仕事", false}});
    make();
    controller->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window(), 1000));
    app::SettingsRootView& root = *controller->rootView();
    auto click = [this](const char* name) {
        auto* button = window().findChild<QPushButton*>(name);
        EXPECT_NE(button, nullptr) << name;
        if (button != nullptr) {
            QTest::mouseClick(button, Qt::LeftButton);
        }
    };
    auto sheetNamed = [](const char* name) -> QDialog* {
        for (QWidget* shown : QApplication::topLevelWidgets()) {
            if (shown->objectName() == name && shown->isVisible()) {
                return qobject_cast<QDialog*>(shown);
            }
        }
        return nullptr;
    };
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    app::LayoutFolderPanel::Dismiss dismissFolderPanel;
    const struct Case {
        const char* what;
        SettingsPage from;
        std::function<QDialog*()> open;
        Qt::Key closing;
        Qt::Key shortcut;
        SettingsPage to;
    } cases[] = {
        {"the name sheet, added with Return", SettingsPage::sections,
         [&] {
             click("profile:add");
             return sheetNamed("profile:nameSheet");
         },
         Qt::Key_Return, Qt::Key_3, SettingsPage::rules},
        {"the delete sheet, cancelled with Escape", SettingsPage::sections,
         [&] {
             click("profile:delete");
             return sheetNamed("profile:deleteSheet");
         },
         Qt::Key_Escape, Qt::Key_2, SettingsPage::general},
        {"the rule add sheet, cancelled with Escape", SettingsPage::rules,
         [&] {
             click("rules:add");
             return static_cast<QDialog*>(root.rulesPage()->addSheet());
         },
         Qt::Key_Escape, Qt::Key_1, SettingsPage::sections},
        {"the layout-folder panel, cancelled with Escape", SettingsPage::sections,
         [&] {
             dismissFolderPanel = app::LayoutFolderPanel::fileDialog(nullptr)(
                 {"フォルダを選んでください", "選ぶ", folder}, &window(), [](auto) {});
             return sheetNamed(app::LayoutFolderPanel::identifier);
         },
         Qt::Key_Escape, Qt::Key_3, SettingsPage::rules},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        controller->show(testCase.from);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window(), 1000));
        QDialog* sheet = testCase.open();
        ASSERT_NE(sheet, nullptr);
        // The display gives the keyboard to the sheet it shows (this platform
        // leaves that to the test), and takes it from no window when the
        // sheet goes: who has it then is the program's to say.
        sheet->activateWindow();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == sheet->windowHandle(); }, 1000));
        const QPointer<QDialog> open = sheet;
        QTest::keyClick(sheet->windowHandle(), testCase.closing);
        QApplication::processEvents();
        ASSERT_TRUE(!open || !open->isVisible()) << "the sheet closed";

        EXPECT_EQ(QApplication::activeWindow(), &window());
        const QWidget* focus = QApplication::focusWidget();
        EXPECT_TRUE(focus != nullptr && focus->window() == &window());
        // The key goes where the system sends keys: to the window with the focus.
        if (QWindow* keys = QGuiApplication::focusWindow()) {
            QTest::keyClick(keys, testCase.shortcut, Qt::ControlModifier);
        }
        EXPECT_EQ(controller->navigation().page(), testCase.to);
    }
}

TEST_F(SettingsWindow, ShowingOnAPageSelectsItAndAPageAlreadyShownTellsNobody) {
    make();
    int told = 0;
    const auto subscription = controller->navigation().observers.observe([&told] { ++told; });
    controller->show(SettingsPage::rules);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(controller->rootView()->currentPane(), controller->rootView()->rulesPage())
        << "opened on that page";
    EXPECT_TRUE(window().findChild<app::SettingsTab*>("tab:rules")->isSelected());

    controller->show(SettingsPage::rules);
    EXPECT_EQ(told, 0 + 1) << "the same page again notifies no observer";

    window().close();
    controller->show();
    EXPECT_EQ(controller->navigation().page(), SettingsPage::rules) << "the page outlasts a close";
}

TEST_F(SettingsWindow, TheHelpButtonAsksForTheHelpAndIsSkippedWithoutACallback) {
    make();
    controller->show();
    auto* help = window().findChild<app::AppButton*>("settings:help");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->text(), "ヘルプ");
    QTest::mouseClick(help, Qt::LeftButton);
    int asked = 0;
    general->onOpenHelp = [&asked] { ++asked; };
    QTest::mouseClick(help, Qt::LeftButton);
    EXPECT_EQ(asked, 1);
}

// The window shares its General model with whoever made it: dropped by its
// maker (the program going down before the window), the page's model is still there.
TEST_F(SettingsWindow, TheWindowKeepsItsGeneralModelAfterItsMakerLetsGo) {
    make();
    int asked = 0;
    general->onOpenHelp = [&asked] { ++asked; };
    const std::weak_ptr<app::GeneralModel> weak = general;
    general.reset();
    EXPECT_FALSE(weak.expired());
    controller->show();
    auto* help = window().findChild<app::AppButton*>("settings:help");
    ASSERT_NE(help, nullptr);
    QTest::mouseClick(help, Qt::LeftButton);
    EXPECT_EQ(asked, 1);
}

TEST_F(SettingsWindow, TheOpenWindowIsInTheWindowListUntilItCloses) {
    make();
    const std::size_t others = platform->desktop()->windows().size();
    controller->show();
    ASSERT_EQ(platform->desktop()->windows().size(), others + 1);
    const auto windows = platform->desktop()->windows();
    EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                            [](const auto& listed) {
                                return listed.bounds == core::Rect(756 - 280, 24 + 40, 560, 860);
                            }),
              1)
        << "listed where it stands, top-down";
    window().move(100, 150);
    window().resize(600, 500);
    QApplication::processEvents();
    const auto moved = platform->desktop()->windows();
    EXPECT_EQ(
        std::count_if(moved.begin(), moved.end(),
                      [](const auto& listed) { return listed.bounds == core::Rect(100, 150, 600, 500); }),
        1)
        << "the list follows a move and a resize";
    window().close();
    EXPECT_EQ(platform->desktop()->windows().size(), others);
    controller->show();
    EXPECT_EQ(platform->desktop()->windows().size(), others + 1) << "listed again when shown again";
}

TEST(SettingsPageTest, RawValuesTitlesAndShortcutsInTabOrder) {
    struct Case {
        SettingsPage page;
        const char* raw;
        const char* title;
        char key;
    };
    for (const Case& c : {Case{SettingsPage::sections, "sections", "レイアウト", '1'},
                          Case{SettingsPage::general, "general", "一般", '2'},
                          Case{SettingsPage::rules, "rules", "自動", '3'}}) {
        EXPECT_EQ(app::rawValue(c.page), c.raw);
        EXPECT_EQ(app::title(c.page), c.title);
        EXPECT_EQ(app::shortcutKey(c.page), c.key);
        EXPECT_EQ(app::settingsPageFromRaw(c.raw), c.page);
    }
    for (const char* other : {"", "Sections", "layout", "sections "}) {
        EXPECT_EQ(app::settingsPageFromRaw(other), std::nullopt) << other;
    }
}

} // namespace PELLACOR_TEST_FILE
