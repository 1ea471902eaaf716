#include "Trayvane/Integrations/InstanceRequests.h"

#include "Concurrency/ManualExecutor.h"
#include "ExternalControlFakes.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace std::chrono_literals;
using app::ExternalControl;
using app::InstanceRequests;
using coordinator::PauseReason;
using core::ExternalCommand;
using core::InstanceReply;
using core::InstanceRequest;
using core::IntentProblem;
using core::MenuBarState;
using core::ProfileEntity;
using core::Uuid;
using Mode = InstanceRequest::Profiles::Mode;

namespace {

// The requests of other processes against an external control made of fakes.
struct InstanceRequestsTest : ::testing::Test {
    pellacor::testing::TempDir dir;
    concurrency::ManualExecutor executor;
    std::shared_ptr<app::SettingsStore> store =
        std::make_shared<app::SettingsStore>(core::Store(dir / "Trayvane/state.json"));
    std::shared_ptr<pellacor::testing::FakeTarget> target = std::make_shared<pellacor::testing::FakeTarget>();
    std::shared_ptr<pellacor::testing::FakeEditor> editor =
        std::make_shared<pellacor::testing::FakeEditor>(store);
    std::shared_ptr<ExternalControl> control = std::make_shared<ExternalControl>(target, editor, store);
    std::vector<std::pair<std::vector<std::string>, std::size_t>> opened;
    InstanceRequests requests{executor,
                              [this](std::vector<std::string> urls, std::size_t received) {
                                  opened.emplace_back(std::move(urls), received);
                              },
                              app::IntentGate::clockOf(executor)};
    std::vector<InstanceReply> replies;

    void SetUp() override { ExternalControl::clearShared(); }
    void TearDown() override { ExternalControl::clearShared(); }

    void handle(const InstanceRequest& request) {
        requests.handle(request, [this](const InstanceReply& reply) { replies.push_back(reply); });
        executor.runUntilIdle();
    }
};

TEST_F(InstanceRequestsTest, URLsGoToTheIntakeAndAreAnsweredAtOnce) {
    handle(InstanceRequest::open({"pellacor://collapse", "pellacor://pause"}));
    ASSERT_EQ(opened.size(), 1U);
    EXPECT_EQ(opened[0].first, (std::vector<std::string>{"pellacor://collapse", "pellacor://pause"}));
    EXPECT_EQ(opened[0].second, 2U);
    EXPECT_EQ(replies, std::vector<InstanceReply>{InstanceReply::done()});
    // Before start-up publishes anything: the intake queues, so nothing waits here.
    EXPECT_TRUE(target->calls.empty());
}

TEST_F(InstanceRequestsTest, AnActionIsAnsweredWhenTheGateHasRunIt) {
    handle(InstanceRequest::run(ExternalCommand::Case::reveal, true));
    executor.advanceBy(1s);
    EXPECT_TRUE(replies.empty());
    ExternalControl::publish(control);
    executor.advanceBy(200ms);
    EXPECT_EQ(replies, std::vector<InstanceReply>{InstanceReply::done()});
    EXPECT_EQ(target->calls, std::vector<std::string>{"reveal(all)"});

    target->base = MenuBarState::paused;
    target->reason = PauseReason::osVersionChanged();
    handle(InstanceRequest::run(ExternalCommand::Case::resume));
    EXPECT_EQ(replies.back(), InstanceReply::failed(IntentProblem::Case::resumeNeedsUser));
    handle(InstanceRequest::run(ExternalCommand::Case::switchProfile, false, Uuid::random()));
    EXPECT_EQ(replies.back(), InstanceReply::failed(IntentProblem::Case::unknownProfile));
}

TEST_F(InstanceRequestsTest, ProfilesComeWithTheActiveOneOrNotReady) {
    const Uuid a = Uuid::random();
    const Uuid b = Uuid::random();
    editor->offered = {{a, "Work", false}, {b, "Home", true}};
    handle(*InstanceRequest::profiles({Mode::matching, "", {}}));
    executor.advanceBy(30s);
    EXPECT_EQ(replies, std::vector<InstanceReply>{InstanceReply::failed(IntentProblem::Case::notReady)});

    ExternalControl::publish(control);
    handle(*InstanceRequest::profiles({Mode::matching, "wo", {}}));
    InstanceReply expected;
    expected.profiles = std::vector<ProfileEntity>{{a, "Work"}};
    expected.activeProfile = b;
    EXPECT_EQ(replies.back(), expected);
    handle(*InstanceRequest::profiles({Mode::identifiers, {}, {b}}));
    EXPECT_EQ(replies.back().profiles, (std::vector<ProfileEntity>{{b, "Home"}}));
}

// The server may still hold its handler after the requests object went (the
// end of the program): a request then reaches no intake and is told "not ready".
TEST_F(InstanceRequestsTest, AHandlerThatOutlivesItsRequestsReachesNothing) {
    int reached = 0;
    auto gone = std::make_unique<InstanceRequests>(
        executor, [&reached](std::vector<std::string>, std::size_t) { ++reached; },
        app::IntentGate::clockOf(executor));
    const auto handler = gone->handler();
    handler(InstanceRequest::open({"pellacor://pause"}),
            [this](const InstanceReply& r) { replies.push_back(r); });
    ASSERT_EQ(reached, 1);
    gone.reset();
    handler(InstanceRequest::open({"pellacor://pause"}),
            [this](const InstanceReply& r) { replies.push_back(r); });
    executor.runUntilIdle();
    EXPECT_EQ(reached, 1);
    EXPECT_EQ(replies, (std::vector<InstanceReply>{InstanceReply::done(),
                                                   InstanceReply::failed(IntentProblem::Case::notReady)}));
}

} // namespace

} // namespace PELLACOR_TEST_FILE
