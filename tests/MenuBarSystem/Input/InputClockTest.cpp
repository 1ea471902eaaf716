#include "MenuBarSystem/Input/InputClock.h"

#include "Support/SensorFakes.h"

#include <gtest/gtest.h>

using namespace pellacor;
using namespace pellacor::system;
using pellacor::testing::FakeInputState;
using platform::InputState;

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
