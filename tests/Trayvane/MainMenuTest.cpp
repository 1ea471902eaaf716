#include "Trayvane/MainMenu/MainMenu.h"

#include "DemoDesktop/OffscreenApplication.h"
#include "Trayvane/MainMenu/MainMenuActions.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::MainMenu;
using app::MainMenuActions;

namespace {

// One line per item: title, action and key ("⇧⌘z"); "---" for a separator;
// each submenu under its title in brackets.
std::vector<std::string> outline(const MainMenu::Menu& menu) {
    std::vector<std::string> lines;
    for (const auto& submenu : menu.submenus) {
        lines.push_back("[" + submenu.title + "]");
        for (const auto& item : submenu.items) {
            if (item.isSeparator()) {
                lines.push_back("---");
                continue;
            }
            std::string key;
            if (!item.keyEquivalent.empty()) {
                key = std::string(item.modifierMask & MainMenu::shiftMask ? "⇧" : "") +
                      (item.modifierMask & MainMenu::commandMask ? "⌘" : "") + item.keyEquivalent;
            }
            lines.push_back(item.title + " " + item.action + (key.empty() ? "" : " " + key));
        }
    }
    return lines;
}

} // namespace

TEST(MainMenuTest, HoldsTheFourMenusWithTheirActionsAndKeys) {
    const auto menu = MainMenu::make();
    EXPECT_EQ(outline(menu), (std::vector<std::string>{
                                 "[]",
                                 "Pellacor について openAbout:",
                                 "---",
                                 "設定… openSettings: ⌘,",
                                 "---",
                                 "Pellacor を終了 terminate: ⌘q",
                                 "[編集]",
                                 "取り消す undo: ⌘z",
                                 "やり直す redo: ⇧⌘z",
                                 "---",
                                 "カット cut: ⌘x",
                                 "コピー copy: ⌘c",
                                 "ペースト paste: ⌘v",
                                 "すべてを選択 selectAll: ⌘a",
                                 "[ウインドウ]",
                                 "閉じる performClose: ⌘w",
                                 "[ヘルプ]",
                                 "Pellacor のヘルプ openHelp: ⌘?",
                                 "---",
                                 "ご意見・不具合を送る… sendFeedback:",
                                 "アップデートを確認 checkForUpdate:",
                             }));
    EXPECT_EQ(menu.submenus.at(menu.helpMenu).title, "ヘルプ");
}

TEST(MainMenuTest, EachActionGoesWhereTheResponderChainWouldTakeIt) {
    using Target = MainMenu::Target;
    const std::pair<const char*, std::optional<Target>> cases[] = {
        {"undo:", Target::focusedView},
        {"redo:", Target::focusedView},
        {"cut:", Target::focusedView},
        {"copy:", Target::focusedView},
        {"paste:", Target::focusedView},
        {"selectAll:", Target::focusedView},
        {"performClose:", Target::window},
        {"terminate:", Target::application},
        {"openAbout:", Target::delegate},
        {"openSettings:", Target::delegate},
        {"openHelp:", Target::delegate},
        {"sendFeedback:", Target::delegate},
        {"checkForUpdate:", Target::delegate},
        {"print:", std::nullopt},
        {"copy", std::nullopt},
    };
    for (const auto& [action, target] : cases) {
        SCOPED_TRACE(action);
        EXPECT_EQ(MainMenu::target(action), target);
    }
    for (const auto& submenu : MainMenu::make().submenus) {
        for (const auto& item : submenu.items) {
            EXPECT_TRUE(item.isSeparator() || MainMenu::target(item.action)) << item.action;
        }
    }
}

