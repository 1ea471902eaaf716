#include "Trayvane/Settings/RulesSettingsView.h"

#include "DemoDesktop/OffscreenApplication.h"
#include "Trayvane/Settings/RuleAddSheet.h"
#include "Trayvane/Settings/RuleLayoutChooser.h"
#include "Trayvane/Settings/RuleRowView.h"
#include "Trayvane/Theme/AppButton.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::app;
using core::Uuid;
using Condition = core::AppRule::Condition;
using Layout = RuleLayoutChooser::Layout;

namespace {

void press(QWidget& target, Qt::Key key) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&target, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(&target, &up);
}

// A page on screen over two profiles, the second active, with every callback
// recorded; the shell's answer to an add is the fixture's to choose.
struct RulesPage : ::testing::Test {
    Uuid home = Uuid::random();
    Uuid work = Uuid::random();
    RulesModel model;
    std::vector<std::string> calls;
    bool answer = true;
    std::optional<RuleAppChoice> other;
    std::unique_ptr<RulesSettingsView> page;

    void SetUp() override {
        pellacor::testing::offscreenApplication();
        model.setProfiles({{home, "家", false}, {work, "仕事", true}});
        model.onAdd = [this](const std::string& bundleID, Condition condition, const Uuid& profile) {
            calls.push_back("add:" + bundleID + ":" + core::toString(condition) + ":" +
                            (profile == home ? "home" : "work"));
            return answer;
        };
        model.onSetCondition = [this](const Uuid& id, Condition condition) {
            calls.push_back("condition:" + name(id) + ":" + core::toString(condition));
            return true;
        };
        model.onSetProfile = [this](const Uuid& id, const Uuid& profile) {
            calls.push_back("profile:" + name(id) + ":" + (profile == home ? "home" : "work"));
            return true;
        };
        model.onMoveUp = [this](const Uuid& id) { calls.push_back("up:" + name(id)); };
        model.onDelete = [this](const Uuid& id) { calls.push_back("delete:" + name(id)); };
        model.runningApps = [] {
            return std::vector<RuleAppChoice>{{"com.example.mail", "Mail"}, {"com.example.notes", "Notes"}};
        };
        model.chooseOtherApp = [this] { return other; };
        page = std::make_unique<RulesSettingsView>(model, nullptr);
        page->resize(640, 600);
        page->show();
    }

    std::string name(const Uuid& id) const {
        for (const auto& row : model.rows()) {
            if (row.id == id) {
                return row.appName + "/" + core::toString(row.condition);
            }
        }
        return "?";
    }

    RuleRow rule(std::string bundleID, std::string appName, Condition condition,
                 bool applying = false) const {
        return {Uuid::random(), std::move(bundleID), std::move(appName), condition, home, "家", applying};
    }

    template <typename T> T& find(const QString& name) const {
        auto* found = page->findChild<T*>(name);
        if (!found && page->addSheet()) {
            found = page->addSheet()->findChild<T*>(name);
        }
        EXPECT_TRUE(found) << name.toStdString();
        return *found;
    }

    RuleAddSheet& openSheet() {
        find<QPushButton>("rules:add").click();
        EXPECT_TRUE(page->addSheet());
        return *page->addSheet();
    }

    std::string problem() const {
        const auto& shown = page->addSheet()->problem();
        return shown ? *shown : "";
    }
};

TEST_F(RulesPage, WithoutRulesItSaysSoAndShowsNoList) {
    EXPECT_TRUE(find<QLabel>("rules:empty").isVisible());
    EXPECT_EQ(find<QLabel>("rules:empty").text().toStdString(), "ルールはまだありません。");
    EXPECT_FALSE(find<QFrame>("rules:list").isVisible());
    EXPECT_FALSE(find<QLabel>("rules:applying").isVisible()) << "no rule, so none in force";
    EXPECT_TRUE(find<QPushButton>("rules:add").isEnabled());
    EXPECT_FALSE(find<QLabel>("rules:needsProfiles").isVisible());

    model.setRows({rule("com.example.mail", "Mail", Condition::frontmost, true)});
    EXPECT_FALSE(find<QLabel>("rules:empty").isVisible());
    EXPECT_TRUE(find<QFrame>("rules:list").isVisible());
    EXPECT_EQ(find<QLabel>("rules:applying").text().toStdString(),
              "いまは「Mail」が前面にあるので、「家」に切り替えています。");
    EXPECT_TRUE(page->findChild<QLabel*>("rule:applying:com.example.mail:frontmost"));
}

