#include "Platform/Simulated/SimulatedInput.h"

#include "Platform/Simulated/SimulatedPlatform.h"

#include <atomic>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;
using namespace std::chrono_literals;

namespace {

struct SimulatedInputTest : ::testing::Test {
    std::atomic<std::int64_t> nanoseconds{5'000'000'000};
    std::shared_ptr<SimulatedDesktop> desktop = std::make_shared<SimulatedDesktop>(
        std::vector<SimulatedScreen>{SimulatedScreen{core::Rect(0, 0, 1512, 982)}},
        std::vector<SimulatedApplication>{});
    SimulatedInput input{desktop, [this] { return std::chrono::nanoseconds(nanoseconds.load()); }};

    void advance(std::chrono::milliseconds time) { nanoseconds += std::chrono::nanoseconds(time).count(); }
    double since(std::uint32_t type) {
        return input.secondsSinceLastEventType(InputState::combinedSessionState, type);
    }
};

} // namespace

TEST_F(SimulatedInputTest, EachEventTypeCountsFromItsLastEventOrFromTheStart) {
    advance(1000ms);
    EXPECT_DOUBLE_EQ(since(InputState::keyDown), 1.0) << "never typed: since the session began";
    input.typeKey();
    advance(500ms);
    input.pressMouseButton(InputState::leftButton);
    advance(250ms);
    input.pressMouseButton(InputState::rightButton);
    input.pressMouseButton(4);
    advance(250ms);
    input.releaseMouseButton(InputState::leftButton);
    input.moveMouse(core::Point{10, 20});

    EXPECT_DOUBLE_EQ(since(InputState::keyDown), 1.0);
    EXPECT_DOUBLE_EQ(since(InputState::keyUp), 1.0);
    EXPECT_DOUBLE_EQ(since(InputState::leftMouseDown), 0.5);
    EXPECT_DOUBLE_EQ(since(InputState::rightMouseDown), 0.25);
    EXPECT_DOUBLE_EQ(since(InputState::otherMouseDown), 0.25);
    EXPECT_DOUBLE_EQ(since(InputState::leftMouseUp), 0.0);
    EXPECT_DOUBLE_EQ(since(InputState::anyInputEventType), 0.0);
    EXPECT_DOUBLE_EQ(since(InputState::flagsChanged), 2.0);

    EXPECT_EQ(input.pressedMouseButtons(), 0b10010U);
    EXPECT_FALSE(input.buttonState(InputState::combinedSessionState, InputState::leftButton));
    EXPECT_TRUE(input.buttonState(InputState::hidSystemState, InputState::rightButton));
    EXPECT_FALSE(input.buttonState(InputState::combinedSessionState, 64)) << "no such button";

    advance(100ms);
    input.pressMouseButton(InputState::rightButton);
    EXPECT_DOUBLE_EQ(since(InputState::rightMouseDown), 0.35) << "a held button is not pressed again";
}

TEST_F(SimulatedInputTest, ModifiersAndThePointerInBothCoordinateSpaces) {
    input.setModifierFlags(InputState::shiftFlag | InputState::commandFlag);
    EXPECT_EQ(input.modifierFlags(), 0x120000U);
    EXPECT_EQ(input.flagsState(InputState::combinedSessionState), 0x120000U);
    advance(300ms);
    input.setModifierFlags(0x120000U);
    EXPECT_DOUBLE_EQ(since(InputState::flagsChanged), 0.3) << "unchanged flags make no event";

    EXPECT_EQ(input.mouseLocation(), (core::Point{756, 491})) << "starts in the middle of the first screen";
    input.moveMouse(core::Point{100, 970});
    EXPECT_EQ(input.mouseLocation(), (core::Point{100, 970}));
    EXPECT_EQ(input.currentEventLocation(), (core::Point{100, 12}));
    input.setEventCreationFails(true);
    EXPECT_EQ(input.currentEventLocation(), std::nullopt);
}

TEST(SimulatedPlatformInputTest, ThePlatformHandsOutItsInputStatusBarAndTheProgramsProcess) {
    SimulatedPlatform platform;
    const auto services = platform.services();
    EXPECT_EQ(services.inputState, platform.input());
    EXPECT_EQ(services.statusBar->thickness(), SimulatedStatusBar::defaultThickness);
    platform.statusBar()->setThickness(22);
    EXPECT_EQ(services.statusBar->thickness(), 22);

    EXPECT_EQ(services.processInfo->processIdentifier(), 520) << "the default scenario's program";
    ASSERT_TRUE(platform.desktop()->setRunning(520, false));
    EXPECT_EQ(services.processInfo->processIdentifier(), -1);
}

} // namespace PELLACOR_TEST_FILE
