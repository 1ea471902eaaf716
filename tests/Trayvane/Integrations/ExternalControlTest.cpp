#include "Trayvane/Integrations/ExternalControl.h"

#include "ExternalControlFakes.h"
#include "Support/LogCapture.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::ExternalControl;
using coordinator::PauseReason;
using core::ExternalCommand;
using core::MenuBarState;
using core::Profile;
using core::Section;
using core::StoredState;
using core::Uuid;
using Outcome = ExternalControl::Outcome;
using Source = ExternalControl::Source;

namespace {

using pellacor::testing::FakeEditor;
using pellacor::testing::FakeTarget;

struct ExternalControlTest : ::testing::Test {
    pellacor::testing::TempDir dir;
    pellacor::testing::LogCapture log;
    Profile everyday{Uuid::random(), "Default", {}, {}, Section::hidden};
    Profile work{Uuid::random(), "Work", {}, {}, Section::shown};
    Profile quiet{Uuid::random(), "静か", {}, {}, Section::alwaysHidden};
    std::shared_ptr<app::SettingsStore> store;
    std::shared_ptr<FakeTarget> target = std::make_shared<FakeTarget>();
    std::shared_ptr<FakeEditor> editor;
    std::unique_ptr<ExternalControl> control;

    void SetUp() override {
        const auto file = dir / "Trayvane/state.json";
        ASSERT_EQ(core::Store(file).save(
                      StoredState(StoredState::currentVersion, {everyday, work, quiet}, {}, everyday.id())),
                  core::Store::SaveResult::saved());
        store = std::make_shared<app::SettingsStore>(core::Store(file));
        editor = std::make_shared<FakeEditor>(store);
        control = std::make_unique<ExternalControl>(target, editor, store);
        log.clear();
    }

    std::vector<std::string> lines() {
        auto taken = log.lines("app");
        log.clear();
        return taken;
    }
};

TEST_F(ExternalControlTest, EachCommandReachesTheCoordinatorAndLogsOneDoneLine) {
    struct Case {
        std::string url;
        std::string call;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"pellacor://reveal", "reveal", "default: 外から（URL）：出す"},
        {"pellacor://reveal?all=yes", "reveal(all)", "default: 外から（URL）：全部出す"},
        {"pellacor:collapse", "collapse", "default: 外から（URL）：しまう"},
        {"pellacor://pause", "pause", "default: 外から（URL）：一時停止"},
        {"pellacor://resume", "resume", "default: 外から（URL）：再開"},
    };
    for (const auto& c : cases) {
        target->calls.clear();
        EXPECT_EQ(control->open(c.url), Outcome::done) << c.url;
        EXPECT_EQ(target->calls, std::vector<std::string>{c.call}) << c.url;
        EXPECT_EQ(lines(), std::vector<std::string>{c.line}) << c.url;
    }
    EXPECT_TRUE(editor->calls.empty());
}

TEST_F(ExternalControlTest, ARejectedUrlWritesOnlyTheRejectionLineAndTouchesNothing) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"other://reveal", "先頭が違う"},
        {"pellacor://reveal?pad=" + std::string(2100, 'x'), "長すぎる"},
        {"pellacor://re veal", "知らない命令"},
        {"pellacor://profile", "名前が無い"},
        {"pellacor://profile?name=%01", "使えない名前"},
        {"pellacor://reveal?all=1&all=0", "同じ項目が2つ以上ある"},
        {"pellacor://reveal?all=2", "知らない値"},
    };
    for (const auto& [url, text] : cases) {
        EXPECT_EQ(control->open(url), Outcome::rejected);
        EXPECT_EQ(lines(),
                  std::vector<std::string>{"default: 外から（URL）の命令を受けませんでした（" + text + "）"});
    }
    EXPECT_TRUE(target->calls.empty());
    EXPECT_TRUE(editor->calls.empty());
}

TEST_F(ExternalControlTest, WithoutAUsableCoordinatorEveryCommandIsUnavailable) {
    for (const auto gone : {true, false}) {
        target->available = !gone;
        target->shutDown = !gone;
        for (const auto& command :
             {ExternalCommand::reveal(false), ExternalCommand::reveal(true), ExternalCommand::collapse(),
              ExternalCommand::pause(), ExternalCommand::resume()}) {
            EXPECT_EQ(control->run(command, Source::shortcuts), Outcome::unavailable);
            EXPECT_EQ(lines(), std::vector<std::string>{"default: 外から（ショートカット）：" +
                                                        std::string(command.kind()) +
                                                        "。止める途中なので何もしません"});
        }
        // A name that exists still needs the coordinator.
        EXPECT_EQ(control->open("pellacor://profile?name=work"), Outcome::unavailable);
        EXPECT_EQ(lines(),
                  std::vector<std::string>{
                      "default: 外から（URL）：プロファイルの切り替え。止める途中なので何もしません"});
    }
    EXPECT_TRUE(target->calls.empty());
    EXPECT_TRUE(editor->calls.empty());

    // The control without any coordinator target at all behaves the same.
    ExternalControl bare(nullptr, editor, store);
    EXPECT_EQ(bare.open("pellacor://pause"), Outcome::unavailable);
}

TEST_F(ExternalControlTest, AGoneEditorMakesAKnownProfileUnavailable) {
    editor->available = false;
    EXPECT_EQ(control->run(ExternalCommand::switchProfile("Work"), Source::url), Outcome::unavailable);
    EXPECT_EQ(lines(), std::vector<std::string>{
                           "default: 外から（URL）：プロファイルの切り替え。止める途中なので何もしません"});
    EXPECT_EQ(control->switchProfile(work.id(), Source::shortcuts), Outcome::unavailable);
    EXPECT_TRUE(editor->calls.empty());
}