TEST_F(RulesPage, AddingWantsTwoProfiles) {
    for (const auto& profiles :
         {std::vector<ProfileChoice>{{home, "家", true}}, std::vector<ProfileChoice>{}}) {
        model.setProfiles(profiles);
        EXPECT_FALSE(find<QPushButton>("rules:add").isEnabled());
        EXPECT_TRUE(find<QLabel>("rules:needsProfiles").isVisible());
        page->openAddSheet();
        EXPECT_FALSE(page->addSheet()) << "no sheet opens with " << profiles.size() << " profiles";
    }
}

TEST_F(RulesPage, TheConditionMenuOffersOnlyAConditionNoOtherRuleHolds) {
    model.setRows({rule("com.example.mail", "Mail", Condition::running),
                   rule("com.example.mail", "Mail", Condition::frontmost),
                   rule("com.example.notes", "Notes", Condition::running)});
    struct Case {
        const char* row;
        bool runningEnabled;
        bool frontmostEnabled;
    };
    const Case cases[] = {
        {"com.example.mail:running", true, false},
        {"com.example.mail:frontmost", false, true},
        {"com.example.notes:running", true, true},
    };
    for (const auto& c : cases) {
        const auto items = find<QPushButton>(QStringLiteral("rule:condition:") + c.row).menu()->actions();
        ASSERT_EQ(items.size(), 2);
        EXPECT_EQ(items[0]->isEnabled(), c.runningEnabled) << c.row;
        EXPECT_EQ(items[1]->isEnabled(), c.frontmostEnabled) << c.row;
        EXPECT_EQ(items[0]->text().toStdString(), "動いている間");
    }
    find<QPushButton>("rule:condition:com.example.notes:running").menu()->actions()[1]->trigger();
    find<QPushButton>("rule:profile:com.example.notes:running").menu()->actions()[1]->trigger();
    EXPECT_EQ(calls,
              (std::vector<std::string>{"condition:Notes/running:frontmost", "profile:Notes/running:work"}));
}

TEST_F(RulesPage, UpIsOffOnTheFirstRowAndDeleteActsAtOnce) {
    model.setRows({rule("a", "A", Condition::running), rule("b", "B", Condition::running),
                   rule("c", "C", Condition::frontmost)});
    EXPECT_FALSE(find<QPushButton>("rule:up:a:running").isEnabled());
    EXPECT_TRUE(find<QPushButton>("rule:up:b:running").isEnabled());
    EXPECT_TRUE(find<QPushButton>("rule:up:c:frontmost").isEnabled());
    find<QPushButton>("rule:up:b:running").click();
    find<QPushButton>("rule:delete:c:frontmost").click();
    EXPECT_EQ(calls, (std::vector<std::string>{"up:B/running", "delete:C/frontmost"}));
    EXPECT_FALSE(QApplication::activeModalWidget()) << "no confirmation";

    // The shell's new order: the raised rule comes first and loses its Up.
    model.setRows({model.rows()[1], model.rows()[0]});
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(find<QPushButton>("rule:up:b:running").isEnabled());
    EXPECT_TRUE(find<QPushButton>("rule:up:a:running").isEnabled());
}

TEST_F(RulesPage, AShellThatRefreshesDuringAClickLeavesThePageWhole) {
    model.setRows({rule("a", "A", Condition::running), rule("b", "B", Condition::running)});
    // As the shell does: the edit and the refresh of the rows happen inside
    // the click, while the pressed button's row is still on the stack.
    model.onDelete = [this](const Uuid& id) {
        std::vector<RuleRow> rows;
        for (const auto& row : model.rows()) {
            if (row.id != id) {
                rows.push_back(row);
            }
        }
        model.setRows(std::move(rows));
    };
    find<QPushButton>("rule:delete:a:running").click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(page->findChild<QPushButton*>("rule:delete:a:running"));
    EXPECT_FALSE(find<QPushButton>("rule:up:b:running").isEnabled()) << "the remaining rule is now the first";
    find<QPushButton>("rule:delete:b:running").click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(find<QLabel>("rules:empty").isVisible());
}

