#include "Platform/Simulated/SimulatedInput.h"
#include "Platform/Simulated/SimulatedPlatform.h"

#include <atomic>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;
using namespace std::chrono_literals;

namespace {

// A 1512 x 982 screen; the drag runs along the menu bar (screen y 972 is
// top-down y 10).
struct SimulatedCommandDragTest : ::testing::Test {
    std::atomic<std::int64_t> nanoseconds{2'000'000'000};
    std::shared_ptr<SimulatedDesktop> desktop = std::make_shared<SimulatedDesktop>(
        std::vector<SimulatedScreen>{SimulatedScreen{core::Rect(0, 0, 1512, 982)}},
        std::vector<SimulatedApplication>{});
    SimulatedInput input{desktop, [this] { return std::chrono::nanoseconds(nanoseconds.load()); }};

    void advance(std::chrono::nanoseconds time) { nanoseconds += time.count(); }
    double since(std::uint32_t type) {
        return input.secondsSinceLastEventType(InputState::combinedSessionState, type);
    }
    bool leftDown() { return input.buttonState(InputState::combinedSessionState, InputState::leftButton); }
    bool command() {
        return (input.flagsState(InputState::combinedSessionState) & InputState::commandFlag) != 0;
    }
};

TEST_F(SimulatedCommandDragTest, PressesWithCommandMovesAlongAndReleasesWhenTheTimeIsUp) {
    input.setModifierFlags(InputState::shiftFlag);
    advance(1s);
    input.performCommandDrag(core::Point{1000, 972}, core::Point{800, 962}, 400ms);
    EXPECT_TRUE(input.isDragging());
    EXPECT_TRUE(leftDown());
    EXPECT_TRUE(command());
    EXPECT_EQ(input.modifierFlags(), InputState::shiftFlag | InputState::commandFlag);
    EXPECT_EQ(input.mouseLocation(), (core::Point{1000, 972}));
    EXPECT_EQ(input.currentEventLocation(), (core::Point{1000, 10}));
    EXPECT_DOUBLE_EQ(since(InputState::leftMouseDown), 0.0);
    EXPECT_DOUBLE_EQ(since(InputState::flagsChanged), 0.0);

    advance(100ms);
    EXPECT_EQ(input.mouseLocation(), (core::Point{950, 969.5})) << "a quarter of the way";
    EXPECT_TRUE(leftDown());
    EXPECT_DOUBLE_EQ(since(InputState::leftMouseDragged), 0.0);
    advance(200ms);
    EXPECT_EQ(input.currentEventLocation(), (core::Point{850, 17.5}));

    // Nobody looks while the drag ends; the events still carry its end.
    advance(250ms);
    EXPECT_FALSE(leftDown());
    EXPECT_FALSE(input.isDragging());
    EXPECT_EQ(input.mouseLocation(), (core::Point{800, 962}));
    EXPECT_EQ(input.modifierFlags(), InputState::shiftFlag) << "Command let go, Shift kept";
    EXPECT_NEAR(since(InputState::leftMouseUp), 0.15, 1e-9);
    EXPECT_NEAR(since(InputState::flagsChanged), 0.15, 1e-9);
    EXPECT_NEAR(since(InputState::leftMouseDown), 0.55, 1e-9);
    EXPECT_NEAR(since(InputState::leftMouseDragged), 0.15, 1e-9);
}

TEST_F(SimulatedCommandDragTest, CommandHeldBeforeStaysAndInputAfterTheEndComesAfterIt) {
    input.setModifierFlags(InputState::commandFlag);
    input.performCommandDrag(core::Point{100, 970}, core::Point{300, 970}, 100ms);
    advance(500ms);
    // A move made after the drag has ended (unseen) lands after its end.
    input.moveMouse(core::Point{5, 5});
    EXPECT_EQ(input.mouseLocation(), (core::Point{5, 5}));
    EXPECT_TRUE(command());
    EXPECT_FALSE(leftDown());
}

TEST_F(SimulatedCommandDragTest, ANewDragReleasesTheOneUnderWayWhereItStands) {
    input.performCommandDrag(core::Point{0, 970}, core::Point{400, 970}, 400ms);
    advance(100ms);
    input.performCommandDrag(core::Point{600, 970}, core::Point{700, 970}, 100ms);
    EXPECT_DOUBLE_EQ(since(InputState::leftMouseUp), 0.0) << "the first was released";
    EXPECT_DOUBLE_EQ(since(InputState::leftMouseDown), 0.0) << "the second pressed again";
    EXPECT_EQ(input.mouseLocation(), (core::Point{600, 970}));
    advance(50ms);
    EXPECT_EQ(input.mouseLocation(), (core::Point{650, 970}));
    advance(50ms);
    EXPECT_FALSE(leftDown());
    EXPECT_FALSE(command());
    EXPECT_EQ(input.mouseLocation(), (core::Point{700, 970}));
}

TEST(SimulatedPlatformCommandDragTest, ThePlatformsInputRunsOnTheDesktopsClock) {
    SimulatedPlatform platform;
    std::atomic<std::int64_t> nanoseconds{0};
    platform.desktop()->setClock([&] { return std::chrono::nanoseconds(nanoseconds.load()); });
    platform.input()->performCommandDrag(core::Point{100, 970}, core::Point{200, 970}, 1s);
    nanoseconds = 500'000'000;
    EXPECT_EQ(platform.input()->mouseLocation(), (core::Point{150, 970}));
    nanoseconds = 1'000'000'000;
    EXPECT_FALSE(platform.input()->isDragging());
}

} // namespace
} // namespace PELLACOR_TEST_FILE
