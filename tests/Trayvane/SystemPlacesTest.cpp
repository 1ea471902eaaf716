#include "Trayvane/Onboarding/SystemPlaces.h"

#include "Concurrency/ManualExecutor.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/FakeWorkspaceOpener.h"
#include "Support/LogCapture.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::SystemPlaces;
using pellacor::testing::FakeWorkspaceOpener;

namespace {

struct SystemPlacesTest : ::testing::Test {
    std::shared_ptr<FakeWorkspaceOpener> workspace = std::make_shared<FakeWorkspaceOpener>();
    concurrency::ManualExecutor executor;
    pellacor::testing::LogCapture log;
    int terminations = 0;
    SystemPlaces places{workspace, "/Applications/Pellacor.app", executor, [this] { ++terminations; }};

    std::vector<std::string> appLines() const { return log.messages("app"); }
};

} // namespace

TEST_F(SystemPlacesTest, OpenSettingsOpensTheAccessibilityListWithoutCheckingTheAnswer) {
    workspace->handlesURLs = false;
    places.openAccessibilitySettings();
    EXPECT_EQ(workspace->urls,
              std::vector<std::string>{
                  "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"});
    EXPECT_EQ(appLines(), std::vector<std::string>{"システム設定（アクセシビリティ）を開きます"});
    EXPECT_EQ(log.matching("システム設定")[0].level, core::LogLevel::info);
}

TEST_F(SystemPlacesTest, RelaunchStartsANewInstanceOfTheOwnBundleThenTerminatesOnALaterTurn) {
    places.relaunch();
    EXPECT_EQ(workspace->openings,
              (std::vector<FakeWorkspaceOpener::Opening>{{"/Applications/Pellacor.app", {true}}}));
    EXPECT_EQ(terminations, 0) << "not inside the workspace's answer";
    executor.runUntilIdle();
    EXPECT_EQ(terminations, 1);
    EXPECT_EQ(appLines(), std::vector<std::string>{"開き直します"});
}

TEST_F(SystemPlacesTest, AFailedStartStillTerminatesWhereverTheAnswerComesFrom) {
    const struct {
        const char* how;
        FakeWorkspaceOpener::Reply reply;
    } cases[] = {
        {"at once", FakeWorkspaceOpener::Reply::inline_},
        {"from another thread", FakeWorkspaceOpener::Reply::otherThread},
        {"later", FakeWorkspaceOpener::Reply::held},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        log.clear();
        terminations = 0;
        workspace->reply = c.reply;
        workspace->answer = 13;
        places.relaunch();
        executor.runUntilIdle();
        EXPECT_EQ(terminations, c.reply == FakeWorkspaceOpener::Reply::held ? 0 : 1);
        workspace->release(13);
        executor.runUntilIdle();
        EXPECT_EQ(terminations, 1);
        const auto failed = log.matching("新しい自分を起動できませんでした");
        ASSERT_EQ(failed.size(), 1U);
        EXPECT_EQ(failed[0].message, "新しい自分を起動できませんでした（13）。終了だけします");
        EXPECT_EQ(failed[0].level, core::LogLevel::error);
    }
}

TEST(SystemPlacesWithoutWorkspaceTest, StillTerminates) {
    concurrency::ManualExecutor executor;
    pellacor::testing::LogCapture log;
    int terminations = 0;
    const SystemPlaces places(nullptr, "/Applications/Pellacor.app", executor, [&] { ++terminations; });
    places.openAccessibilitySettings();
    places.relaunch();
    executor.runUntilIdle();
    EXPECT_EQ(terminations, 1);
    EXPECT_EQ(log.matching("新しい自分を起動できませんでした").size(), 1U);
}

TEST(SystemPlacesOnTheDesktopTest, OpensTheSimulatedSettingsAndStartsTheProgramAnewOrOnlyEnds) {
    const struct {
        const char* how;
        std::optional<std::int64_t> startError;
    } cases[] = {{"started", std::nullopt}, {"not started", ENOENT}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        platform::SimulatedPlatform platform;
        concurrency::ManualExecutor executor;
        pellacor::testing::LogCapture log;
        int started = 0;
        int terminations = 0;
        platform.workspaceOpener()->setProgramStarter([&] {
            ++started;
            return c.startError;
        });
        const SystemPlaces places(platform.workspaceOpener(), platform.desktop()->ownBundlePath().string(),
                                  executor, [&] { ++terminations; });
        places.openAccessibilitySettings();
        const auto page = platform.systemSettings()->openPage();
        ASSERT_TRUE(page);
        EXPECT_EQ(page->pane, platform::SimulatedSystemSettings::securityPane);
        EXPECT_EQ(page->anchor, platform::SimulatedSystemSettings::accessibilityAnchor);

        places.relaunch();
        executor.runUntilIdle();
        EXPECT_EQ(started, 1);
        EXPECT_EQ(terminations, 1);
        EXPECT_EQ(log.matching("新しい自分を起動できませんでした").size(), c.startError ? 1U : 0U);
    }
}

} // namespace PELLACOR_TEST_FILE