TEST_F(RulesPage, TheSheetPreselectsTheFirstProfileThatIsNotActive) {
    struct Case {
        std::vector<ProfileChoice> profiles;
        const char* chosen;
    };
    const Case cases[] = {
        {{{home, "家", false}, {work, "仕事", true}}, "家"},
        {{{home, "家", true}, {work, "仕事", false}}, "仕事"},
        {{{home, "家", true}, {work, "仕事", true}}, "家"},
    };
    for (const auto& c : cases) {
        model.setProfiles(c.profiles);
        RuleAddSheet sheet(model, nullptr);
        EXPECT_EQ(find<QPushButton>("rules:add").isEnabled(), true);
        ASSERT_TRUE(sheet.profileID());
        EXPECT_EQ(sheet.findChild<QPushButton*>("ruleAdd:profile")->text().toStdString(), c.chosen);
        EXPECT_EQ(sheet.condition(), Condition::running);
        EXPECT_FALSE(sheet.app());
        EXPECT_EQ(sheet.apps().size(), 2U);
    }
    model.setProfiles({{home, "家", true}});
    RuleAddSheet lone(model, nullptr);
    EXPECT_EQ(lone.profileID(), home) << "only the active profile: that one";
    model.setProfiles({});
    RuleAddSheet none(model, nullptr);
    EXPECT_FALSE(none.profileID());
    EXPECT_EQ(none.findChild<QPushButton*>("ruleAdd:profile")->text().toStdString(), "選んでください");
}

TEST_F(RulesPage, CommitNamesTheFirstThingMissingInOrder) {
    model.setRows({rule("com.example.mail", "Mail", Condition::frontmost)});
    model.setProfiles({});
    RuleAddSheet sheet(model, nullptr);
    sheet.commit();
    EXPECT_EQ(sheet.problem(), "アプリを選んでください。") << "even with no profile either";

    sheet.chooseApp({"com.example.mail", "Mail"});
    sheet.commit();
    EXPECT_EQ(sheet.problem(), "切り替える先のプロファイルを選んでください。");

    model.setProfiles({{home, "家", false}, {work, "仕事", true}});
    sheet.chooseProfile(work);
    sheet.chooseCondition(Condition::frontmost);
    EXPECT_EQ(sheet.problem(), "切り替える先のプロファイルを選んでください。")
        << "a problem stays until the next commit";
    sheet.commit();
    EXPECT_EQ(sheet.problem(), "「Mail」の「前面にある間」のルールは、もうあります。");

    answer = false;
    sheet.chooseCondition(Condition::running);
    sheet.commit();
    EXPECT_EQ(sheet.problem(), "追加できませんでした。もう一度試してください。");
    EXPECT_EQ(calls, std::vector<std::string>{"add:com.example.mail:running:work"});

    model.onAdd = nullptr;
    sheet.commit();
    EXPECT_EQ(sheet.problem(), "追加できませんでした。もう一度試してください。") << "no one to add it";
}

TEST_F(RulesPage, ASuccessfulCommitClosesTheSheetAndEscapeCancels) {
    RuleAddSheet& sheet = openSheet();
    EXPECT_TRUE(sheet.isVisible());
    find<QPushButton>("ruleAdd:app").menu()->actions()[1]->trigger();
    find<QPushButton>("ruleAdd:condition:frontmost").click();
    press(find<QPushButton>("ruleAdd:condition:frontmost"), Qt::Key_Return);
    EXPECT_EQ(calls, std::vector<std::string>{"add:com.example.notes:frontmost:home"});
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(page->addSheet());

    RuleAddSheet& again = openSheet();
    EXPECT_FALSE(again.app()) << "a fresh sheet each time";
    press(find<QPushButton>("ruleAdd:app"), Qt::Key_Escape);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(page->addSheet());
    EXPECT_EQ(calls.size(), 1U) << "cancelling calls nothing";
}

TEST_F(RulesPage, CancellingAnotherAppKeepsTheEarlierChoice) {
    RuleAddSheet& sheet = openSheet();
    sheet.chooseApp({"com.example.mail", "Mail"});
    QAction* chooseOther = find<QPushButton>("ruleAdd:app").menu()->actions().back();
    EXPECT_EQ(chooseOther->text().toStdString(), "ほかのアプリを選ぶ…");
    chooseOther->trigger();
    EXPECT_EQ(sheet.app(), (RuleAppChoice{"com.example.mail", "Mail"}));
    EXPECT_EQ(find<QPushButton>("ruleAdd:app").text().toStdString(), "Mail");

    other = RuleAppChoice{"org.example.paint", "Paint & Draw"};
    chooseOther->trigger();
    EXPECT_EQ(sheet.app(), other);
    EXPECT_EQ(find<QPushButton>("ruleAdd:app").text().toStdString(), "Paint && Draw");
}

