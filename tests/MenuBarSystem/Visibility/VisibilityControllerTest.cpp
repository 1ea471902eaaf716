#include "MenuBarSystem/Visibility/VisibilityController.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/TaskHandle.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/LogCapture.h"
#include "Support/ModelPrinters.h"

#include <cctype>
#include <chrono>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using namespace pellacor;
using core::VisibilityPlan;
using platform::SimulatedRestrictionService;
using system::SystemResult;
using system::UnavailableReason;
using system::VisibilityController;

namespace pellacor::platform {
// Names each case by what is missing; the default print would hold pointer
// bytes, which end up in the test names.
inline std::string faultName(const SimulatedRuntimeLoader::Fault& fault) {
    if (fault.kind == SimulatedRuntimeLoader::Fault::Kind::libraryMissing) {
        return "frameworkMissing";
    }
    std::string name = "wrongArgumentCountOf";
    for (const char c : fault.selector) {
        if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
            name += name.size() == 20 ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
        }
    }
    return name;
}

inline void PrintTo(const SimulatedRuntimeLoader::Fault& fault, std::ostream* os) {
    *os << faultName(fault);
}
} // namespace pellacor::platform

namespace pellacor::system {
inline void PrintTo(const SystemResult<core::VisibilityPlan>& result, std::ostream* os) {
    *os << toString(result);
}
} // namespace pellacor::system

namespace PELLACOR_TEST_FILE {
namespace {

using Result = SystemResult<VisibilityPlan>;
using Mode = SimulatedRestrictionService::CompletionMode;

const std::string self(core::bundleIdentifier);
const std::string lateMessage = "完了の前に外した制限に、知らせのあとでもう一度「外す」を送りました";

platform::SimulatedApplication application(std::string bundle, std::int32_t pid) {
    platform::SimulatedApplication app;
    app.bundleIdentifier = std::move(bundle);
    app.processIdentifier = pid;
    platform::SimulatedStatusItem item;
    item.identifier = app.bundleIdentifier.value() + ".item";
    app.statusItems = {item};
    return app;
}

// The program, three other applications and the system's clock.
platform::Scenario desk() {
    platform::Scenario scenario;
    scenario.applications = {application(self, 20), application("com.example.a", 21),
                             application("com.example.b", 22), application("com.example.c", 23)};
    auto system = application("com.apple.controlcenter", 9);
    system.statusItems[0].kind = platform::SimulatedStatusItem::Kind::system;
    scenario.applications.push_back(system);
    return scenario;
}

VisibilityPlan allow(std::vector<std::string> others) {
    others.push_back(self);
    std::sort(others.begin(), others.end());
    return VisibilityPlan::allow(others);
}

class VisibilityControllerTest : public ::testing::Test {
protected:
    explicit VisibilityControllerTest(platform::Scenario scenario = desk()) : platform(std::move(scenario)) {
        // Completions wait for the test unless it says otherwise.
        service().setCompletionMode(Mode::held);
        controller = VisibilityController::create(executor, platform.runtimeLoader(), self);
    }

    SimulatedRestrictionService& service() { return *platform.restrictionService(); }

    concurrency::TaskHandle<Result> start(VisibilityPlan plan) {
        auto handle = concurrency::spawn(executor, controller->apply(std::move(plan)));
        executor.runUntilIdle();
        return handle;
    }

    // Lets the framework answer every activation sent so far, each on a real thread of its own.
    void complete() {
        service().releasePendingCompletions();
        executor.runUntilIdle();
    }

    Result applyAndComplete(VisibilityPlan plan) {
        auto handle = start(std::move(plan));
        complete();
        EXPECT_TRUE(handle.isFinished());
        return handle.result().value_or(Result::timeout());
    }

    // The owners of the applications' items on the bar, system items left out.
    std::set<std::string> shown() const {
        std::set<std::string> owners;
        for (const auto& placed : platform.desktop()->menuBarItems()) {
            if (placed.item.kind == platform::SimulatedStatusItem::Kind::standard) {
                owners.insert(placed.ownerBundleIdentifier.value_or(""));
            }
        }
        return owners;
    }
    bool clockShown() const {
        auto items = platform.desktop()->menuBarItems();
        return std::any_of(items.begin(), items.end(), [](const auto& placed) {
            return placed.item.kind == platform::SimulatedStatusItem::Kind::system;
        });
    }
    const std::set<std::string> everyone{self, "com.example.a", "com.example.b", "com.example.c"};