TEST(MainMenuTest, CommandIsTheControlKey) {
    const auto key = [](std::string equivalent, std::uint64_t mask = MainMenu::commandMask) {
        return MainMenuActions::keySequence(MainMenu::Item{"x", "copy:", std::move(equivalent), mask});
    };
    EXPECT_EQ(key(","), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    EXPECT_EQ(key("q"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(key("?"), QKeySequence(Qt::CTRL | Qt::Key_Question));
    EXPECT_EQ(key("z", MainMenu::shiftMask | MainMenu::commandMask),
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    EXPECT_EQ(key(""), QKeySequence());
    EXPECT_EQ(key("ab"), QKeySequence());
}

namespace {

// The actions over two windows of the program, and a window that stands for
// the desktop around it.
struct MainMenuActionsTest : ::testing::Test {
    QApplication& application = pellacor::testing::offscreenApplication();
    std::unique_ptr<QWidget> first = std::make_unique<QWidget>();
    std::unique_ptr<QWidget> outside = std::make_unique<QWidget>();
    std::unique_ptr<MainMenuActions> actions;
    std::unique_ptr<QWidget> second = std::make_unique<QWidget>();
    QLineEdit* field = new QLineEdit(second.get());
    std::vector<std::string> performed;

    MainMenuActionsTest() {
        outside->setProperty(MainMenuActions::outsideProgramProperty, true);
        first->show();
        outside->show();
        // Made after the first window is on screen and before the second.
        actions = std::make_unique<MainMenuActions>(MainMenu::make());
        (new QVBoxLayout(second.get()))->addWidget(field);
        second->show();
        for (const char* action : {"openSettings:", "openHelp:"}) {
            actions->setDelegateAction(action, [this, action] { performed.emplace_back(action); });
        }
    }

    bool hasActions(QWidget& window) const {
        for (QAction* action : actions->actions()) {
            if (!window.actions().contains(action)) {
                return false;
            }
        }
        return !actions->actions().empty();
    }
    void activate(QWidget& window) {
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
};

} // namespace

TEST_F(MainMenuActionsTest, EveryWindowOfTheProgramGetsTheCommandsButMenusAndTheDesktopDoNot) {
    EXPECT_TRUE(hasActions(*first)) << "shown before the actions were made";
    EXPECT_TRUE(hasActions(*second)) << "shown afterwards";
    EXPECT_FALSE(hasActions(*outside));
    QMenu menu;
    menu.addAction("an entry");
    menu.popup(QPoint(10, 10));
    EXPECT_EQ(menu.actions().size(), 1) << "a menu shows only its own entries";
    menu.close();

    QAction* settings = actions->action("openSettings:");
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->objectName(), "mainMenu:openSettings");
    EXPECT_EQ(settings->text(), "設定…");
    EXPECT_EQ(settings->shortcutContext(), Qt::WindowShortcut);
    EXPECT_EQ(actions->actions().size(), 13u);
}

TEST_F(MainMenuActionsTest, AKeyEquivalentWorksInWhicheverWindowOfTheProgramIsActive) {
    activate(*second);
    QTest::keyClick(second.get(), Qt::Key_Comma, Qt::ControlModifier);
    activate(*first);
    QTest::keyClick(first.get(), Qt::Key_Question, Qt::ControlModifier);
    EXPECT_EQ(performed, (std::vector<std::string>{"openSettings:", "openHelp:"}));

    activate(*outside);
    QTest::keyClick(outside.get(), Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_EQ(performed.size(), 2u) << "the desktop around the program is not one of its windows";
}

TEST_F(MainMenuActionsTest, TheDelegatesCommandsDoNothingUntilWired) {
    EXPECT_FALSE(actions->action("openAbout:")->isEnabled()) << "greyed while nobody handles it";
    EXPECT_TRUE(actions->action("openSettings:")->isEnabled());
    EXPECT_TRUE(actions->action("copy:")->isEnabled()) << "not the delegate's";
    EXPECT_FALSE(actions->perform("openAbout:"));
    EXPECT_FALSE(actions->perform("checkForUpdate:"));
    EXPECT_FALSE(actions->perform("print:"));
    EXPECT_TRUE(actions->perform("openSettings:"));
    EXPECT_EQ(performed, std::vector<std::string>{"openSettings:"});
}

TEST_F(MainMenuActionsTest, EditingGoesToTheFocusedFieldAndClosingToTheActiveWindow) {
    activate(*second);
    field->setText("Pellacor");
    field->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), field);
    EXPECT_TRUE(actions->perform("selectAll:"));
    EXPECT_EQ(field->selectedText(), "Pellacor");
    EXPECT_TRUE(actions->perform("cut:"));
    EXPECT_EQ(field->text(), "");
    EXPECT_TRUE(actions->perform("undo:"));
    EXPECT_EQ(field->text(), "Pellacor");

    EXPECT_TRUE(actions->perform("performClose:"));
    EXPECT_FALSE(second->isVisible());
    EXPECT_TRUE(first->isVisible());
}

TEST_F(MainMenuActionsTest, ASelectableLabelIsSelectedAndCopiedButNeverEdited) {
    auto* selectable = new QLabel("バージョン 0.1.0", second.get());
    selectable->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto* plain = new QLabel("a caption", second.get());
    second->layout()->addWidget(selectable);
    second->layout()->addWidget(plain);
    activate(*second);
    QApplication::clipboard()->setText("before");
    selectable->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), selectable);
    EXPECT_FALSE(actions->perform("copy:")) << "nothing selected yet";
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
    // As a person does it: the menu's keys, in the focused label.
    QTest::keyClick(selectable, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selectable->selectedText(), "バージョン 0.1.0");
    QTest::keyClick(selectable, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "バージョン 0.1.0");
    for (const char* edit : {"cut:", "paste:", "undo:"}) {
        EXPECT_FALSE(actions->perform(edit)) << edit;
    }
    EXPECT_EQ(selectable->text(), "バージョン 0.1.0");

    plain->setFocusPolicy(Qt::StrongFocus);
    plain->setFocus();
    EXPECT_FALSE(actions->perform("selectAll:")) << "a label that cannot be selected";
}

TEST_F(MainMenuActionsTest, NeitherEditingNorClosingReachesTheDesktopAroundTheProgram) {
    auto* desktopField = new QLineEdit(outside.get());
    desktopField->setText("desktop");
    activate(*outside);
    desktopField->setFocus();
    EXPECT_FALSE(actions->perform("selectAll:"));
    EXPECT_EQ(desktopField->selectedText(), "");
    EXPECT_FALSE(actions->perform("performClose:"));
    EXPECT_TRUE(outside->isVisible());
}

} // namespace PELLACOR_TEST_FILE
