#include "MenuBarSystem/Watching/DragTracker.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;

namespace {

struct Sample {
    bool down;
    bool command;
    core::Point at;
};

struct Case {
    std::string name;
    std::vector<Sample> samples;
    // The event of the last sample; the earlier ones give none unless they press.
    std::optional<DragTracker::Event> last;
};

TEST(DragTrackerTest, ReportsACommandPressAndItsReleaseFarEnoughAway) {
    const core::Point press{100, 10};
    const std::vector<Case> cases{
        {"released exactly 6 points away",
         {{true, true, press}, {false, false, {106, 10}}},
         DragTracker::Released{press, {106, 10}}},
        {"straight up 6 points",
         {{true, true, press}, {false, true, {100, 4}}},
         DragTracker::Released{press, {100, 4}}},
        {"diagonally 5 points away", {{true, true, press}, {false, true, {103, 14}}}, std::nullopt},
        {"released 5.9 points away", {{true, true, press}, {false, true, {105.9, 10}}}, std::nullopt},
        {"released where it went down", {{true, true, press}, {false, true, press}}, std::nullopt},
        {"held and moved: only the first down sample presses",
         {{true, true, press}, {true, true, {300, 10}}, {true, false, {400, 10}}, {false, false, {500, 10}}},
         DragTracker::Released{press, {500, 10}}},
        {"pressed without Command, Command added during the drag",
         {{true, false, press}, {true, true, {300, 10}}, {false, true, {500, 10}}},
         std::nullopt},
        {"a release with nothing pressed", {{false, true, press}}, std::nullopt},
        {"a second press after a release starts afresh",
         {{true, true, press}, {false, true, {101, 10}}, {true, false, {200, 10}}, {false, true, {400, 10}}},
         std::nullopt},
    };
    for (const auto& c : cases) {
        DragTracker tracker;
        std::optional<DragTracker::Event> event;
        for (std::size_t i = 0; i < c.samples.size(); ++i) {
            const auto& sample = c.samples[i];
            const bool wasDown = tracker.down;
            event = tracker.step(sample.down, sample.command, sample.at);
            if (i + 1 < c.samples.size()) {
                const bool presses = sample.down && !wasDown && sample.command;
                EXPECT_EQ(event, presses ? std::optional<DragTracker::Event>(DragTracker::Pressed{sample.at})
                                         : std::nullopt)
                    << c.name << ", sample " << i;
            }
        }
        EXPECT_EQ(event, c.last) << c.name;
        EXPECT_EQ(tracker, DragTracker()) << c.name << ": up again, nothing started";
    }
}

TEST(DragTrackerTest, APressWithoutCommandForgetsAnEarlierStart) {
    DragTracker tracker;
    tracker.down = false;
    tracker.start = core::Point{1, 1};
    EXPECT_EQ(tracker.step(true, false, {50, 5}), std::nullopt);
    EXPECT_TRUE(tracker.down);
    EXPECT_EQ(tracker.start, std::nullopt);
    EXPECT_EQ(tracker.step(false, true, {80, 5}), std::nullopt);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