    // Declared first so it goes last: the framework's threads post to it until the platform is gone.
    concurrency::ManualExecutor executor;
    platform::SimulatedPlatform platform;
    std::shared_ptr<VisibilityController> controller;
    pellacor::testing::LogCapture logs;
};

TEST_F(VisibilityControllerTest, AllowPlanHidesEveryOtherApplicationAndRemovalBringsThemBack) {
    ASSERT_TRUE(controller->isHidingAvailable());
    EXPECT_FALSE(controller->isRestricting());

    auto handle = start(allow({"com.example.a"}));
    EXPECT_FALSE(handle.isFinished()) << "waits for the framework's completion";
    EXPECT_TRUE(controller->isRestricting()) << "an activation in flight counts";
    EXPECT_EQ(shown(), everyone);
    complete();
    ASSERT_TRUE(handle.isFinished());
    EXPECT_EQ(*handle.result(), Result::ok(allow({"com.example.a"})));
    EXPECT_EQ(controller->currentPlan(), allow({"com.example.a"}));
    EXPECT_EQ(shown(), (std::set<std::string>{self, "com.example.a"}));
    EXPECT_TRUE(clockShown()) << "the system's items always stay";
    EXPECT_TRUE(controller->isRestricting());

    controller->removeRestriction();
    EXPECT_EQ(shown(), everyone);
    EXPECT_EQ(controller->currentPlan(), VisibilityPlan::noRestriction());
    EXPECT_FALSE(controller->isRestricting());
    EXPECT_EQ(service().activeAssertionCount(), 0u);
    EXPECT_EQ(service().gapCount(), 0u);
}

TEST_F(VisibilityControllerTest, TheSamePlanTwiceActivatesOnceButAgainAfterARemoval) {
    EXPECT_EQ(applyAndComplete(allow({"com.example.a"})), Result::ok(allow({"com.example.a"})));
    auto again = start(allow({"com.example.a"}));
    ASSERT_TRUE(again.isFinished()) << "answered at once, nothing sent";
    EXPECT_EQ(*again.result(), Result::ok(allow({"com.example.a"})));
    EXPECT_EQ(service().activationCount(), 1);

    controller->removeRestriction();
    EXPECT_EQ(applyAndComplete(allow({"com.example.a"})), Result::ok(allow({"com.example.a"})));
    EXPECT_EQ(service().activationCount(), 2);
    EXPECT_EQ(shown(), (std::set<std::string>{self, "com.example.a"}));
}

TEST_F(VisibilityControllerTest, ReplacingAPlanKeepsTheOldAssertionUntilTheNewOneIsConfirmed) {
    applyAndComplete(allow({"com.example.a"}));
    auto replacement = start(allow({"com.example.b"}));
    EXPECT_EQ(shown(), (std::set<std::string>{self, "com.example.a"}))
        << "the old restriction holds meanwhile";
    EXPECT_EQ(controller->currentPlan(), allow({"com.example.a"}));
    complete();
    EXPECT_EQ(*replacement.result(), Result::ok(allow({"com.example.b"})));
    EXPECT_EQ(shown(), (std::set<std::string>{self, "com.example.b"}));
    EXPECT_EQ(service().activeAssertionCount(), 1u) << "the old assertion was ended after the switch";
    applyAndComplete(allow({}));
    EXPECT_EQ(shown(), (std::set<std::string>{self}));
    EXPECT_EQ(service().gapCount(), 0u);
}

TEST_F(VisibilityControllerTest, ASupersededApplyReturnsThePlanInForceWhenItWakes) {
    applyAndComplete(allow({"com.example.a"}));
    auto first = start(allow({"com.example.b"}));
    auto second = start(allow({"com.example.c"}));
    EXPECT_EQ(service().pendingCompletionCount(), 2u);
    auto ids = service().assertions();
    ASSERT_EQ(ids.size(), 3u);

    // The second is confirmed while the first still waits.
    ASSERT_TRUE(service().releasePendingCompletion(ids[2].id));
    executor.runUntilIdle();
    ASSERT_TRUE(second.isFinished());
    EXPECT_FALSE(first.isFinished());
    EXPECT_EQ(*second.result(), Result::ok(allow({"com.example.c"})));
    EXPECT_EQ(shown(), (std::set<std::string>{self, "com.example.c"}));

    // The first's completion comes late: it wakes to the plan now in force, and
    // its assertion, cancelled before, is ended once more.
    ASSERT_TRUE(service().releasePendingCompletion(ids[1].id));
    executor.runUntilIdle();
    ASSERT_TRUE(first.isFinished());
    EXPECT_EQ(*first.result(), Result::ok(allow({"com.example.c"})));
    EXPECT_EQ(shown(), (std::set<std::string>{self, "com.example.c"}));
    auto assertions = service().assertions();
    EXPECT_EQ(assertions[1].invalidations, 2) << "cancelled, then ended again after its late completion";
    EXPECT_FALSE(assertions[1].active);
    EXPECT_EQ(assertions[0].invalidations, 1)
        << "the first plan's assertion ended once the third was in force";
    EXPECT_TRUE(logs.contains("visibility", lateMessage));
    EXPECT_EQ(service().gapCount(), 0u);
    EXPECT_TRUE(controller->isRestricting());
    controller->removeRestriction();
    EXPECT_FALSE(controller->isRestricting());
}

TEST_F(VisibilityControllerTest, ASupersededApplyWhoseCompletionComesFirstSeesThePreviousPlan) {
    applyAndComplete(allow({"com.example.a"}));
    auto first = start(allow({"com.example.b"}));
    auto second = start(allow({"com.example.c"}));
    // Both completions come in order; the first wakes before the second is handled.
    complete();
    EXPECT_EQ(*first.result(), Result::ok(allow({"com.example.a"})));
    EXPECT_EQ(*second.result(), Result::ok(allow({"com.example.c"})));
    EXPECT_EQ(shown(), (std::set<std::string>{self, "com.example.c"}));
    EXPECT_EQ(service().gapCount(), 0u);
}

TEST_F(VisibilityControllerTest, ASupersededApplyWokenFirstSeesThePreviousPlan) {
    applyAndComplete(allow({"com.example.a"}));
    auto first = start(allow({"com.example.b"}));
    executor.advanceBy(500ms);
    auto second = start(allow({"com.example.c"}));
    // The first's wait ends by its time-out, while the second is still waiting.
    executor.advanceBy(500ms);
    ASSERT_TRUE(first.isFinished());
    EXPECT_FALSE(second.isFinished());
    EXPECT_EQ(*first.result(), Result::ok(allow({"com.example.a"})));
    EXPECT_EQ(shown(), (std::set<std::string>{self, "com.example.a"}))
        << "a superseded apply removes nothing";
    EXPECT_EQ(controller->currentPlan(), allow({"com.example.a"}));
    complete();
    EXPECT_EQ(*second.result(), Result::ok(allow({"com.example.c"})));
    EXPECT_EQ(shown(), (std::set<std::string>{self, "com.example.c"}));
    EXPECT_EQ(service().gapCount(), 0u);
}

TEST_F(VisibilityControllerTest, NoCompletionWithinASecondTimesOutAndALateOneIsEndedAgain) {
    applyAndComplete(allow({"com.example.a"}));
    auto handle = start(allow({"com.example.b"}));
    executor.advanceBy(999ms);
    EXPECT_FALSE(handle.isFinished());
    executor.advanceBy(1ms);
    ASSERT_TRUE(handle.isFinished());
    EXPECT_EQ(*handle.result(), Result::timeout());
    EXPECT_EQ(controller->currentPlan(), VisibilityPlan::noRestriction()) << "no restriction is claimed";
    EXPECT_EQ(shown(), everyone) << "a failure leaves nothing hidden";
    EXPECT_TRUE(controller->isRestricting()) << "the activation may still come alive";
    EXPECT_FALSE(logs.contains("visibility", lateMessage));

    // The framework answers late, on its own thread: it activates regardless,
    // and the controller ends it once more.
    service().releasePendingCompletions();
    EXPECT_EQ(shown(), (std::set<std::string>{self, "com.example.b"})) << "the late activation took hold";
    executor.runUntilIdle();
    EXPECT_EQ(shown(), everyone);
    EXPECT_FALSE(controller->isRestricting());
    EXPECT_EQ(logs.messages("visibility"), (std::vector<std::string>{lateMessage}));
    auto records = logs.matching(lateMessage);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].level, core::LogLevel::defaultLevel);
    EXPECT_EQ(records[0].subsystem, self);
    EXPECT_EQ(service().assertions()[1].invalidations, 2);
}

