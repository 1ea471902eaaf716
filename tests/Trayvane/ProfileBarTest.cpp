#include "Trayvane/Settings/ProfileBar.h"

#include "DemoDesktop/OffscreenApplication.h"
#include "Trayvane/Settings/ProfileDeleteSheet.h"
#include "Trayvane/Settings/ProfileNameSheet.h"
#include "Trayvane/Theme/AppButton.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QWindow>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::app;
using core::Uuid;

namespace {

const std::string longDeleteText = "このプロファイルの振り分けと順番は消えます。元に戻せません。"
                                   "削除すると、一覧のいちばん上のプロファイルに切り替わります。";
const std::string shortDeleteText = "このプロファイルの振り分けと順番は消えます。元に戻せません。";

std::string text(const QLabel& label) {
    return label.text().toStdString();
}

void press(QWidget& target, Qt::Key key) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&target, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(&target, &up);
}

// A bar on screen over three profiles, the second active, with every callback
// recorded; the shell's answers are the fixture's to choose.
struct Bar : ::testing::Test {
    Uuid home = Uuid::random();
    Uuid work = Uuid::random();
    Uuid trip = Uuid::random();
    ProfilesModel model;
    std::vector<std::string> calls;
    bool answer = true;
    std::unique_ptr<ProfileBar> bar;

    void SetUp() override {
        pellacor::testing::offscreenApplication();
        model.setChoices({{home, "家", false}, {work, "仕事", true}, {trip, "旅行", false}});
        model.onSwitch = [this](const Uuid& id) { calls.push_back("switch:" + id.uuidString()); };
        model.onAdd = [this](const std::string& name) { return calls.push_back("add:" + name), answer; };
        model.onRename = [this](const Uuid& id, const std::string& name) {
            return calls.push_back("rename:" + id.uuidString() + ":" + name), answer;
        };
        model.onDelete = [this](const Uuid& id) { calls.push_back("delete:" + id.uuidString()); };
        model.suggestName = [](const std::string& base) { return base + " 2"; };
        bar = std::make_unique<ProfileBar>(model);
        bar->show();
    }

    AppButton& button(const char* name) const { return *bar->findChild<AppButton*>(name); }
    std::vector<bool> checks() const {
        std::vector<bool> checked;
        for (const QAction* action : bar->profileMenu().actions()) {
            checked.push_back(action->isChecked());
        }
        return checked;
    }
    QLineEdit& nameField() const { return *bar->nameSheet()->findChild<QLineEdit*>("profile:name"); }
};

} // namespace

TEST_F(Bar, ButtonsTheNoteAndThePickerFollowTheList) {
    struct Case {
        const char* what;
        std::vector<ProfileChoice> choices;
        const char* picker;
        bool renameEnabled;
        bool deleteEnabled;
    };
    const std::vector<Case> cases{
        {"three, one active",
         {{home, "家", false}, {work, "仕事", true}, {trip, "旅行", false}},
         "仕事",
         true,
         true},
        {"two, none active", {{home, "家", false}, {work, "仕事", false}}, "プロファイル", false, true},
        {"one, active", {{home, "家", true}}, "家", true, false},
        {"none", {}, "プロファイル", false, false},
    };
    for (const auto& c : cases) {
        model.setChoices(c.choices);
        EXPECT_EQ(bar->findChild<QPushButton*>("profile:picker")->text().toStdString(), c.picker) << c.what;
        EXPECT_TRUE(button("profile:add").isEnabled()) << c.what;
        EXPECT_EQ(button("profile:rename").isEnabled(), c.renameEnabled) << c.what;
        EXPECT_EQ(button("profile:delete").isEnabled(), c.deleteEnabled) << c.what;
        const auto& note = *bar->findChild<QLabel*>("profile:note");
        EXPECT_EQ(note.isVisible(), c.choices.size() < 2) << c.what;
        EXPECT_EQ(text(note), "プロファイルが1つのときは削除できません。");
        EXPECT_EQ(bar->profileMenu().actions().size(), static_cast<qsizetype>(c.choices.size())) << c.what;
    }
    // Without an active profile the rename and delete actions open nothing.
    bar->rename();
    bar->remove();
    EXPECT_FALSE(bar->nameSheet());
    EXPECT_FALSE(bar->deleteSheet());
}