TEST(RuleLayoutChooserTest, TheFirstArrangementThatFitsWins) {
    const RuleLayoutChooser::Widths widths{120, 20, 100, 50, 150};
    const int sentence = RuleLayoutChooser::sentenceWidth(widths);
    EXPECT_EQ(sentence, 120 + 20 + 100 + 50 + 3 * 8);
    struct Case {
        int available;
        Layout layout;
    };
    const Case cases[] = {
        {sentence + 24 + 150, Layout::oneLine},
        {sentence + 24 + 149, Layout::buttonsBelow},
        {sentence, Layout::buttonsBelow},
        {sentence - 1, Layout::stacked},
        {10, Layout::stacked},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RuleLayoutChooser::choose(c.available, widths), c.layout) << c.available;
    }
    EXPECT_EQ(RuleLayoutChooser::choose(200, {10, 10, 10, 10, 400}), Layout::stacked)
        << "buttons wider than the width: the last arrangement";
}

TEST_F(RulesPage, ARowRearrangesAsItNarrows) {
    model.setRows({rule("com.example.mail", "Mail", Condition::running)});
    QApplication::processEvents();
    auto& row = *page->findChild<RuleRowView*>();
    const auto widths = row.widths();
    const int sentence = RuleLayoutChooser::sentenceWidth(widths);
    const int inset = 2 * RuleRowView::padding;
    const std::pair<int, Layout> cases[] = {
        {sentence + 24 + widths.buttons + inset + 40, Layout::oneLine},
        {sentence + inset + 4, Layout::buttonsBelow},
        {sentence + inset - 20, Layout::stacked},
    };
    for (const auto& [width, layout] : cases) {
        row.resize(width, row.height());
        EXPECT_EQ(row.layout(), layout) << width;
    }
}

// A window resized once (maximised, restored) gives the row its new width
// once: the controls stand where the new arrangement puts them at once, each
// in its own place and all inside the row.
TEST_F(RulesPage, OneResizeOfTheWindowPutsTheControlsWhereTheNewArrangementSays) {
    // A profile name long enough for every arrangement to have a width the page can take.
    RuleRow shown = rule("com.example.mail", "Mail", Condition::running);
    shown.profileName = "週末の長い旅行のときだけ使うとても長い名前のプロファイル";
    model.setRows({shown});
    page->resize(2000, 600);
    QApplication::processEvents();
    auto& row = *page->findChild<RuleRowView*>();
    const auto widths = row.widths();
    const int sentence = RuleLayoutChooser::sentenceWidth(widths);
    const int inset = 2 * RuleRowView::padding;
    const int around = page->width() - row.width();
    auto at = [&row](const char* prefix) {
        const auto* control =
            row.findChild<QWidget*>(QString::fromLatin1(prefix) + "com.example.mail:running");
        EXPECT_NE(control, nullptr) << prefix;
        return control ? QRect(control->mapTo(&row, QPoint(0, 0)), control->size()) : QRect();
    };
    const std::pair<int, Layout> cases[] = {
        {sentence + inset - 20, Layout::stacked},
        {sentence + 24 + widths.buttons + inset + 40, Layout::oneLine},
        {sentence + inset + 4, Layout::buttonsBelow},
        {sentence + 24 + widths.buttons + inset + 40, Layout::oneLine},
        {sentence + inset - 20, Layout::stacked},
    };
    for (const auto& [width, layout] : cases) {
        page->resize(width + around, page->height());
        QApplication::processEvents();
        ASSERT_EQ(row.width(), width);
        ASSERT_EQ(row.layout(), layout) << width;
        const QRect condition = at("rule:condition:");
        const QRect profile = at("rule:profile:");
        const QRect up = at("rule:up:");
        const QRect remove = at("rule:delete:");
        for (const QRect& control : {condition, profile, up, remove}) {
            EXPECT_TRUE(row.rect().contains(control)) << width << ": every control inside the row";
        }
        EXPECT_LE(up.right(), remove.left()) << width;
        EXPECT_EQ(up.top(), remove.top()) << width;
        switch (layout) {
        case Layout::oneLine:
            EXPECT_EQ(condition.center().y(), profile.center().y()) << width;
            EXPECT_EQ(condition.center().y(), up.center().y()) << width;
            EXPECT_LT(profile.right(), up.left()) << width;
            break;
        case Layout::buttonsBelow:
            EXPECT_EQ(condition.center().y(), profile.center().y()) << width;
            EXPECT_GT(up.top(), profile.bottom()) << width;
            break;
        case Layout::stacked:
            EXPECT_GT(profile.top(), condition.bottom()) << width;
            EXPECT_GT(up.top(), profile.bottom()) << width;
            break;
        }
        if (layout != Layout::stacked) {
            EXPECT_LT(condition.right(), profile.left()) << width << ": one sentence on one line";
        }
    }
}

} // namespace

} // namespace PELLACOR_TEST_FILE
