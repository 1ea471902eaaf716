#include "Trayvane/Integrations/IntentGate.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/TaskHandle.h"
#include "ExternalControlFakes.h"
#include "Support/LogCapture.h"
#include "Support/TempDir.h"
#include "Trayvane/Integrations/Intents/CollapseIntent.h"
#include "Trayvane/Integrations/Intents/PauseIntent.h"
#include "Trayvane/Integrations/Intents/ResumeIntent.h"
#include "Trayvane/Integrations/Intents/RevealIntent.h"
#include "Trayvane/Integrations/Intents/SwitchProfileIntent.h"
#include "Trayvane/Integrations/ProfileQuery.h"
#include "Trayvane/Integrations/TrayvaneShortcuts.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace std::chrono_literals;
using app::ExternalControl;
using app::IntentGate;
using app::ProfileChoice;
using app::ProfileQuery;
using coordinator::PauseReason;
using core::ExternalCommand;
using core::IntentProblem;
using core::MenuBarState;
using core::Profile;
using core::ProfileEntity;
using core::Section;
using core::StoredState;
using core::Uuid;
using pellacor::testing::FakeEditor;
using pellacor::testing::FakeTarget;
using Outcome = ExternalControl::Outcome;

namespace {

// What a finished task answers when the action was done.
const std::optional<IntentGate::Result> done{IntentGate::Result{}};

// The gate over an external control made of fakes, in virtual time. The
// control is published only when a test says so.
struct IntentGateTest : ::testing::Test {
    pellacor::testing::TempDir dir;
    pellacor::testing::LogCapture log;
    concurrency::ManualExecutor executor;
    Profile everyday{Uuid::random(), "Default", {}, {}, Section::hidden};
    Profile work{Uuid::random(), "Work", {}, {}, Section::shown};
    std::shared_ptr<app::SettingsStore> store;
    std::shared_ptr<FakeTarget> target = std::make_shared<FakeTarget>();
    std::shared_ptr<FakeEditor> editor;
    std::shared_ptr<ExternalControl> control;

    void SetUp() override {
        const auto file = dir / "Trayvane/state.json";
        ASSERT_EQ(core::Store(file).save(
                      StoredState(StoredState::currentVersion, {everyday, work}, {}, everyday.id())),
                  core::Store::SaveResult::saved());
        store = std::make_shared<app::SettingsStore>(core::Store(file));
        editor = std::make_shared<FakeEditor>(store);
        control = std::make_shared<ExternalControl>(target, editor, store);
        ExternalControl::clearShared();
    }
    void TearDown() override { ExternalControl::clearShared(); }

    IntentGate::Clock clock() const { return IntentGate::clockOf(executor); }

