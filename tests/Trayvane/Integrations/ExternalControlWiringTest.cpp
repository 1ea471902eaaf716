#include "Support/CoordinatorFixture.h"
#include "Support/LogCapture.h"
#include "Support/TempDir.h"
#include "Trayvane/Integrations/CoordinatorTarget.h"
#include "Trayvane/Integrations/ExternalControl.h"
#include "Trayvane/Integrations/ProfileEditorLink.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::ExternalControl;
using core::Profile;
using core::Section;
using core::StoredState;
using core::Uuid;
using Outcome = ExternalControl::Outcome;

namespace {

// The executor over the real coordinator and profile editor, through the
// targets that hold them weakly.
struct ExternalControlWiringTest : pellacor::testing::CoordinatorFixture {
    pellacor::testing::TempDir dir;
    pellacor::testing::LogCapture log;
    Profile everyday{Uuid::random(), "Default", {}, {}, Section::hidden};
    Profile work{Uuid::random(), "Work", {}, {}, Section::shown};
    std::shared_ptr<app::SettingsStore> store;
    std::shared_ptr<app::ProfileEditor> editor;
    std::unique_ptr<ExternalControl> control;

    void open(std::optional<PauseReason> pauseAtLaunch) {
        const auto file = dir / "Trayvane/state.json";
        ASSERT_EQ(core::Store(file).save(
                      StoredState(StoredState::currentVersion, {everyday, work}, {}, everyday.id())),
                  core::Store::SaveResult::saved());
        store = std::make_shared<app::SettingsStore>(core::Store(file));
        start(pauseAtLaunch);
        editor =
            std::make_shared<app::ProfileEditor>(store, std::make_shared<app::ProfilesModel>(),
                                                 std::weak_ptr<app::SectionsModel>(), coordinator, executor);
        control = std::make_unique<ExternalControl>(std::make_shared<app::CoordinatorTarget>(coordinator),
                                                    std::make_shared<app::ProfileEditorLink>(editor), store);
        take();
        log.clear();
    }
};

TEST_F(ExternalControlWiringTest, AManualPauseIsEndedFromOutsideAndAPauseAtLaunchIsNot) {
    open(PauseReason::manual());
    ASSERT_EQ(coordinator->baseState(), State::paused);
    EXPECT_EQ(control->open("pellacor://resume"), Outcome::done);
    EXPECT_EQ(coordinator->baseState(), State::starting);
    EXPECT_EQ(control->open("pellacor://pause"), Outcome::done);
    EXPECT_EQ(coordinator->baseState(), State::paused);
    EXPECT_EQ(coordinator->currentPauseReason(), PauseReason::manual());
}

TEST_F(ExternalControlWiringTest, APauseForANewSystemWaitsForTheUser) {
    open(PauseReason::osVersionChanged());
    EXPECT_EQ(control->open("pellacor://resume"), Outcome::resumeNeedsUser);
    EXPECT_EQ(coordinator->baseState(), State::paused);
    EXPECT_EQ(coordinator->currentPauseReason(), PauseReason::osVersionChanged());
}

TEST_F(ExternalControlWiringTest, ASwitchGoesThroughTheEditorAndEndsWithTheCoordinator) {
    open(std::nullopt);
    EXPECT_EQ(control->open("pellacor://profile?name=work"), Outcome::done);
    EXPECT_EQ(store->state().activeProfileID, work.id());
    EXPECT_TRUE(log.contains("app", "プロファイルの外からの切り替え：2 個"));
    EXPECT_TRUE(log.contains("app", "外から（URL）：プロファイルの切り替え"));

    coordinator->shutdown();
    EXPECT_EQ(control->open("pellacor://profile?name=Default"), Outcome::unavailable);
    EXPECT_EQ(store->state().activeProfileID, work.id());

    coordinator.reset();
    EXPECT_EQ(control->open("pellacor://collapse"), Outcome::unavailable);
    editor.reset();
    EXPECT_EQ(control->open("pellacor://profile?name=nobody"), Outcome::noProfile);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
