#include "Concurrency/ManualExecutor.h"
#include "Concurrency/TaskHandle.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarCore/Support/Log.h"
#include "MenuBarSystem/Safety/HangWatchdog.h"
#include "MenuBarSystem/Visibility/VisibilityController.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/DescriptorSink.h"
#include "Support/TempDir.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using namespace std::chrono_literals;

namespace {

// Stands for a main thread that got stuck inside the log: writing the marked
// record never returns, and the log stays locked meanwhile.
class StuckSink final : public core::LogSink {
public:
    static constexpr const char* marker = "stuck here";
    void write(const core::LogRecord& record) override {
        while (record.message == marker) {
            pause();
        }
    }
};

constexpr auto limit = 100ms;
constexpr auto interval = 10ms;

// Runs body in a child process, which must end by itself, and answers its
// wait status. The alarm only keeps a child whose watchdog never fires from
// holding the test for ever: it is a minute, because under ThreadSanitizer on a
// machine whose cores are all busy the child's set-up alone can take seconds.
template <typename Body> int inChild(Body body) {
    const pid_t child = fork();
    if (child == 0) {
        alarm(60);
        body();
        _exit(1); // body never returns when the watchdog works
    }
    int status = 0;
    EXPECT_GT(child, 0);
    EXPECT_EQ(waitpid(child, &status, 0), child);
    return status;
}

} // namespace

TEST(HangWatchdogProcessTest, AMainThreadThatBlocksWhileRestrictingEndsTheProcessWithStatus70) {
    pellacor::testing::TempDir folder;
    const auto logFile = folder / "log.txt";

    const int status = inChild([&] {
        const int fd = open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0) {
            _exit(2);
        }
        core::Log::setSinks({std::make_shared<pellacor::testing::DescriptorSink>(fd)});

        // The program's wiring: the controller holds a restriction, the
        // watchdog reads it and pings the main executor.
        concurrency::ManualExecutor executor;
        platform::SimulatedPlatform platform;
        const std::string self(core::bundleIdentifier);
        auto controller = VisibilityController::create(executor, platform.runtimeLoader(), self);
        auto applied = concurrency::spawn(executor, controller->apply(core::VisibilityPlan::allow({self})));
        if (!executor.runUntil([&] { return applied.isFinished(); }) || !controller->isRestricting()) {
            _exit(3);
        }
        HangWatchdog::Environment environment;
        environment.limit = limit;
        environment.interval = interval;
        environment.post = HangWatchdog::postTo(executor);
        auto watchdog =
            HangWatchdog::create([controller] { return controller->isRestricting(); }, environment);
        watchdog->start();

        // The main thread hangs: the executor never runs again.
        for (;;) {
            pause();
        }
    });

    ASSERT_TRUE(WIFEXITED(status)) << "wait status " << status;
    EXPECT_EQ(WEXITSTATUS(status), HangWatchdog::exitStatus);
    EXPECT_EQ(pellacor::testing::TempDir::read(logFile),
              "[app.trayvane.pellacor:watchdog] fault: " + HangWatchdog::faultMessage(limit) + "\n");
}

TEST(HangWatchdogProcessTest, AMainThreadStuckInsideTheLogStillGetsTheProcessEnded) {
    const int status = inChild([] {
        core::Log::setSinks({std::make_shared<StuckSink>()});
        HangWatchdog::Environment environment;
        environment.limit = limit;
        environment.interval = interval;
        environment.post = [](const std::function<void()>&) {};
        environment.exit = [] { HangWatchdog::endProcess(limit, 50ms); };
        auto watchdog = HangWatchdog::create([] { return true; }, environment);
        watchdog->start();

        core::Log::app().info("{}", StuckSink::marker);
    });

    ASSERT_TRUE(WIFEXITED(status)) << "wait status " << status;
    EXPECT_EQ(WEXITSTATUS(status), HangWatchdog::exitStatus);
}

} // namespace PELLACOR_TEST_FILE