    template <typename T> concurrency::TaskHandle<T> start(concurrency::Task<T> task) {
        auto handle = concurrency::spawn(executor, std::move(task));
        executor.runUntilIdle();
        return handle;
    }
    // Runs an intent against the published control and answers its result.
    template <typename Intent> IntentGate::Result perform(const Intent& intent) {
        ExternalControl::publish(control);
        auto handle = start(intent.perform(clock()));
        EXPECT_TRUE(handle.isFinished());
        return handle.result().value_or(IntentProblem::Case::notReady);
    }
};

TEST_F(IntentGateTest, ARunningProgramAnswersAtOnce) {
    ExternalControl::publish(control);
    auto handle = start(IntentGate::run(ExternalCommand::collapse(), clock()));
    ASSERT_TRUE(handle.isFinished());
    EXPECT_EQ(handle.result(), done);
    EXPECT_EQ(executor.now(), concurrency::Instant{});
    EXPECT_EQ(target->calls, std::vector<std::string>{"collapse"});
    EXPECT_TRUE(log.contains("app", "外から（ショートカット）：しまう"));
}

TEST_F(IntentGateTest, AnActionBeforeLaunchRunsWithinAPollOfThePublishing) {
    auto handle = start(IntentGate::run(ExternalCommand::pause(), clock()));
    executor.advanceBy(10s);
    EXPECT_FALSE(handle.isFinished());
    EXPECT_TRUE(target->calls.empty());
    ExternalControl::publish(control);
    // The checks fall every 0.2 s from the start: the next one, at 10.2 s, finds it.
    executor.advanceBy(199ms);
    EXPECT_FALSE(handle.isFinished());
    executor.advanceBy(1ms);
    ASSERT_TRUE(handle.isFinished());
    EXPECT_EQ(handle.result(), done);
    EXPECT_EQ(target->calls, std::vector<std::string>{"pause"});
}

TEST_F(IntentGateTest, NoControlWithinThirtySecondsIsNotReadyAndChangesNothing) {
    auto handle = start(IntentGate::run(ExternalCommand::collapse(), clock()));
    executor.advanceBy(29'999ms);
    EXPECT_FALSE(handle.isFinished());
    executor.advanceBy(1ms);
    ASSERT_TRUE(handle.isFinished());
    EXPECT_EQ(handle.result(), IntentGate::Result{IntentProblem::Case::notReady});
    EXPECT_TRUE(target->calls.empty());
    // A time-out reaches no logging code.
    EXPECT_TRUE(log.messages("app").empty());
}

TEST_F(IntentGateTest, ACancelledWaitEndsInsteadOfSpinning) {
    auto handle = start(IntentGate::run(ExternalCommand::collapse(), clock()));
    handle.cancel();
    executor.runUntilIdle();
    ASSERT_TRUE(handle.isFinished());
    EXPECT_EQ(handle.result(), IntentGate::Result{IntentProblem::Case::notReady});
    EXPECT_LT(executor.now(), concurrency::Instant{} + 1s);
}

TEST_F(IntentGateTest, EveryOutcomeIsToldAsItsProblem) {
    const std::vector<std::pair<Outcome, IntentGate::Result>> cases = {
        {Outcome::done, std::nullopt},
        {Outcome::noProfile, IntentProblem::Case::unknownProfile},
        {Outcome::unavailable, IntentProblem::Case::notReady},
        {Outcome::resumeNeedsUser, IntentProblem::Case::resumeNeedsUser},
        {Outcome::rejected, IntentProblem::Case::notReady},
    };
    for (const auto& [outcome, problem] : cases) {
        EXPECT_EQ(IntentGate::problem(outcome), problem) << static_cast<int>(outcome);
    }
}

TEST_F(IntentGateTest, TheIntentsCarryOutTheirCommands) {
    EXPECT_EQ(perform(app::RevealIntent{}), std::nullopt);
    EXPECT_EQ(perform(app::RevealIntent{true}), std::nullopt);
    EXPECT_EQ(perform(app::CollapseIntent{}), std::nullopt);
    EXPECT_EQ(perform(app::SwitchProfileIntent{{work.id(), "Work"}}), std::nullopt);
    // Left at its default, a reveal brings out the hidden section only.
    EXPECT_EQ(target->calls, (std::vector<std::string>{"reveal", "reveal(all)", "collapse"}));
    EXPECT_EQ(editor->calls, std::vector<std::string>{"外からの切り替え byUser changed"});

    // The profile was deleted after it was picked.
    EXPECT_EQ(perform(app::SwitchProfileIntent{{Uuid::random(), "Gone"}}),
              IntentProblem::Case::unknownProfile);
    target->available = false;
    EXPECT_EQ(perform(app::CollapseIntent{}), IntentProblem::Case::notReady);
}

TEST_F(IntentGateTest, AResumeEndsAManualPauseButNotOneForANewSystem) {
    EXPECT_EQ(perform(app::PauseIntent{}), std::nullopt);
    EXPECT_EQ(target->reason, PauseReason::manual());
    EXPECT_EQ(perform(app::ResumeIntent{}), std::nullopt);
    EXPECT_EQ(target->base, MenuBarState::starting);

    for (const auto& reason :
         {PauseReason::osVersionChanged(), PauseReason::optionKeyAtLaunch(), PauseReason::controlRemoved()}) {
        target->base = MenuBarState::paused;
        target->reason = reason;
        EXPECT_EQ(perform(app::ResumeIntent{}), IntentProblem::Case::resumeNeedsUser);
        EXPECT_EQ(target->base, MenuBarState::paused);
    }
}

TEST_F(IntentGateTest, TheQueryAnswersInChoiceOrderOnceTheControlIsThere) {
    const Uuid a = Uuid::random();
    const Uuid b = Uuid::random();
    const Uuid c = Uuid::random();
    editor->offered = {{a, "Work", false}, {b, "ｗｏｒｋ ２", true}, {c, "自宅", false}};

    auto waiting = start(ProfileQuery::entities({c, Uuid::random(), a}, clock()));
    executor.advanceBy(3s);
    EXPECT_FALSE(waiting.isFinished());
    ExternalControl::publish(control);
    executor.advanceBy(200ms);
    ASSERT_TRUE(waiting.isFinished());
    // The choices' order, not the request's; the unknown id is left out.
    EXPECT_EQ(waiting.result(), ProfileQuery::Answer(std::vector<ProfileEntity>{{a, "Work"}, {c, "自宅"}}));

    auto all = start(ProfileQuery::suggestedEntities(clock()));
    EXPECT_EQ(all.result()->value_or(std::vector<ProfileEntity>{}).size(), 3U);
    auto matched = start(ProfileQuery::entitiesMatching(" WORK\n", clock()));
    EXPECT_EQ(matched.result(),
              ProfileQuery::Answer(std::vector<ProfileEntity>{{a, "Work"}, {b, "ｗｏｒｋ ２"}}));

    editor->available = false;
    auto gone = start(ProfileQuery::suggestedEntities(clock()));
    EXPECT_EQ(gone.result(), ProfileQuery::Answer(std::vector<ProfileEntity>{}));
    ExternalControl::clearShared();
    auto late = start(ProfileQuery::suggestedEntities(clock()));
    executor.advanceBy(30s);
    EXPECT_EQ(late.result(), std::optional<ProfileQuery::Answer>(ProfileQuery::Answer{}));
}

TEST(ProfileQueryTest, MatchingTrimsAndIgnoresCaseAndWidth) {
    const Uuid work = Uuid::random();
    const Uuid wide = Uuid::random();
    const Uuid home = Uuid::random();
    const std::vector<ProfileChoice> choices = {
        {work, "Work", false}, {wide, "ＷＯＲＫ（会議）", false}, {home, "ホーム", true}};
    struct Case {
        const char* text;
        std::vector<Uuid> found;
    };
    const std::vector<Case> cases = {
        {"", {work, wide, home}}, {" \t\n\u3000", {work, wide, home}},
        {"work", {work, wide}},   {"ｗｏｒ", {work, wide}},
        {"会議", {wide}},         {"ﾎｰﾑ", {home}},
        {"or", {work, wide}},     {"office", {}},
    };
    for (const auto& c : cases) {
        std::vector<Uuid> found;
        for (const auto& entity : ProfileQuery::matching(choices, c.text)) {
            found.push_back(entity.id);
        }
        EXPECT_EQ(found, c.found) << c.text;
    }
}

TEST(TrayvaneShortcutsTest, FivePhrasesInOrderWithTheirTitlesAndSymbols) {
    struct Row {
        std::string action, phrase, shortTitle, symbol;
    };
    const std::vector<Row> expected = {
        {"reveal", "Pellacorでアイコンを出す", "アイコンを出す", "eye"},
        {"collapse", "Pellacorでアイコンをしまう", "アイコンをしまう", "eye.slash"},
        {"switchProfile", "Pellacorでプロファイルを切り替える", "プロファイルを切り替える",
         "person.crop.rectangle.stack"},
        {"pause", "Pellacorを一時停止する", "一時停止する", "pause.circle"},
        {"resume", "Pellacorを再開する", "再開する", "play.circle"},
    };
    const auto& shortcuts = app::TrayvaneShortcuts::appShortcuts();
    ASSERT_EQ(shortcuts.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(shortcuts[i].intent->action, expected[i].action);
        EXPECT_EQ(shortcuts[i].phrase(), expected[i].phrase);
        EXPECT_EQ(shortcuts[i].shortTitle, expected[i].shortTitle);
        EXPECT_EQ(shortcuts[i].systemImageName, expected[i].symbol);
    }
    EXPECT_EQ(app::RevealIntent::description.summary, "アイコンを出す（「いつも隠す」も：${all}）");
    EXPECT_EQ(app::RevealIntent::description.parameter->defaultValue, "false");
    EXPECT_EQ(app::SwitchProfileIntent::description.summary, "${profile} に切り替える");
    EXPECT_FALSE(app::SwitchProfileIntent::description.parameter->defaultValue);
}

} // namespace

} // namespace PELLACOR_TEST_FILE