TEST_F(VisibilityControllerTest, RemovalDuringAnActivationAnswersNoRestriction) {
    auto handle = start(allow({"com.example.a"}));
    controller->removeRestriction();
    EXPECT_FALSE(handle.isFinished()) << "it wakes with its completion or its time-out";
    executor.runUntilIdle();
    complete();
    ASSERT_TRUE(handle.isFinished());
    EXPECT_EQ(*handle.result(), Result::ok(VisibilityPlan::noRestriction()));
    EXPECT_EQ(shown(), everyone);
    EXPECT_FALSE(controller->isRestricting());
    EXPECT_EQ(service().activeAssertionCount(), 0u);
}

TEST_F(VisibilityControllerTest, APlanWithoutTheProgramIsRefusedAndLiftsTheRestriction) {
    applyAndComplete(allow({"com.example.a"}));
    auto refused = start(VisibilityPlan::allow({"com.example.a"}));
    ASSERT_TRUE(refused.isFinished());
    EXPECT_EQ(*refused.result(), Result::unavailable(UnavailableReason::selfNotAllowed));
    EXPECT_EQ(shown(), everyone);
    EXPECT_EQ(controller->currentPlan(), VisibilityPlan::noRestriction());
    EXPECT_FALSE(controller->isRestricting());
    EXPECT_EQ(service().activationCount(), 1);

    // An empty own identifier can never be allowed; surrounding white space is not part of it.
    auto blank = VisibilityController::create(executor, platform.runtimeLoader(), " \n");
    auto none = concurrency::spawn(executor, blank->apply(VisibilityPlan::allow({"", " \n"})));
    executor.runUntilIdle();
    EXPECT_EQ(*none.result(), Result::unavailable(UnavailableReason::selfNotAllowed));
    auto padded = VisibilityController::create(executor, platform.runtimeLoader(), "  " + self + "\n");
    EXPECT_EQ(padded->selfBundleID(), self);
}

