#include "MenuBarSystem/Input/InputClock.h"

#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/SensorFakes.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <map>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using pellacor::testing::FakeInputState;
using platform::InputState;
using namespace std::chrono_literals;

TEST(InputClockTest, TheLastPressIsTheMostRecentOfKeysAndTheThreeKindsOfMouseButton) {
    const struct Case {
        const char* what;
        std::map<std::uint32_t, double> seconds;
        double expected;
    } cases[] = {
        {"a key",
         {{InputState::keyDown, 3},
          {InputState::leftMouseDown, 9},
          {InputState::rightMouseDown, 8},
          {InputState::otherMouseDown, 7}},
         3},
        {"the left button",
         {{InputState::keyDown, 9},
          {InputState::leftMouseDown, 2},
          {InputState::rightMouseDown, 8},
          {InputState::otherMouseDown, 7}},
         2},
        {"the right button",
         {{InputState::keyDown, 9},
          {InputState::leftMouseDown, 8},
          {InputState::rightMouseDown, 0.5},
          {InputState::otherMouseDown, 7}},
         0.5},
        {"another button",
         {{InputState::keyDown, 9},
          {InputState::leftMouseDown, 8},
          {InputState::rightMouseDown, 7},
          {InputState::otherMouseDown, 0.25}},
         0.25},
        {"moves, releases and modifier changes are no presses",
         {{InputState::keyDown, 9},
          {InputState::leftMouseDown, 8},
          {InputState::rightMouseDown, 7},
          {InputState::otherMouseDown, 6},
          {InputState::mouseMoved, 0},
          {InputState::leftMouseUp, 0},
          {InputState::keyUp, 0},
          {InputState::flagsChanged, 0},
          {InputState::anyInputEventType, 0}},
         6},
    };
    for (const auto& c : cases) {
        FakeInputState input;
        input.seconds = c.seconds;
        EXPECT_DOUBLE_EQ(InputClock::secondsSinceLastPress(input), c.expected) << c.what;
        EXPECT_EQ(input.secondsAsked.size(), 4U) << c.what;
        for (const auto& [state, type] : input.secondsAsked) {
            EXPECT_EQ(state, InputState::combinedSessionState) << c.what;
        }
    }
}

TEST(InputClockTest, OverTheSimulatedUserTheMostRecentPressCounts) {
    platform::SimulatedPlatform platform;
    std::atomic<std::int64_t> nanoseconds{0};
    platform.desktop()->setClock([&nanoseconds] { return std::chrono::nanoseconds(nanoseconds.load()); });
    const auto advance = [&nanoseconds](std::chrono::milliseconds time) {
        nanoseconds += std::chrono::nanoseconds(time).count();
    };
    auto& input = *platform.input();
    // Every kind of press once at the start, so that none counts from the
    // session's beginning, which lies on the clock the input was made with.
    for (const std::uint32_t button : {InputState::leftButton, InputState::rightButton, 4U}) {
        input.pressMouseButton(button);
        input.releaseMouseButton(button);
    }

    advance(1000ms);
    input.typeKey();
    advance(2000ms);
    EXPECT_DOUBLE_EQ(InputClock::secondsSinceLastPress(input), 2.0) << "the key";
    input.pressMouseButton(InputState::rightButton);
    advance(500ms);
    EXPECT_DOUBLE_EQ(InputClock::secondsSinceLastPress(input), 0.5) << "the right button";
    input.releaseMouseButton(InputState::rightButton);
    input.moveMouse({10, 10});
    input.setModifierFlags(InputState::shiftFlag);
    advance(250ms);
    EXPECT_DOUBLE_EQ(InputClock::secondsSinceLastPress(input), 0.75)
        << "a release, a move and a modifier are none";
    input.pressMouseButton(4);
    advance(100ms);
    EXPECT_DOUBLE_EQ(InputClock::secondsSinceLastPress(input), 0.1) << "another button";
}

} // namespace PELLACOR_TEST_FILE