TEST_F(ExternalControlTest, AnUnknownNameIsNoProfileEvenWhileShuttingDown) {
    target->shutDown = true;
    target->available = false;
    editor->available = false;
    EXPECT_EQ(control->open("pellacor://profile?name=Home"), Outcome::noProfile);
    EXPECT_EQ(lines(), std::vector<std::string>{
                           "default: 外から（URL）：プロファイルの切り替え。合うプロファイルがありません（3 "
                           "個の中に無い）"});
}

TEST_F(ExternalControlTest, ASwitchIsTheUsersOwnEditAndNeverLogsTheName) {
    EXPECT_EQ(control->open("pellacor://profile?name=%EF%BC%B7%EF%BD%8F%EF%BD%92%EF%BD%8B"),
              Outcome::done); // ＷＯＲＫ
    EXPECT_EQ(editor->calls, std::vector<std::string>{"外からの切り替え byUser changed"});
    ASSERT_TRUE(editor->lastEdited);
    EXPECT_EQ(editor->lastEdited->activeProfileID, work.id());
    EXPECT_EQ(lines(), std::vector<std::string>{"default: 外から（URL）：プロファイルの切り替え"});

    // The default profile by its shown name; the one already active is done too.
    editor->calls.clear();
    EXPECT_EQ(control->run(ExternalCommand::switchProfile("ふだん"), Source::shortcuts), Outcome::done);
    EXPECT_EQ(editor->calls, std::vector<std::string>{"外からの切り替え byUser same"});
    EXPECT_EQ(lines(), std::vector<std::string>{"default: 外から（ショートカット）：プロファイルの切り替え"});
    EXPECT_TRUE(target->calls.empty());
    for (const auto& record : log.records()) {
        EXPECT_EQ(record.message.find("Work"), std::string::npos);
    }
}

TEST_F(ExternalControlTest, ASwitchByIdOfADeletedProfileCountsTheRemainingOnes) {
    EXPECT_EQ(control->switchProfile(Uuid::random(), Source::shortcuts), Outcome::noProfile);
    EXPECT_EQ(lines(), std::vector<std::string>{"default: 外から（ショートカット）：プロファイルの切り替え。"
                                                "合うプロファイルがありません（3 個の中に無い）"});
    EXPECT_TRUE(editor->calls.empty());
    EXPECT_EQ(control->switchProfile(quiet.id(), Source::shortcuts), Outcome::done);
    EXPECT_EQ(editor->calls, std::vector<std::string>{"外からの切り替え byUser changed"});
}

TEST_F(ExternalControlTest, ResumeRespectsAPauseOnlyTheUserMayEnd) {
    struct Case {
        MenuBarState base;
        std::optional<PauseReason> reason;
        Outcome outcome;
        bool resumed;
    };
    const std::vector<Case> cases = {
        {MenuBarState::paused, PauseReason::optionKeyAtLaunch(), Outcome::resumeNeedsUser, false},
        {MenuBarState::paused, PauseReason::osVersionChanged(), Outcome::resumeNeedsUser, false},
        {MenuBarState::paused, PauseReason::controlRemoved(), Outcome::resumeNeedsUser, false},
        {MenuBarState::paused, PauseReason::manual(), Outcome::done, true},
        {MenuBarState::paused, PauseReason::healthProblems({}), Outcome::done, true},
        {MenuBarState::paused, std::nullopt, Outcome::done, true},
        {MenuBarState::collapsed, std::nullopt, Outcome::done, false},
        {MenuBarState::revealed, std::nullopt, Outcome::done, false},
    };
    for (const auto& c : cases) {
        target->base = c.base;
        target->reason = c.reason;
        target->calls.clear();
        EXPECT_EQ(control->open("pellacor://resume"), c.outcome);
        EXPECT_EQ(target->calls.size(), c.resumed ? 1U : 0U);
        EXPECT_EQ(
            lines(),
            std::vector<std::string>{
                c.outcome == Outcome::resumeNeedsUser
                    ? "default: 外から（URL）：再開。画面で確かめるまで止めておく止まり方なので、再開しません"
                    : "default: 外から（URL）：再開"});
    }
    // Refused: still paused with its reason.
    target->base = MenuBarState::paused;
    target->reason = PauseReason::osVersionChanged();
    target->calls.clear();
    EXPECT_EQ(control->run(ExternalCommand::resume(), Source::shortcuts), Outcome::resumeNeedsUser);
    EXPECT_EQ(target->base, MenuBarState::paused);
    EXPECT_EQ(target->reason, PauseReason::osVersionChanged());
}

TEST_F(ExternalControlTest, PauseAndRevealWhilePausedAreHandedOnUnchecked) {
    target->base = MenuBarState::paused;
    target->reason = PauseReason::optionKeyAtLaunch();
    EXPECT_EQ(control->open("pellacor://pause"), Outcome::done);
    EXPECT_EQ(control->open("pellacor://reveal"), Outcome::done);
    EXPECT_EQ(target->calls, (std::vector<std::string>{"pause", "reveal"}));
    EXPECT_EQ(target->reason, PauseReason::optionKeyAtLaunch());
}

TEST_F(ExternalControlTest, TheSharedInstanceIsPublishedAndCleared) {
    EXPECT_EQ(ExternalControl::shared(), nullptr);
    auto published = std::make_shared<ExternalControl>(target, editor, store);
    ExternalControl::publish(published);
    EXPECT_EQ(ExternalControl::shared(), published);
    ExternalControl::clearShared();
    EXPECT_EQ(ExternalControl::shared(), nullptr);
    EXPECT_EQ(ExternalControl::logWord(Source::url), "URL");
    EXPECT_EQ(ExternalControl::logWord(Source::shortcuts), "ショートカット");
}

} // namespace
} // namespace PELLACOR_TEST_FILE
