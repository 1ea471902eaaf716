// The rules in the running program over the simulated desktop: a rule added
// through the rules page's model switches the profile when the desktop's
// controls launch its application, and switches back when they quit it.
#include "DemoDesktop/ControlsPanel.h"
#include "MenuBarCore/Text/Text.h"
#include "ProgramRun.h"
#include "Support/LogCapture.h"
#include "Trayvane/Integrations/RuleRunner.h"
#include "Trayvane/Settings/ProfilesModel.h"
#include "Trayvane/Settings/RulesModel.h"
#include "Trayvane/Settings/SectionsModel.h"
#include "Trayvane/Settings/SettingsStore.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace std::chrono_literals;
using core::AppKey;
using core::AppRule;
using core::MenuBarState;
using pellacor::testing::Computer;
using pellacor::testing::hiddenApp;
using pellacor::testing::ProgramRun;

namespace {

constexpr const char* mailApp = "com.example.pebblemail";

// What the other-application panel answers, once a step posted ahead ends it.
std::optional<app::RuleAppChoice> answerOf(app::RulesModel& rules) {
    std::optional<std::optional<app::RuleAppChoice>> answer;
    rules.chooseOtherApp([&](std::optional<app::RuleAppChoice> chosen) { answer = std::move(chosen); });
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!answer && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_TRUE(answer) << "the panel never answered";
    return answer.value_or(std::nullopt);
}

struct RulesInProgram : ::testing::Test {
    Computer computer;
    ProgramRun run{computer, computer.scenario()};
    demo::ControlsPanel controls{run.simulated};
    app::AppDelegate* delegate = nullptr;
    core::Uuid everyday;
    core::Uuid writing;

    void SetUp() override {
        delegate = &run.launch();
        ASSERT_TRUE(run.reaches(MenuBarState::collapsed));
        everyday = *delegate->settingsStore()->state().activeProfileIDResolved();
        // A second profile that shows the hidden application, then back to the first.
        ASSERT_TRUE(delegate->settings().profilesModel()->onAdd("Writing"));
        writing = *delegate->settingsStore()->state().activeProfileIDResolved();
        core::Profile profile = delegate->settings().sectionsModel()->profile();
        profile.assign(AppKey(hiddenApp), core::Section::shown);
        delegate->settings().sectionsModel()->onChange(profile);
        delegate->settings().profilesModel()->onSwitch(everyday);
        run.time->settle();
        ASSERT_EQ(active(), everyday);
        ASSERT_FALSE(barShows(hiddenApp));
    }

