// The program on the demo desktop, used as a person uses it: clicks on the
// desktop view and on the panels' cells, keys typed into the view and the
// panels, and the real folder dialog answered with its own button.
#include "DemoDesktop/DesktopView.h"
#include "DemoDesktop/SyntheticClick.h"
#include "MenuBarCore/Planning/OrderPlanner.h"
#include "Platform/Simulated/MenuBarLayoutFile.h"
#include "ProgramOnDesktop.h"
#include "ProgramRun.h"
#include "Support/LogCapture.h"
#include "Trayvane/App/LayoutFolderPanel.h"
#include "Trayvane/Common/AppInfo.h"
#include "Trayvane/Common/DefaultsKey.h"
#include "Trayvane/Help/AboutWindow.h"
#include "Trayvane/Help/HelpTextView.h"
#include "Trayvane/Help/HelpWindow.h"
#include "Trayvane/Panels/BelowBarCell.h"
#include "Trayvane/Panels/BelowBarPanel.h"
#include "Trayvane/Settings/GeneralSettingsView.h"
#include "Trayvane/Settings/SettingsCheckBox.h"
#include "Trayvane/StatusItem/ControlItem.h"

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace std::chrono_literals;
using core::AppKey;
using core::MenuBarState;
using pellacor::testing::Computer;
using pellacor::testing::hiddenApp;
using pellacor::testing::ProgramRun;
using Outcome = pellacor::testing::DesktopTime::Outcome;

namespace {

// One launch of the program with the desktop view drawing its simulated
// desktop; the program's panels are placed through the view.
struct OnDesktop {
    Computer computer;
    ProgramRun run{computer, computer.scenario()};
    demo::DesktopView view{run.simulated};

    OnDesktop() {
        view.resize(view.sizeHint());
        view.show();
        run.environment.place = [this](core::Point topDown) { return view.globalPosition(topDown); };
    }
    app::AppDelegate& launch() {
        auto& delegate = run.launch();
        EXPECT_TRUE(run.reaches(MenuBarState::collapsed));
        view.refresh();
        return delegate;
    }

    static void key(QWidget* to, int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                    const QString& text = {}) {
        ASSERT_NE(to, nullptr);
        QKeyEvent press(QEvent::KeyPress, code, modifiers, text);
        QApplication::sendEvent(to, &press);
    }
    void clickControlItem() {
        demo::sendClick(view, pellacor::testing::controlItemRect(view).center());
        run.time->settle();
    }

    // The menu of the application's item that the latest press opened, once it is open.
    std::optional<platform::SimulatedDesktop::Window> openMenuOf(const std::string& bundleID) const {
        const auto desktop = run.simulated->desktop();
        const auto app = desktop->runningApplication(bundleID);
        if (!app) {
            return std::nullopt;
        }
        for (const auto& window : desktop->windows()) {
            if (window.ownerProcessIdentifier == app->processIdentifier &&
                window.layer == platform::SimulatedDesktop::menuLayer) {
                return window;
            }
        }
        return std::nullopt;
    }
    // Whether that menu opens within `limit` of virtual time from now.
    bool menuOpens(const std::string& bundleID, concurrency::Duration limit = 15s) {
        return run.time->runUntil([&] { return openMenuOf(bundleID).has_value(); }, limit) == Outcome::done;
    }

    // The applications on the bar from left to right, each once, without the
    // program itself and Apple's.
    std::vector<std::string> barOrder() const {
        std::vector<std::string> order;
        for (const auto& placed : run.simulated->desktop()->menuBarItems()) {
            const auto& owner = placed.ownerBundleIdentifier;
            if (owner && !owner->starts_with("com.apple.") && *owner != core::bundleIdentifier &&
                std::find(order.begin(), order.end(), *owner) == order.end()) {
                order.push_back(*owner);
            }
        }
        return order;
    }
};

// Chooses the entry titled `title` in the control item's menu once a click
// has opened it (the menu runs its own loop until an entry is chosen).
void chooseInMenuOnceOpen(const QString& title) {
    QTimer::singleShot(0, [title] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << "the click opened no menu";
        for (QAction* action : menu->actions()) {
            if (action->text() == title) {
                ASSERT_TRUE(action->isEnabled()) << title.toStdString();
                menu->setActiveAction(action);
                action->trigger();
                menu->close();
                return;
            }
        }
        ADD_FAILURE() << "no entry " << title.toStdString();
        menu->close();
    });
}

} // namespace

