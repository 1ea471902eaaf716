#include "MenuBarCore/Planning/HoverDwell.h"

#include <chrono>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

using namespace pellacor::core;
using namespace std::chrono_literals;

namespace pellacor::core {

static const char* name(HoverZone zone) {
    switch (zone) {
    case HoverZone::away:
        return "away";
    case HoverZone::control:
        return "control";
    case HoverZone::rightSpace:
        return "rightSpace";
    }
    return "?";
}

static void PrintTo(const HoverStep& step, std::ostream* os) {
    if (auto zone = step.checkZone()) {
        *os << "check(" << name(*zone) << ")";
    } else {
        *os << "wait";
    }
}

} // namespace pellacor::core

namespace PELLACOR_TEST_FILE {
namespace {

using Ms = std::chrono::milliseconds;

// One call on the dwell with the answer it must give: a pointer sample (`feed`)
// or the caller's finding (`checked`).
struct Event {
    bool isSample;
    Ms at;
    HoverZone zone;
    bool buttons = false;
    HoverStep step = HoverStep::wait();
    HoverCheck finding = HoverCheck::clear;
    bool reveals = false;
};

Event sample(Ms at, HoverZone zone, HoverStep expected = HoverStep::wait()) {
    return Event{.isSample = true, .at = at, .zone = zone, .step = expected};
}
Event press(Ms at, HoverZone zone) {
    return Event{.isSample = true, .at = at, .zone = zone, .buttons = true};
}
Event answer(Ms at, HoverCheck finding, HoverZone zone, bool reveals) {
    return Event{.isSample = false, .at = at, .zone = zone, .finding = finding, .reveals = reveals};
}
HoverStep check(HoverZone zone) {
    return HoverStep::check(zone);
}

struct Timeline {
    std::string name;
    std::vector<Event> events;
};

constexpr auto away = HoverZone::away;
constexpr auto control = HoverZone::control;
constexpr auto right = HoverZone::rightSpace;
constexpr auto clear = HoverCheck::clear;
constexpr auto menuOpen = HoverCheck::menuOpen;
constexpr auto notEmpty = HoverCheck::notEmpty;

} // namespace

TEST(HoverDwellTest, Timelines) {
    const std::vector<Timeline> timelines{
        {"tracking that starts on the control item never checks until the pointer leaves and comes back",
         {sample(0ms, control), sample(300ms, control), sample(5000ms, control), sample(5100ms, away),
          sample(5200ms, control), sample(5499ms, control), sample(5500ms, control, check(control))}},
        {"tracking that starts in the right space is spent the same way",
         {sample(0ms, right), sample(1000ms, right), sample(1100ms, control),
          sample(1400ms, control, check(control))}},
        {"resting away never checks", {sample(0ms, away), sample(300ms, away), sample(10000ms, away)}},
        {"the dwell completes at exactly 0.3 s and asks once while the check runs",
         {sample(0ms, away), sample(0ms, right), sample(299ms, right), sample(300ms, right, check(right)),
          sample(310ms, right), sample(900ms, right), sample(950ms, away), sample(960ms, right)}},
        {"a clear check reveals once; the rest is spent until the pointer leaves",
         {sample(0ms, away), sample(100ms, control), sample(400ms, control, check(control)),
          answer(450ms, clear, control, true), sample(500ms, control), sample(5000ms, control),
          sample(5100ms, right), sample(5400ms, right, check(right)), answer(5410ms, clear, right, true)}},
        {"an open menu spends the rest without revealing",
         {sample(0ms, away), sample(0ms, control), sample(300ms, control, check(control)),
          answer(320ms, menuOpen, control, false), sample(700ms, control), sample(3000ms, control),
          sample(3100ms, away), sample(3200ms, control), sample(3500ms, control, check(control))}},
        {"space that is not empty restarts the dwell from the answer, not from the first sample",
         {sample(0ms, away), sample(0ms, right), sample(300ms, right, check(right)),
          answer(400ms, notEmpty, right, false), sample(600ms, right), sample(699ms, right),
          sample(700ms, right, check(right)), answer(710ms, clear, right, true)}},
        {"a button down while resting spends the rest",
         {sample(0ms, away), sample(0ms, control), press(100ms, control), sample(400ms, control),
          sample(2000ms, control), sample(2100ms, right), sample(2400ms, right, check(right))}},
        {"a button down after the check was asked spends the rest; the clear answer then does not reveal",
         {sample(0ms, away), sample(0ms, control), sample(300ms, control, check(control)),
          press(310ms, control), answer(350ms, clear, control, false), sample(700ms, control)}},
        {"a button down while away changes nothing",
         {sample(0ms, away), press(100ms, away), sample(200ms, control),
          sample(500ms, control, check(control))}},
        {"moving on while a check runs starts a new rest but asks nothing until the late answer came",
         {sample(0ms, away), sample(0ms, control), sample(300ms, control, check(control)),
          sample(350ms, right), sample(650ms, right), sample(900ms, right),
          answer(950ms, clear, control, false), sample(960ms, right, check(right)),
          answer(970ms, clear, right, true)}},
        {"a late menu-open answer for a zone the pointer left does not spend the new rest",
         {sample(0ms, away), sample(0ms, control), sample(300ms, control, check(control)),
          sample(350ms, right), answer(400ms, menuOpen, control, false), sample(650ms, right, check(right))}},
        {"a late not-empty answer for a zone the pointer left does not restart the new rest",
         {sample(0ms, away), sample(0ms, control), sample(300ms, control, check(control)),
          sample(350ms, right), answer(600ms, notEmpty, control, false), sample(650ms, right, check(right))}},
        {"an answer after the pointer went away and came back applies to the zone it names",
         {sample(0ms, away), sample(0ms, control), sample(300ms, control, check(control)),
          sample(320ms, away), sample(340ms, control), answer(360ms, clear, control, true),
          sample(700ms, control)}},
        {"an answer with no check outstanding and a spent rest does nothing",
         {sample(0ms, control), answer(100ms, clear, control, false), sample(500ms, control)}},
    };

    for (const auto& timeline : timelines) {
        SCOPED_TRACE(timeline.name);
        HoverDwell dwell;
        for (std::size_t i = 0; i < timeline.events.size(); ++i) {
            const auto& event = timeline.events[i];
            SCOPED_TRACE("event " + std::to_string(i) + " at " + std::to_string(event.at.count()) + " ms");
            if (event.isSample) {
                EXPECT_EQ(dwell.feed(event.zone, event.buttons, event.at), event.step);
            } else {
                EXPECT_EQ(dwell.checked(event.finding, event.zone, event.at), event.reveals);
            }
        }
    }
}

} // namespace PELLACOR_TEST_FILE