TEST_F(VisibilityControllerTest, NoRestrictionPlanLiftsAndAnswersAtOnce) {
    applyAndComplete(allow({"com.example.a"}));
    auto handle = start(VisibilityPlan::noRestriction());
    ASSERT_TRUE(handle.isFinished());
    EXPECT_EQ(*handle.result(), Result::ok(VisibilityPlan::noRestriction()));
    EXPECT_EQ(shown(), everyone);
    EXPECT_FALSE(controller->isRestricting());
}

TEST_F(VisibilityControllerTest, RefusedConfigurationIsARejectedRestriction) {
    applyAndComplete(allow({"com.example.a"}));
    service().setRefusesConfiguration(true);
    auto handle = start(allow({"com.example.b"}));
    ASSERT_TRUE(handle.isFinished());
    EXPECT_EQ(*handle.result(), Result::unavailable(UnavailableReason::restrictionRejected));
    EXPECT_EQ(shown(), everyone);
    EXPECT_FALSE(controller->isRestricting());
}

TEST_F(VisibilityControllerTest, ACompletionReportingAnErrorIsAFailureThatLeavesNothingHidden) {
    applyAndComplete(allow({"com.example.a"}));
    service().setCompletionError(5);
    EXPECT_EQ(applyAndComplete(allow({"com.example.b"})),
              Result::unavailable(UnavailableReason::systemError(5)))
        << "the framework answered, but nothing was restricted";
    EXPECT_EQ(controller->currentPlan(), VisibilityPlan::noRestriction());
    EXPECT_EQ(shown(), everyone) << "the restriction in force was lifted as with every failure";
    EXPECT_FALSE(controller->isRestricting());
    EXPECT_EQ(service().activeAssertionCount(), 0u);

    // Once the framework works again the same plan is sent anew, not taken as in force.
    service().setCompletionError(0);
    EXPECT_EQ(applyAndComplete(allow({"com.example.b"})), Result::ok(allow({"com.example.b"})));
    EXPECT_EQ(shown(), (std::set<std::string>{self, "com.example.b"}));
}