TEST(ProgramOnDemoDesktopTest,
     PausedByShiftAtLaunchTheNoticeOpensTheHelpAtNothingHiddenAndAboutShowsTheVersion) {
    OnDesktop desktop;
    desktop.run.simulated->input()->setModifierFlags(platform::InputState::shiftFlag);
    auto& delegate = desktop.run.launch();
    desktop.run.simulated->input()->setModifierFlags(0);
    ASSERT_TRUE(desktop.run.reaches(MenuBarState::paused));
    desktop.view.refresh();

    // While paused a plain click opens the menu; its first entry is the notice.
    chooseInMenuOnceOpen("⇧ か ⌥ を押して起動したので、一時停止中です");
    desktop.clickControlItem();
    QWidget* help = delegate.support().help().window();
    ASSERT_TRUE(help != nullptr && help->isVisible()) << "the notice opened the help";
    const int row = delegate.support().help().contents()->currentRow();
    ASSERT_GE(row, 0);
    const auto& title = delegate.support().help().page().rows[static_cast<std::size_t>(row)].title;
    EXPECT_TRUE(title == "何も隠れない" || title == "Nothing is hidden") << title;
    EXPECT_EQ(delegate.support().help().text()->textCursor().position(),
              static_cast<int>(delegate.support().help().page().rows[static_cast<std::size_t>(row)].start));

    chooseInMenuOnceOpen("Pellacor について");
    desktop.clickControlItem();
    QWidget* about = delegate.support().about().window();
    ASSERT_TRUE(about != nullptr && about->isVisible()) << "About is no longer greyed";
    const auto* version = about->findChild<QLabel*>("about:version");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text().toStdString(),
              app::AppInfo::versionLine(app::AppInfo::version(), app::AppInfo::build(), true));
}

TEST(ProgramOnDemoDesktopTest, WithTheBelowBarSwitchOnAClickOpensThePanelAndACellOpensThatItemsMenu) {
    OnDesktop desktop;
    // Stored before launch: the program reads the switches at start-up.
    desktop.computer.defaults(*desktop.run.simulated).setBool(app::DefaultsKey::belowBarEnabled, true);
    auto& delegate = desktop.launch();
    ASSERT_FALSE(desktop.run.onBar(hiddenApp));

    desktop.clickControlItem();
    auto* panel = delegate.panels().belowBar().panel();
    ASSERT_TRUE(panel != nullptr && panel->isVisible()) << "the click opened the panel";
    EXPECT_EQ(desktop.run.state(), MenuBarState::collapsed) << "instead of revealing";
    auto* cell = panel->findChild<app::BelowBarCell*>(QString("belowbar:") + hiddenApp + "#0");
    ASSERT_NE(cell, nullptr);

    demo::sendClick(*cell, QRectF(cell->rect()).center());
    EXPECT_TRUE(desktop.menuOpens(hiddenApp, 300ms)) << "that hidden item's menu opened within 0.3 s";
    EXPECT_FALSE(delegate.panels().belowBar().isOpen());
}

