#include "Trayvane/Integrations/RuleRunner.h"

#include "Concurrency/ManualExecutor.h"
#include "Support/FakeWatchers.h"
#include "Support/FakeWorkspace.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace std::chrono_literals;
using app::RuleRunner;
using concurrency::Duration;
using concurrency::Instant;
using core::AppRule;
using core::StoredState;
using core::Uuid;
using system::AppActivity;
using Policy = platform::Workspace::ActivationPolicy;

namespace {

// An editor over a document of its own that notes when and how it was asked.
class RecordingEditor final : public app::ProfileEditing {
public:
    RecordingEditor(StoredState state, concurrency::ManualExecutor& executor)
        : state(std::move(state)), executor_(executor) {}

    struct Call {
        Instant at;
        std::string label;
        bool byUser;
    };
    StoredState state;
    std::vector<Call> calls;

    bool isAvailable() const override { return true; }
    std::vector<app::ProfileChoice> choices() const override { return {}; }
    bool edit(bool byUser, std::string_view label, const Body& body) override {
        calls.push_back({executor_.now(), std::string(label), byUser});
        StoredState copy = state;
        const bool changed = body(copy);
        if (changed) {
            state = std::move(copy);
        }
        return changed;
    }

private:
    concurrency::ManualExecutor& executor_;
};

constexpr const char* self = "app.trayvane.pellacor";
constexpr const char* editorApp = "com.example.quartzpen";
constexpr const char* menuApp = "com.example.fernlight";

struct RuleRunnerTest : ::testing::Test {
    concurrency::ManualExecutor executor;
    std::shared_ptr<pellacor::testing::FakeAppActivityWatcher> watcher =
        std::make_shared<pellacor::testing::FakeAppActivityWatcher>();
    std::shared_ptr<RecordingEditor> editor;
    std::optional<std::string> front;
    std::vector<Duration> slept;
    std::shared_ptr<RuleRunner> runner;
    Uuid everyday;
    Uuid writing;

    RuleRunnerTest() {
        StoredState state = StoredState::initial();
        everyday = *state.activeProfileIDResolved();
        writing = state.addProfile("Writing")->id();
        state.switchProfile(everyday);
        // While the editor is in front, the writing profile.
        state.addRule(editorApp, AppRule::Condition::frontmost, writing);
        editor = std::make_shared<RecordingEditor>(std::move(state), executor);
        runner = RuleRunner::create(
            watcher, editor, self, executor, nullptr, [this] { return front; },
            [this](Duration delay) {
                slept.push_back(delay);
                return concurrency::sleep(delay);
            });
    }