    core::Uuid active() const { return *delegate->settingsStore()->state().activeProfileIDResolved(); }
    bool barShows(const std::string& bundleID) {
        run.time->runFor(500ms);
        return run.onBar(bundleID);
    }
    void press(const char* button, const std::string& name) {
        auto* list = controls.findChild<QComboBox*>("controls-applications");
        ASSERT_NE(list, nullptr);
        const int index = list->findText(QString::fromStdString(name), Qt::MatchStartsWith);
        ASSERT_GE(index, 0) << name;
        list->setCurrentIndex(index);
        controls.refresh();
        auto* push = controls.findChild<QPushButton*>(button);
        ASSERT_TRUE(push != nullptr && push->isEnabled()) << button;
        push->click();
        run.time->settle();
    }
};

TEST_F(RulesInProgram,
       LaunchingTheRulesApplicationSwitchesToItsProfileAfterTheQuietTimeAndQuittingSwitchesBack) {
    auto& rules = *delegate->settings().rulesModel();
    ASSERT_TRUE(rules.onAdd(mailApp, AppRule::Condition::running, writing));
    ASSERT_EQ(rules.rows().size(), 1U) << "the page's rows follow the edit";
    EXPECT_EQ(rules.rows()[0].appName, "Pebblemail");
    EXPECT_EQ(rules.rows()[0].profileName, "Writing");
    EXPECT_FALSE(rules.rows()[0].isApplying);
    EXPECT_EQ(active(), everyday) << "the application is not running";
    // The second rule for the same application and condition is refused.
    EXPECT_FALSE(rules.onAdd(mailApp, AppRule::Condition::running, everyday));

    press("controls-launch", "Pebblemail");
    run.time->runFor(590ms);
    EXPECT_EQ(active(), everyday) << "still within the quiet time";
    run.time->runFor(20ms);
    EXPECT_EQ(active(), writing);
    EXPECT_TRUE(barShows(hiddenApp)) << "the bar follows the rule's profile";
    ASSERT_EQ(rules.rows().size(), 1U);
    EXPECT_TRUE(rules.rows()[0].isApplying);
    EXPECT_TRUE(rules.applyingNote().has_value());

    press("controls-quit", "Pebblemail");
    run.time->runFor(1s);
    EXPECT_EQ(active(), everyday);
    EXPECT_FALSE(barShows(hiddenApp));
    EXPECT_FALSE(rules.rows()[0].isApplying);
}

TEST_F(RulesInProgram, AFrontmostRuleFollowsTheApplicationTheControlsBringToTheFront) {
    auto& rules = *delegate->settings().rulesModel();
    ASSERT_TRUE(rules.onAdd("com.example.murmurtask", AppRule::Condition::frontmost, writing));
    EXPECT_EQ(active(), everyday) << "another application is in front";
    press("controls-front", "Murmurtask");
    run.time->runFor(610ms);
    EXPECT_EQ(active(), writing);
    press("controls-front", "Quartzpen");
    run.time->runFor(610ms);
    EXPECT_EQ(active(), everyday);
}

TEST_F(RulesInProgram, TheRulesPageOffersTheRunningUserApplicationsAndEditsApplyAtOnce) {
    auto& rules = *delegate->settings().rulesModel();
    ASSERT_TRUE(rules.runningApps);
    const auto offered = rules.runningApps();
    const auto has = [&](const std::string& id) {
        return std::any_of(offered.begin(), offered.end(),
                           [&](const auto& choice) { return choice.bundleID == id; });
    };
    EXPECT_TRUE(has("com.example.quartzpen"));
    EXPECT_TRUE(has(hiddenApp)) << "an accessory in its own bundle in /Applications";
    EXPECT_FALSE(has(std::string(core::bundleIdentifier))) << "not the program itself";
    EXPECT_FALSE(has("com.apple.controlcenter"));
    EXPECT_FALSE(has(mailApp)) << "not running";
    EXPECT_TRUE(std::is_sorted(offered.begin(), offered.end(), [](const auto& a, const auto& b) {
        return core::Text::standardCompare(a.name, b.name) < 0;
    }));

    // A rule on an application that runs now applies with the edit, without waiting.
    ASSERT_TRUE(rules.onAdd("com.example.murmurtask", AppRule::Condition::running, writing));
    EXPECT_EQ(active(), writing);
    // Changing its condition to one that does not hold switches back at once.
    ASSERT_TRUE(rules.onSetCondition(rules.rows()[0].id, AppRule::Condition::frontmost));
    EXPECT_EQ(active(), everyday);
    EXPECT_EQ(rules.rows()[0].condition, AppRule::Condition::frontmost);
    // Deleting it leaves no rows.
    rules.onDelete(rules.rows()[0].id);
    EXPECT_TRUE(rules.rows().empty());
}

TEST_F(RulesInProgram, AnotherApplicationIsChosenInTheRealPanelOverTheApplicationsFolder) {
    auto& rules = *delegate->settings().rulesModel();
    ASSERT_TRUE(rules.chooseOtherApp);
    const auto folder = run.simulated->desktop()->applicationsFolder();
    QTimer::singleShot(0, qApp, [folder] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "no panel is up";
        EXPECT_EQ(std::filesystem::path(dialog->directory().absolutePath().toStdString()), folder);
        dialog->selectFile(QString::fromStdString((folder / "Pebblemail.app").string()));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const auto chosen = answerOf(rules);
    EXPECT_EQ(chosen, (app::RuleAppChoice{mailApp, "Pebblemail"})) << "not running, chosen all the same";

    QTimer::singleShot(0, qApp, [] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "no panel is up";
        dialog->reject();
    });
    EXPECT_EQ(answerOf(rules), std::nullopt);
}

TEST_F(RulesInProgram, EveryRuleEditIsTheUsersEditUnderItsOwnLabelAndTheRowsFollowIt) {
    auto& rules = *delegate->settings().rulesModel();
    pellacor::testing::LogCapture log;
    ASSERT_TRUE(rules.onAdd(mailApp, AppRule::Condition::running, writing));
    ASSERT_TRUE(rules.onAdd("com.example.quartzpen", AppRule::Condition::running, everyday));
    ASSERT_EQ(rules.rows().size(), 2U);
    const core::Uuid mailRule = rules.rows()[0].id;
    const core::Uuid editorRule = rules.rows()[1].id;
    // The editor's rule holds now: the profile stays the one in use, and the row says so.
    EXPECT_TRUE(rules.rows()[1].isApplying);

    rules.onMoveUp(editorRule);
    ASSERT_EQ(rules.rows().size(), 2U);
    EXPECT_EQ(rules.rows()[0].id, editorRule);
    EXPECT_TRUE(rules.onSetProfile(editorRule, writing));
    EXPECT_EQ(rules.rows()[0].profileName, "Writing");
    EXPECT_EQ(active(), writing) << "the changed rule applies at once";
    EXPECT_FALSE(rules.onSetProfile(editorRule, writing)) << "no change, no edit";
    rules.onDelete(mailRule);
    EXPECT_EQ(rules.rows().size(), 1U);

    for (const char* label :
         {"ルールの追加", "ルールの並べ替え", "ルールの切り替え先の変更", "ルールの削除", "自動の切り替え"}) {
        EXPECT_FALSE(log.matching(std::string("プロファイルの") + label).empty()) << label;
    }
}

TEST_F(RulesInProgram, AfterTerminationNoApplicationEventSwitchesTheProfile) {
    ASSERT_TRUE(delegate->settings().rulesModel()->onAdd(mailApp, AppRule::Condition::running, writing));
    delegate->applicationWillTerminate();
    EXPECT_FALSE(delegate->rules().runner()->isStarted());
    press("controls-launch", "Pebblemail");
    run.time->runFor(2s);
    EXPECT_EQ(active(), everyday);
}

} // namespace

} // namespace PELLACOR_TEST_FILE
