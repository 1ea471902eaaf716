#pragma once

#include "MenuBarCore/Planning/HoverCheck.h"
#include "MenuBarCore/Planning/HoverStep.h"
#include "MenuBarCore/Planning/HoverZone.h"

#include <chrono>
#include <optional>

namespace pellacor::core {

// The timer behind hover reveal, as a plain value the caller keeps between
// samples. Time comes in as readings of a monotonic clock (elapsed time since any
// fixed origin), so the dwell has no clock of its own.
//
// Once the pointer has rested `dwell` in one zone, `feed` asks for a check; the
// caller checks asynchronously and reports through `checked`, which says whether
// to reveal. One rest reveals at most once: the pointer has to leave the zone and
// come back for another.
struct HoverDwell {
    using Duration = std::chrono::nanoseconds;

    static constexpr Duration dwell = std::chrono::milliseconds(300);

    // The zone of the current rest; absent before the first sample.
    std::optional<HoverZone> zone;
    // When the current rest began, or when a refused check restarted it.
    Duration since = Duration::zero();
    // The rest is used up: it revealed, was refused, saw a button, or was already
    // under way when tracking began.
    bool spent = false;
    // A check was asked for and not answered yet.
    bool checking = false;

    // Takes one pointer sample. Answers `check` once per rest when it has lasted
    // `dwell` and nothing has spent it; `wait` otherwise, and to every sample while
    // a check is outstanding.
    HoverStep feed(HoverZone sampleZone, bool buttonsPressed, Duration now);

    // Takes the caller's finding for `checkedZone`. True when the caller should
    // reveal now. A finding for a zone the pointer has left, or for a rest that
    // was spent meanwhile, only ends the outstanding check.
    bool checked(HoverCheck result, HoverZone checkedZone, Duration now);

    bool operator==(const HoverDwell&) const = default;
};

} // namespace pellacor::core