TEST_F(Bar, TheMenusChecksFollowTheModelNotTheClick) {
    ASSERT_EQ(checks(), (std::vector<bool>{false, true, false}));
    // The shell refuses, or has not written yet: the click moves no check.
    bar->profileMenu().actions()[2]->trigger();
    EXPECT_EQ(checks(), (std::vector<bool>{false, true, false}));
    // Choosing the active one again asks for it all the same.
    bar->profileMenu().actions()[1]->trigger();
    EXPECT_EQ(checks(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(calls,
              (std::vector<std::string>{"switch:" + trip.uuidString(), "switch:" + work.uuidString()}));

    // A shell that switches writes the new list, and the checks follow it.
    model.onSwitch = [this](const Uuid& id) {
        auto choices = model.choices();
        for (auto& choice : choices) {
            choice.isActive = choice.id == id;
        }
        model.setChoices(std::move(choices));
    };
    bar->profileMenu().actions()[0]->trigger();
    QApplication::processEvents(); // the old entries go away
    EXPECT_EQ(checks(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(bar->findChild<QPushButton*>("profile:picker")->text().toStdString(), "家");

    model.onSwitch = nullptr;
    bar->profileMenu().actions()[2]->trigger();
    EXPECT_EQ(checks(), (std::vector<bool>{true, false, false}));
}

TEST_F(Bar, EscapeClosesEitherSheetWithoutCallingAnything) {
    bar->add();
    ASSERT_TRUE(bar->nameSheet());
    EXPECT_TRUE(bar->nameSheet()->isVisible());
    EXPECT_TRUE(bar->nameSheet()->windowModality() == Qt::WindowModal);
    press(nameField(), Qt::Key_Escape);
    EXPECT_FALSE(bar->editor());
    EXPECT_FALSE(bar->nameSheet());

    bar->rename();
    ASSERT_TRUE(bar->nameSheet());
    press(nameField(), Qt::Key_Escape);
    EXPECT_FALSE(bar->nameSheet());

    bar->remove();
    ASSERT_TRUE(bar->deleteSheet());
    EXPECT_TRUE(bar->deleteSheet()->windowModality() == Qt::WindowModal);
    press(*bar->deleteSheet()->findChild<AppButton*>("profile:confirmDelete"), Qt::Key_Escape);
    EXPECT_FALSE(bar->deleting());
    EXPECT_FALSE(bar->deleteSheet());
    EXPECT_TRUE(calls.empty());
}

TEST_F(Bar, ReturnInTheNameSheetCommits) {
    bar->add();
    ASSERT_TRUE(bar->editor());
    EXPECT_TRUE(bar->editor()->isAdding());
    EXPECT_EQ(nameField().text().toStdString(), "仕事 2") << "the suggestion for the active profile's name";
    nameField().setText("出張");
    press(nameField(), Qt::Key_Return);
    EXPECT_EQ(calls, (std::vector<std::string>{"add:出張"})) << "committed once";
    EXPECT_FALSE(bar->nameSheet());

    // Renaming to the unchanged name closes without asking; another name asks.
    bar->rename();
    ASSERT_TRUE(bar->editor());
    EXPECT_EQ(bar->editor()->renaming(), work);
    EXPECT_EQ(nameField().text().toStdString(), "仕事");
    press(nameField(), Qt::Key_Return);
    EXPECT_FALSE(bar->nameSheet());
    EXPECT_EQ(calls.size(), 1U);
    bar->rename();
    nameField().setText("しごと");
    press(*bar->nameSheet()->findChild<AppButton*>("profile:cancel"), Qt::Key_Return);
    EXPECT_EQ(calls.back(), "rename:" + work.uuidString() + ":しごと")
        << "Return commits wherever the focus is";
    EXPECT_FALSE(bar->nameSheet());
}

TEST_F(Bar, ARefusedNameKeepsTheSheetWithItsProblemUntilTheNextCommit) {
    answer = false;
    bar->add();
    const Uuid first = bar->editor()->id;
    press(nameField(), Qt::Key_Return);
    ASSERT_TRUE(bar->nameSheet());
    const auto& problem = *bar->nameSheet()->findChild<QLabel*>("profile:problem");
    EXPECT_TRUE(problem.isVisible());
    EXPECT_EQ(text(problem), "変えられませんでした。もう一度試してください。");
    EXPECT_EQ(nameField().text().toStdString(), "仕事 2") << "the typed name stays";

    // Typing does not check: the problem stays until the next commit.
    nameField().setText("家");
    EXPECT_EQ(text(problem), "変えられませんでした。もう一度試してください。");
    press(nameField(), Qt::Key_Return);
    EXPECT_EQ(text(problem), "「家」はもうあります。別の名前にしてください。");
    EXPECT_EQ(calls, (std::vector<std::string>{"add:仕事 2"}));

    // Opened again, it is a new sheet: its own id, the suggestion, no problem.
    press(nameField(), Qt::Key_Escape);
    bar->add();
    ASSERT_TRUE(bar->editor());
    EXPECT_NE(bar->editor()->id, first);
    EXPECT_EQ(nameField().text().toStdString(), "仕事 2");
    EXPECT_FALSE(bar->nameSheet()->problem());
    EXPECT_FALSE(bar->nameSheet()->findChild<QLabel*>("profile:problem")->isVisible());
}

TEST_F(Bar, ReturnInTheDeleteSheetDoesNotDelete) {
    bar->remove();
    ASSERT_TRUE(bar->deleting());
    EXPECT_EQ(bar->deleting()->id, work);
    auto& confirm = *bar->deleteSheet()->findChild<AppButton*>("profile:confirmDelete");
    EXPECT_FALSE(confirm.isDefault());
    EXPECT_FALSE(confirm.autoDefault());
    for (auto* button : bar->deleteSheet()->findChildren<AppButton*>()) {
        EXPECT_FALSE(button->isDefault());
    }
    confirm.setFocus();
    press(confirm, Qt::Key_Return);
    press(confirm, Qt::Key_Enter);
    EXPECT_TRUE(calls.empty());
    ASSERT_TRUE(bar->deleteSheet());

    confirm.click();
    EXPECT_EQ(calls, (std::vector<std::string>{"delete:" + work.uuidString()}));
    EXPECT_FALSE(bar->deleteSheet());
    EXPECT_FALSE(bar->deleting());
}

TEST_F(Bar, TheDeleteSheetSaysWhetherItSwitchesAsTheListStandsNow) {
    bar->remove();
    ProfileDeleteSheet& sheet = *bar->deleteSheet();
    const auto& words = *sheet.findChild<QLabel*>("profile:deleteText");
    EXPECT_EQ(text(*sheet.findChild<QLabel*>("profile:sheetTitle")), "「仕事」を削除しますか？");
    EXPECT_EQ(text(words), longDeleteText);
    // The shell made another profile active meanwhile.
    model.setChoices({{home, "家", true}, {work, "仕事", false}, {trip, "旅行", false}});
    EXPECT_EQ(text(words), shortDeleteText);
    // Gone from the list: as it was when the sheet opened.
    model.setChoices({{home, "家", true}, {trip, "旅行", false}});
    EXPECT_EQ(text(words), longDeleteText);
    sheet.reject();

    // A sheet for a profile that is not the active one deletes that one.
    ProfileDeleteSheet other({trip, "旅行", false}, model, bar.get());
    EXPECT_EQ(text(*other.findChild<QLabel*>("profile:deleteText")), shortDeleteText);
    other.findChild<AppButton*>("profile:confirmDelete")->click();
    EXPECT_EQ(calls, (std::vector<std::string>{"delete:" + trip.uuidString()}));
    EXPECT_EQ(other.result(), QDialog::Accepted);
}

// A name is shown as typed wherever it stands: Qt takes "&" in a button's or a
// menu entry's title for the mark of a shortcut letter, and "[*]" in a
// window's title for the place of a mark, and would swallow both.
TEST_F(Bar, ANameShowsAsTypedInThePickerItsMenuAndTheDeleteSheet) {
    model.setChoices({{home, "A&B 旅行", true}, {work, "&&", false}, {trip, "旅[*]行", false}});
    const auto& picker = *bar->findChild<QPushButton*>("profile:picker");
    EXPECT_EQ(picker.text(), QString::fromUtf8("A&&B 旅行")) << "drawn as A&B 旅行";
    EXPECT_TRUE(QKeySequence::mnemonic(picker.text()).isEmpty()) << "no shortcut letter";
    std::vector<std::string> entries;
    for (const QAction* action : bar->profileMenu().actions()) {
        // iconText() is the title as shown, shortcut marks taken out.
        entries.push_back(action->iconText().toStdString());
        EXPECT_TRUE(QKeySequence::mnemonic(action->text()).isEmpty()) << entries.back();
    }
    EXPECT_EQ(entries, (std::vector<std::string>{"A&B 旅行", "&&", "旅[*]行"}));

    ProfileDeleteSheet sheet({trip, "旅[*]行", false}, model, bar.get());
    sheet.show();
    ASSERT_NE(sheet.windowHandle(), nullptr);
    EXPECT_EQ(sheet.windowHandle()->title().toStdString(), "「旅[*]行」を削除しますか？");
    EXPECT_EQ(text(*sheet.findChild<QLabel*>("profile:sheetTitle")), "「旅[*]行」を削除しますか？");
}

} // namespace PELLACOR_TEST_FILE
