#include "Platform/Simulated/SimulatedPlatform.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace PELLACOR_TEST_FILE {

using namespace std::chrono_literals;
using namespace pellacor::platform;

namespace {

using Mode = SimulatedRestrictionService::CompletionMode;

// Speaks to the simulated framework through the runtime the way a client must:
// configuration alloc/init, assertion instance, activation with a block, "invalidate".
class FrameworkClient {
public:
    explicit FrameworkClient(RuntimeLoader& loader) : loader_(loader) {
        loader_.openLibrary(std::string(SimulatedRestrictionService::frameworkPath),
                            RuntimeLoader::BindingMode::now);
        configClass_ = loader_.lookUpClass(std::string(SimulatedRestrictionService::configurationClassName));
        assertionClass_ = loader_.lookUpClass(std::string(SimulatedRestrictionService::assertionClassName));
    }

    RuntimeObjectRef activate(std::vector<std::string> bundles, CompletionBlock block) {
        const std::string initSel = "initWithAllowedSystemItems:allowedBundleIdentifiers:";
        const std::string activateSel = "activateWithConfiguration:completionHandler:";
        auto config = loader_.classMethod(configClass_, "alloc")->implementation(configClass_, "alloc", {});
        if (config) {
            config = loader_.instanceMethod(configClass_, initSel)
                         ->implementation(config, initSel,
                                          {std::vector<std::int64_t>{0, 1, 2, 3}, std::move(bundles)});
        }
        auto assertion = loader_.createInstance(assertionClass_);
        loader_.instanceMethod(assertionClass_, activateSel)
            ->implementation(assertion, activateSel, {config, block});
        return assertion;
    }

