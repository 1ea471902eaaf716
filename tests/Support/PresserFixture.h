#pragma once

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/Sleep.h"
#include "Concurrency/TaskHandle.h"
#include "MenuBarSystem/Pressing/ItemPresser.h"
#include "Support/FakePressAccessibility.h"
#include "Support/FakeRevealer.h"
#include "Support/LogCapture.h"
#include "Support/PressPrinters.h"

#include <gtest/gtest.h>
#include <ostream>

namespace pellacor::testing {

// A presser over scripted system operations and a plain fake revealer, all in virtual
// time on a manual executor; its blocking calls run inline, taking no time.
// Application "com.example.a" runs as process 10 and its items are placed.
class PresserFixture : public ::testing::Test {
protected:
    using Duration = concurrency::Duration;
    using Instant = concurrency::Instant;
    using Kind = FakeRevealer::Call::Kind;
    using ItemPresser = system::ItemPresser;
    using PressCall = system::PressCall;
    using PressOutcome = system::PressOutcome;
    using PressTarget = system::PressTarget;

    static constexpr const char* app = "com.example.a";
    static constexpr std::int32_t pid = 10;

    PresserFixture() { accessibility->setProcesses(app, {pid}); }

    static Instant at(Duration elapsed) { return Instant{} + elapsed; }
    Duration elapsed() const { return executor.now() - Instant{}; }

    static PressTarget target(int index = 0, std::optional<std::int32_t> process = pid) {
        return PressTarget(app, index, process);
    }

    // Starts a press as the caller's task.
    concurrency::TaskHandle<PressOutcome> start(PressTarget pressed = target()) {
        return concurrency::spawn(executor, presser->press(std::move(pressed)));
    }
    // Runs timers in order until the task has finished.
    template <typename T> void finish(const concurrency::TaskHandle<T>& handle) {
        executor.runUntilIdle();
        while (!handle.isFinished()) {
            const auto next = executor.nextDeadline();
            ASSERT_TRUE(next.has_value()) << "the task waits for nothing";
            executor.advanceTo(*next);
        }
    }
    // Presses and runs the press to its end; the time it ended is `elapsed()`.
    PressOutcome press(PressTarget pressed = target()) {
        auto handle = start(std::move(pressed));
        finish(handle);
        return handle.result().value_or(PressOutcome::notFound());
    }
    // Runs everything due within the next `duration`.
    void runFor(Duration duration) { executor.advanceBy(duration); }
    // Runs until nothing is left to do (holds, leave-shown watches, the revealer's deadlines).
    void runOut() {
        executor.runUntilIdle();
        while (const auto next = executor.nextDeadline()) {
            executor.advanceTo(*next);
        }
    }

    // Every press opens a menu window `delay` later that stays `openFor` (or until closed).
    void pressesOpenMenus(Duration delay, std::optional<Duration> openFor) {
        accessibility->setPressHook([this, delay, openFor](const FakePressAccessibility::Call& call) {
            const Instant opens = call.at + delay;
            accessibility->addWindow(call.pid, nextWindow++, opens,
                                     openFor ? std::optional<Instant>(opens + *openFor) : std::nullopt);
            return PressCall::sent(0);
        });
    }

    std::vector<FakeRevealer::Call> revealerCalls(Kind kind) const { return revealer->calls(kind); }
    std::vector<std::string> pressLog() const { return logs.messages("press"); }
    std::optional<core::LogLevel> levelOf(const std::string& message) const {
        for (const auto& record : logs.records()) {
            if (record.category == "press" && record.message == message) {
                return record.level;
            }
        }
        return std::nullopt;
    }

    concurrency::ManualExecutor executor;
    LogCapture logs;
    std::shared_ptr<FakeRevealer> revealer = std::make_shared<FakeRevealer>(executor);
    std::shared_ptr<FakePressAccessibility> accessibility =
        std::make_shared<FakePressAccessibility>(concurrency::nowOf(executor));
    std::shared_ptr<ItemPresser> presser = ItemPresser::create(
        executor, accessibility, revealer, ItemPresser::Settings{}, concurrency::nowOf(executor),
        concurrency::defaultSleep(), FakePressAccessibility::inlineRunner());
    std::uint32_t nextWindow = 500;
};

} // namespace pellacor::testing