TEST_F(VisibilityControllerTest, CompletionOnTheFrameworksOwnThreadResumesOnTheMainExecutor) {
    service().setCompletionMode(Mode::immediate);
    auto handle = start(allow({"com.example.b"}));
    ASSERT_TRUE(executor.runUntil([&] { return handle.isFinished(); }));
    EXPECT_EQ(*handle.result(), Result::ok(allow({"com.example.b"})));
    auto record = service().assertions().at(0);
    ASSERT_TRUE(record.completionThread);
    EXPECT_NE(*record.completionThread, std::this_thread::get_id());
    EXPECT_EQ(shown(), (std::set<std::string>{self, "com.example.b"}));

    // Quick replacements with real threads answering in their own time: never a gap.
    for (int i = 0; i < 20; ++i) {
        auto next = start(allow({i % 2 == 0 ? "com.example.a" : "com.example.c"}));
        ASSERT_TRUE(executor.runUntil([&] { return next.isFinished(); }));
        EXPECT_TRUE(next.result()->isOk());
    }
    service().waitForDeliveries();
    executor.runUntilIdle();
    EXPECT_EQ(shown(), (std::set<std::string>{self, "com.example.c"}));
    EXPECT_EQ(service().activeAssertionCount(), 1u);
    EXPECT_EQ(service().gapCount(), 0u);
}

// Hiding unavailable: the framework is missing or shaped differently.
class VisibilityControllerMissingFrameworkTest
    : public ::testing::TestWithParam<platform::SimulatedRuntimeLoader::Fault> {};

TEST_P(VisibilityControllerMissingFrameworkTest, AllowPlansFailAndLiftingStillWorks) {
    concurrency::ManualExecutor executor;
    platform::Scenario scenario = desk();
    scenario.loaderFaults = {GetParam()};
    platform::SimulatedPlatform platform(scenario);
    auto controller = VisibilityController::create(executor, platform.runtimeLoader(), self);
    EXPECT_FALSE(controller->isHidingAvailable());

    auto refused = concurrency::spawn(executor, controller->apply(allow({"com.example.a"})));
    auto lifted = concurrency::spawn(executor, controller->apply(VisibilityPlan::noRestriction()));
    executor.runUntilIdle();
    EXPECT_EQ(*refused.result(), Result::unavailable(UnavailableReason::hidingComponentMissing));
    EXPECT_EQ(*lifted.result(), Result::ok(VisibilityPlan::noRestriction()));
    controller->removeRestriction();
    EXPECT_FALSE(controller->isRestricting());
    EXPECT_EQ(platform.restrictionService()->activationCount(), 0);
}

using Fault = platform::SimulatedRuntimeLoader::Fault;
INSTANTIATE_TEST_SUITE_P(
    Faults, VisibilityControllerMissingFrameworkTest,
    ::testing::Values(Fault{Fault::Kind::libraryMissing,
                            std::string(SimulatedRestrictionService::frameworkPath), "", "", false, 0},
                      Fault{Fault::Kind::wrongArgumentCount, "",
                            std::string(SimulatedRestrictionService::configurationClassName),
                            "initWithAllowedSystemItems:allowedBundleIdentifiers:", false, 3},
                      Fault{Fault::Kind::wrongArgumentCount, "",
                            std::string(SimulatedRestrictionService::assertionClassName), "invalidate", false,
                            3}),
    [](const ::testing::TestParamInfo<Fault>& info) { return platform::faultName(info.param); });

} // namespace
} // namespace PELLACOR_TEST_FILE