TEST(ProgramOnDemoDesktopTest, TheSearchHotKeyOpensThePanelAndTypingAndReturnPressTheItem) {
    OnDesktop desktop;
    auto& delegate = desktop.launch();

    // ⌃⇧F on the desktop's keyboard.
    desktop.view.setFocus();
    OnDesktop::key(&desktop.view, Qt::Key_F, Qt::MetaModifier | Qt::ShiftModifier);
    desktop.run.time->settle();
    ASSERT_TRUE(delegate.panels().search().isOpen());

    for (const QChar character : QString("fern")) {
        OnDesktop::key(QApplication::focusWidget(), 0, Qt::NoModifier, QString(character));
    }
    EXPECT_EQ(delegate.panels().search().model().query(), "fern");
    OnDesktop::key(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(delegate.panels().search().isOpen()) << "closed for the press";
    EXPECT_TRUE(desktop.menuOpens(hiddenApp, 300ms))
        << "the found item was pressed, its menu open within 0.3 s";

    // The hot key again while it is open closes it.
    OnDesktop::key(&desktop.view, Qt::Key_F, Qt::MetaModifier | Qt::ShiftModifier);
    desktop.run.time->settle();
    ASSERT_TRUE(delegate.panels().search().isOpen());
    const pellacor::testing::LogCapture log;
    OnDesktop::key(&desktop.view, Qt::Key_F, Qt::MetaModifier | Qt::ShiftModifier);
    desktop.run.time->settle();
    EXPECT_FALSE(delegate.panels().search().isOpen());
    EXPECT_TRUE(log.contains("app", "検索の窓を閉じました（ホットキー）"));
}

TEST(ProgramOnDemoDesktopTest, GrantingTheLayoutFolderInTheRealDialogMakesTheBarFollowTheProfile) {
    constexpr const char* left = "com.example.zephyrin";
    constexpr const char* right = "com.example.lanternmeter";
    OnDesktop desktop;
    auto& run = desktop.run;
    auto& delegate = desktop.launch();
    // The sections page moves both into the shown section; a while later the
    // menu bar has recorded every item it shows.
    core::Profile profile = delegate.settings().sectionsModel()->profile();
    profile.assign(AppKey(left), core::Section::shown);
    profile.assign(AppKey(right), core::Section::shown);
    delegate.settings().sectionsModel()->onChange(profile);
    ASSERT_EQ(run.time->runFor(5s), Outcome::done);
    const auto before = desktop.barOrder();
    ASSERT_LT(std::find(before.begin(), before.end(), right), std::find(before.begin(), before.end(), left))
        << "the bar starts in the other order";

    // The dialog is answered as a person would: "開く" in the folder it opened in.
    const auto folder = desktop.computer.folder / "home/Library/Group Containers/com.apple.MenuBar";
    std::string openedIn;
    bool answered = false;
    QTimer::singleShot(0, qApp, [&] {
        auto* panel = QApplication::activeModalWidget();
        ASSERT_NE(panel, nullptr) << "the dialog is up, modally";
        ASSERT_EQ(panel->objectName(), app::LayoutFolderPanel::identifier);
        auto* chooser = panel->findChild<QFileDialog*>("layout-folder-chooser");
        ASSERT_NE(chooser, nullptr);
        openedIn = chooser->directory().absolutePath().toStdString();
        for (auto* button : chooser->findChildren<QPushButton*>()) {
            if (button->text() == "開く") {
                answered = true;
                button->click();
                return;
            }
        }
        chooser->reject();
    });
    // The sections page's reorder: the first one further left.
    profile.order = {AppKey(left), AppKey(right)};
    delegate.settings().sectionsModel()->onReorder(profile);
    ASSERT_EQ(run.time->runFor(3s), Outcome::done);
    // The dialog is answered on the application's next turn.
    QCoreApplication::processEvents();
    ASSERT_EQ(run.time->runFor(3s), Outcome::done);

    EXPECT_TRUE(answered);
    EXPECT_EQ(openedIn, folder.string());
    EXPECT_TRUE(run.simulated->desktop()->isMenuBarContainerGranted()) << "choosing it granted it";
    EXPECT_FALSE(run.coordinator().reorderIsWaitingForFolder());
    desktop.view.refresh();
    const auto after = desktop.barOrder();
    EXPECT_LT(std::find(after.begin(), after.end(), left), std::find(after.begin(), after.end(), right))
        << "the bar follows the profile's order";
    EXPECT_EQ(delegate.settings().sectionsModel()->layoutOrder(),
              std::optional(core::OrderPlanner::currentOrder(run.simulated->desktop()->layoutTable(),
                                                             std::string(core::bundleIdentifier))));
}

TEST(ProgramOnDemoDesktopTest, TheGeneralPageSwitchesTheBelowBarPanelAndPausesAtOnce) {
    OnDesktop desktop;
    auto& delegate = desktop.launch();
    // The page as the settings window will host it, over the program's own model.
    app::GeneralSettingsView page(*delegate.settings().general());
    page.resize(560, 900);
    page.show();
    QCoreApplication::processEvents();
    const auto click = [&](const char* name) {
        auto* widget = page.findChild<QWidget*>(name);
        ASSERT_NE(widget, nullptr) << name;
        demo::sendClick(*widget, QRectF(widget->rect()).center());
        desktop.run.time->settle();
    };
    auto* belowBar = page.findChild<app::SettingsCheckBox*>("general:belowBar");
    ASSERT_NE(belowBar, nullptr);
    ASSERT_FALSE(belowBar->isOn());

    click("general:belowBar");
    EXPECT_TRUE(belowBar->isOn()) << "the delegate wrote the stored value back";
    EXPECT_TRUE(desktop.computer.defaults(*desktop.run.simulated).boolean(app::DefaultsKey::belowBarEnabled));
    desktop.clickControlItem();
    auto* panel = delegate.panels().belowBar().panel();
    ASSERT_TRUE(panel != nullptr && panel->isVisible()) << "the panel opened, with no restart";
    EXPECT_EQ(desktop.run.state(), MenuBarState::collapsed);

    click("general:belowBar");
    EXPECT_FALSE(belowBar->isOn());
    EXPECT_FALSE(delegate.panels().belowBar().isOpen()) << "switching it off closed the panel";
    desktop.clickControlItem();
    EXPECT_TRUE(desktop.run.reaches(MenuBarState::revealed)) << "a click reveals again";
    EXPECT_FALSE(delegate.panels().belowBar().isOpen());

    const auto icon = [&] { return delegate.statusItems().controlItem()->statusItem()->image(); };
    const auto drawn = [](core::MenuBarState state, const std::optional<coordinator::PauseReason>& reason) {
        return app::ControlItem::image(state, reason);
    };
    const auto collapsedIcon = drawn(MenuBarState::collapsed, std::nullopt);
    click("general:pause");
    ASSERT_TRUE(desktop.run.reaches(MenuBarState::paused));
    ASSERT_TRUE(icon().has_value());
    EXPECT_EQ(icon()->rgba,
              drawn(MenuBarState::paused, desktop.run.coordinator().currentPauseReason())->rgba);
    EXPECT_NE(icon()->rgba, collapsedIcon->rgba);
    auto* resume = page.findChild<QWidget*>("general:resume");
    ASSERT_NE(resume, nullptr);
    EXPECT_TRUE(resume->isVisible());

    click("general:resume");
    ASSERT_TRUE(desktop.run.reaches(MenuBarState::collapsed));
    EXPECT_EQ(icon()->rgba, collapsedIcon->rgba);
    EXPECT_FALSE(resume->isVisible());
}

} // namespace PELLACOR_TEST_FILE
