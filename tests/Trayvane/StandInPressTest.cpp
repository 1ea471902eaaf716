#include "Trayvane/App/StandInPress.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/Promise.h"
#include "Support/LogCapture.h"

#include <chrono>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace std::chrono_literals;
using app::StandInPress;
using system::PressOutcome;

namespace {

constexpr const char* noFallbackLine =
    "利用者の切り替えのメニューは開けませんでした。押したあとに操作があったので、予備のメニューは出しません";

// The stand-in's press over virtual time: the real switcher's press ends when
// the test says, and the input clock counts from the latest press the test makes.
struct PressScene {
    concurrency::ManualExecutor executor;
    concurrency::Promise<std::optional<PressOutcome>> answer;
    double lastInput = 0;
    int presses = 0;
    int fallbacks = 0;
    StandInPress press{StandInPress::Services{
        .executor = &executor,
        .now = [this] { return executor.now(); },
        .secondsSinceLastPress = [this] { return seconds() - lastInput; },
        .press = [this]() -> concurrency::Task<std::optional<PressOutcome>> {
            ++presses;
            return wait(answer.future());
        },
        .showFallbackMenu = [this] { ++fallbacks; },
    }};

    static concurrency::Task<std::optional<PressOutcome>>
    wait(concurrency::Future<std::optional<PressOutcome>> future) {
        auto result = co_await std::move(future);
        co_return result ? *result : std::nullopt;
    }

    double seconds() const { return concurrency::secondsOf(executor.now()); }
    // The user's click on the stand-in is an input of its own, a moment
    // before the program hears of it.
    void clickStandIn() {
        lastInput = seconds();
        executor.advanceBy(10ms);
        press.pressed();
        executor.runUntilIdle();
    }
    void after(concurrency::Duration duration) {
        executor.advanceBy(duration);
        executor.runUntilIdle();
    }
    void answerWith(std::optional<PressOutcome> outcome) {
        answer.setValue(std::move(outcome));
        executor.runUntilIdle();
    }
};

} // namespace

TEST(StandInPressTest, AFailedPressOpensTheFallbackMenuOnlyWhileItStillAnswersTheClick) {
    const struct {
        const char* name;
        concurrency::Duration failsAfter;
        std::optional<concurrency::Duration> keyPressAt;
        std::optional<PressOutcome> outcome;
        bool fallback;
        bool logged;
    } cases[] = {
        {"not opened after 2 s, nothing pressed since", 2s, std::nullopt, PressOutcome::notOpened(), true,
         false},
        {"not found at once", 0s, std::nullopt, PressOutcome::notFound(), true, false},
        {"unavailable after 8 s", 8s, std::nullopt,
         PressOutcome::unavailable(system::UnavailableReason::noAccessibilityPermission), true, false},
        {"not opened after 9 s", 9s, std::nullopt, PressOutcome::notOpened(), false, true},
        {"a key pressed 1 s after the click", 2s, 1s, PressOutcome::notOpened(), false, true},
        {"the real menu opened", 2s, std::nullopt, PressOutcome::opened(core::PressMethod::direct), false,
         false},
        {"nothing was pressed", 2s, std::nullopt, std::nullopt, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PressScene scene;
        const pellacor::testing::LogCapture log;
        scene.clickStandIn();
        EXPECT_DOUBLE_EQ(scene.press.lastPress(), scene.seconds())
            << "the clock is set before the press starts";
        EXPECT_EQ(scene.presses, 1);
        if (c.keyPressAt) {
            scene.after(*c.keyPressAt);
            scene.lastInput = scene.seconds();
            scene.after(c.failsAfter - *c.keyPressAt);
        } else {
            scene.after(c.failsAfter);
        }
        scene.answerWith(c.outcome);
        EXPECT_EQ(scene.fallbacks, c.fallback ? 1 : 0);
        EXPECT_EQ(log.contains("app", noFallbackLine), c.logged);
    }
}

TEST(StandInPressTest, TheWindowAndTheSlackAreInclusive) {
    const struct {
        double elapsed;
        double sinceInput;
        bool opens;
    } cases[] = {
        {0, 0, true},     {8, 8, true},     {8.01, 9, false}, {2, 1.95, true},
        {2, 1.94, false}, {-0.5, 5, false}, {3, 100, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StandInPress::opensFallback(c.elapsed, c.sinceInput), c.opens)
            << c.elapsed << " s after the press, last input " << c.sinceInput << " s ago";
    }
}

} // namespace PELLACOR_TEST_FILE