    std::size_t evaluations() const { return editor->calls.size(); }
    Instant lastEvaluation() const { return editor->calls.back().at; }
    Uuid active() const { return *editor->state.activeProfileIDResolved(); }
    void event() {
        ASSERT_TRUE(watcher->emit(AppActivity::launched(menuApp)));
        executor.runUntilIdle();
    }
};

TEST_F(RuleRunnerTest, StartsOnceEvaluatingAtOnceAsTheRulesOwnUnattendedEdit) {
    runner->start();
    runner->start();
    EXPECT_TRUE(runner->isStarted());
    EXPECT_EQ(watcher->log.count("start"), 1);
    ASSERT_EQ(evaluations(), 1U);
    EXPECT_EQ(editor->calls[0].label, "自動の切り替え");
    EXPECT_FALSE(editor->calls[0].byUser);
}

TEST_F(RuleRunnerTest, ABurstOfEventsEndsInOneEvaluationAfterItsLastEvent) {
    runner->start();
    for (int i = 0; i < 5; ++i) {
        event();
        executor.advanceBy(100ms);
    }
    const Instant fifth = executor.now() - 100ms;
    executor.advanceTo(fifth + 599ms);
    EXPECT_EQ(evaluations(), 1U);
    executor.advanceTo(fifth + 600ms);
    ASSERT_EQ(evaluations(), 2U);
    EXPECT_EQ(lastEvaluation(), fifth + 600ms);
    executor.advanceBy(5s);
    EXPECT_EQ(evaluations(), 2U);
    EXPECT_EQ(slept.front(), 600ms);
}

TEST_F(RuleRunnerTest, EvaluatingNowWhileADebounceWaitsEvaluatesTwice) {
    runner->start();
    event();
    executor.advanceBy(200ms);
    runner->evaluateNow();
    EXPECT_EQ(evaluations(), 2U);
    executor.advanceBy(400ms);
    ASSERT_EQ(evaluations(), 3U);
    EXPECT_EQ(lastEvaluation(), Instant{} + 600ms);
}

TEST_F(RuleRunnerTest, NothingEvaluatesBeforeStartOrAfterStop) {
    EXPECT_FALSE(watcher->emit(AppActivity::launched(menuApp)));
    executor.advanceBy(1s);
    EXPECT_EQ(evaluations(), 0U);

    runner->start();
    // One evaluation waiting, and one an evaluation at once left waiting.
    event();
    executor.advanceBy(100ms);
    event();
    runner->evaluateNow();
    const std::size_t before = evaluations();
    runner->stop();
    EXPECT_FALSE(runner->isStarted());
    EXPECT_FALSE(watcher->isWatching());
    EXPECT_FALSE(watcher->emit(AppActivity::terminated(menuApp)));
    executor.advanceBy(2s);
    EXPECT_EQ(evaluations(), before);

    // Evaluating directly still works while stopped.
    runner->evaluateNow();
    EXPECT_EQ(evaluations(), before + 1);
}

TEST_F(RuleRunnerTest, AWaitLeftBehindBeforeAStopStaysDeadAfterARestart) {
    runner->start();
    event();
    runner->evaluateNow();
    runner->stop();
    runner->start();
    const std::size_t afterRestart = evaluations();
    executor.advanceBy(2s);
    EXPECT_EQ(evaluations(), afterRestart);
    // The restarted runner debounces as before.
    event();
    executor.advanceBy(600ms);
    EXPECT_EQ(evaluations(), afterRestart + 1);
}

TEST_F(RuleRunnerTest, TheLastRegularFrontmostApplicationCountsWhileTheProgramOrAnAccessoryIsInFront) {
    watcher->running = {editorApp, menuApp, self};
    front = editorApp;
    runner->start();
    EXPECT_EQ(active(), writing);
    EXPECT_EQ(runner->lastFrontmost(), editorApp);

    // The program's settings window comes to the front: the rule still holds.
    front = self;
    runner->evaluateNow();
    EXPECT_EQ(runner->lastFrontmost(), editorApp);
    EXPECT_EQ(active(), writing);

    // An accessory in front reads as no regular frontmost application.
    front = std::nullopt;
    runner->evaluateNow();
    EXPECT_EQ(runner->lastFrontmost(), editorApp);
    EXPECT_EQ(active(), writing);

    // The editor quits: it is frontmost no longer, and the profile goes back.
    watcher->running = {menuApp, self};
    runner->evaluateNow();
    EXPECT_EQ(runner->lastFrontmost(), std::nullopt);
    EXPECT_EQ(active(), everyday);
}

TEST_F(RuleRunnerTest, TheLastFrontmostOutlivesAStop) {
    watcher->running = {editorApp};
    front = editorApp;
    runner->start();
    runner->stop();
    EXPECT_EQ(runner->lastFrontmost(), editorApp);
}

TEST_F(RuleRunnerTest, ARunnerGoneWhileItsEvaluationWaitsLeavesNothingBehind) {
    runner->start();
    event();
    const std::weak_ptr<RuleRunner> weak = runner;
    runner.reset();
    EXPECT_TRUE(weak.expired());
    executor.advanceBy(1s);
    EXPECT_EQ(evaluations(), 1U);
}

struct FrontmostCase {
    const char* name;
    std::vector<platform::Workspace::RunningApplication> apps;
    std::optional<std::string> expected;
};

platform::Workspace::RunningApplication running(std::optional<std::string> id, Policy policy, bool active) {
    platform::Workspace::RunningApplication app;
    app.bundleIdentifier = std::move(id);
    app.activationPolicy = policy;
    app.isActive = active;
    return app;
}

TEST(RuleRunnerFrontmostTest, OnlyARegularApplicationInFrontCounts) {
    const std::vector<FrontmostCase> cases = {
        {"a regular application in front",
         {running("com.a", Policy::regular, false), running("com.b", Policy::regular, true)},
         "com.b"},
        {"an accessory in front", {running("com.a", Policy::accessory, true)}, std::nullopt},
        {"a background process in front", {running("com.a", Policy::prohibited, true)}, std::nullopt},
        {"nothing in front", {running("com.a", Policy::regular, false)}, std::nullopt},
        {"a regular application without identifier",
         {running(std::nullopt, Policy::regular, true)},
         std::nullopt},
    };
    for (const auto& c : cases) {
        pellacor::testing::FakeWorkspace workspace;
        workspace.setApps(c.apps);
        EXPECT_EQ(RuleRunner::regularFrontmost(workspace), c.expected) << c.name;
    }
}

} // namespace

} // namespace PELLACOR_TEST_FILE