    void invalidate(const RuntimeObjectRef& assertion) {
        loader_.methodImplementation(assertion, "invalidate")(assertion, "invalidate", {});
    }

private:
    RuntimeLoader& loader_;
    RuntimeObjectRef configClass_;
    RuntimeObjectRef assertionClass_;
};

// Counts completions and remembers the thread and the first word of the last one.
struct Completions {
    std::atomic<int> count{0};
    std::atomic<std::uint64_t> lastError{0};
    std::thread::id thread;
    std::mutex mutex;
    CompletionBlock block() {
        return [this](std::uint64_t error, std::uint64_t) {
            {
                std::lock_guard lock(mutex);
                thread = std::this_thread::get_id();
            }
            lastError = error;
            ++count;
        };
    }
};

std::vector<std::string> owners(const SimulatedDesktop& desktop) {
    std::vector<std::string> result;
    for (const auto& placed : desktop.menuBarItems()) {
        if (placed.item.kind == SimulatedStatusItem::Kind::standard) {
            result.push_back(placed.ownerBundleIdentifier.value_or("-"));
        }
    }
    return result;
}

Scenario smallScenario() {
    Scenario scenario;
    for (auto [bundle, pid] :
         {std::pair{"com.example.a", 10}, {"com.example.b", 11}, {"com.example.c", 12}}) {
        SimulatedApplication app;
        app.bundleIdentifier = bundle;
        app.processIdentifier = pid;
        app.statusItems = {SimulatedStatusItem{}};
        scenario.applications.push_back(app);
    }
    SimulatedApplication system;
    system.bundleIdentifier = "com.apple.controlcenter";
    system.processIdentifier = 9;
    SimulatedStatusItem clock;
    clock.kind = SimulatedStatusItem::Kind::system;
    system.statusItems = {clock};
    scenario.applications.push_back(system);
    return scenario;
}

class SimulatedRestrictionServiceTest : public ::testing::Test {
protected:
    SimulatedPlatform platform{smallScenario()};
    SimulatedDesktop& desktop = *platform.desktop();
    SimulatedRestrictionService& service = *platform.restrictionService();
    FrameworkClient client{*platform.runtimeLoader()};
    Completions completions;
};

TEST_F(SimulatedRestrictionServiceTest, ImmediateCompletionComesOnAThreadOfItsOwnAfterTheBarChanged) {
    std::vector<std::string> barWhenCompleted;
    std::mutex mutex;
    auto assertion = client.activate({"com.example.a"}, [&](std::uint64_t, std::uint64_t) {
        std::lock_guard lock(mutex);
        barWhenCompleted = owners(desktop);
        completions.block()(0, 0);
    });
    service.waitForDeliveries();
    ASSERT_EQ(completions.count.load(), 1);
    EXPECT_NE(completions.thread, std::this_thread::get_id());
    EXPECT_EQ(barWhenCompleted, (std::vector<std::string>{"com.example.a"}));
    EXPECT_EQ(desktop.menuBarItems().size(), 2u) << "system items stay";

    client.invalidate(assertion);
    EXPECT_EQ(owners(desktop).size(), 3u);
    EXPECT_EQ(service.invalidationCount(), 1);
    EXPECT_EQ(service.activationCount(), 1);
}

TEST_F(SimulatedRestrictionServiceTest, HeldCompletionsWaitForTheTestAndTheNewestActiveAssertionWins) {
    service.setCompletionMode(Mode::held);
    auto first = client.activate({"com.example.a"}, completions.block());
    auto second = client.activate({"com.example.b"}, completions.block());
    EXPECT_EQ(service.pendingCompletionCount(), 2u);
    EXPECT_EQ(completions.count.load(), 0);
    EXPECT_EQ(owners(desktop).size(), 3u) << "nothing is restricted before a completion";

    EXPECT_EQ(service.releasePendingCompletions(), 2u);
    EXPECT_EQ(completions.count.load(), 2);
    EXPECT_EQ(service.activeAssertionCount(), 2u);
    EXPECT_EQ(owners(desktop), (std::vector<std::string>{"com.example.b"}));

    client.invalidate(second);
    EXPECT_EQ(owners(desktop), (std::vector<std::string>{"com.example.a"}));
    client.invalidate(first);
    EXPECT_EQ(owners(desktop).size(), 3u);
    EXPECT_EQ(service.gapCount(), 0u);
}

TEST_F(SimulatedRestrictionServiceTest, EndingTheLastAssertionWhileAReplacementIsPendingIsRecordedAsAGap) {
    service.setCompletionMode(Mode::held);
    auto old = client.activate({"com.example.a"}, completions.block());
    service.releasePendingCompletions();
    auto replacement = client.activate({"com.example.b"}, completions.block());

    client.invalidate(old); // too early: the replacement is not active yet
    ASSERT_EQ(service.gapCount(), 1u);
    auto assertions = service.assertions();
    EXPECT_EQ(service.gaps()[0].endedAssertion, assertions[0].id);
    EXPECT_EQ(service.gaps()[0].pendingAssertions, (std::vector<std::uint64_t>{assertions[1].id}));

    // Ending it after the replacement took over is no gap, and neither is a plain removal.
    service.releasePendingCompletions();
    auto third = client.activate({"com.example.c"}, completions.block());
    service.releasePendingCompletions();
    client.invalidate(replacement);
    client.invalidate(third);
    EXPECT_EQ(service.gapCount(), 1u);
}

TEST_F(SimulatedRestrictionServiceTest, AnAssertionInvalidatedBeforeItsCompletionMayStillActivate) {
    service.setCompletionMode(Mode::held);
    auto late = client.activate({"com.example.a"}, completions.block());
    client.invalidate(late);
    service.releasePendingCompletions();
    EXPECT_EQ(owners(desktop), (std::vector<std::string>{"com.example.a"}))
        << "the race a client must answer";
    client.invalidate(late);
    EXPECT_EQ(owners(desktop).size(), 3u);
    EXPECT_EQ(service.assertions()[0].invalidations, 2);

    service.setActivatesAfterInvalidation(false);
    auto tame = client.activate({"com.example.b"}, completions.block());
    client.invalidate(tame);
    service.releasePendingCompletions();
    EXPECT_EQ(owners(desktop).size(), 3u);
}

TEST_F(SimulatedRestrictionServiceTest, WhenTheHolderEndsNoAssertionOutlivesIt) {
    service.setCompletionMode(Mode::held);
    auto active = client.activate({"com.example.a"}, completions.block());
    service.releasePendingCompletions();
    auto activating = client.activate({"com.example.b"}, completions.block());
    client.invalidate(activating); // ended once; its completion would still bring it alive
    ASSERT_EQ(owners(desktop), (std::vector<std::string>{"com.example.a"}));

    EXPECT_EQ(service.holderEnded(), 1) << "the one it never ended is left behind, not the one it ended";
    EXPECT_EQ(owners(desktop).size(), 3u);
    EXPECT_EQ(service.activeAssertionCount(), 0u);
    service.releasePendingCompletions();
    EXPECT_EQ(owners(desktop).size(), 3u) << "the late completion brings nothing back";
    EXPECT_FALSE(desktop.restriction().has_value());
}

TEST_F(SimulatedRestrictionServiceTest, ErrorsNeverAndReleaseShapeTheOutcome) {
    service.setCompletionError(5);
    auto failed = client.activate({"com.example.a"}, completions.block());
    service.waitForDeliveries();
    EXPECT_EQ(completions.count.load(), 1);
    EXPECT_EQ(completions.lastError.load(), 5u);
    EXPECT_EQ(owners(desktop).size(), 3u);
    EXPECT_TRUE(service.assertions()[0].completedWithError);

    service.setCompletionError(0);
    service.setCompletionMode(Mode::never);
    auto silent = client.activate({"com.example.a"}, completions.block());
    EXPECT_EQ(service.releasePendingCompletions(), 0u);
    EXPECT_EQ(completions.count.load(), 1);

    // Dropping the last reference to an active assertion ends it, as deallocation does.
    service.setCompletionMode(Mode::immediate);
    auto dropped = client.activate({"com.example.c"}, completions.block());
    service.waitForDeliveries();
    EXPECT_EQ(owners(desktop), (std::vector<std::string>{"com.example.c"}));
    dropped.reset();
    EXPECT_EQ(owners(desktop).size(), 3u);

    service.setRefusesConfiguration(true);
    auto unconfigured = client.activate({"com.example.a"}, completions.block());
    service.waitForDeliveries();
    EXPECT_EQ(completions.lastError.load() != 0, true) << "an activation without a configuration fails";
}

TEST_F(SimulatedRestrictionServiceTest, DelayedCompletionArrivesAfterARealDelayAndShutdownCancelsIt) {
    service.setCompletionMode(Mode::delayed, 5ms);
    auto assertion = client.activate({"com.example.a"}, completions.block());
    service.waitForDeliveries();
    EXPECT_EQ(completions.count.load(), 1);

    // A long delay does not hold up the service's end: nothing is delivered then.
    Completions never;
    {
        SimulatedPlatform other{smallScenario()};
        other.restrictionService()->setCompletionMode(Mode::delayed, 10min);
        FrameworkClient otherClient{*other.runtimeLoader()};
        auto pending = otherClient.activate({"com.example.a"}, never.block());
    }
    EXPECT_EQ(never.count.load(), 0);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
