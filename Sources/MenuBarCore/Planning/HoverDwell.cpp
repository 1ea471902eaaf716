#include "MenuBarCore/Planning/HoverDwell.h"

namespace pellacor::core {

HoverStep HoverDwell::feed(HoverZone sampleZone, bool buttonsPressed, Duration now) {
    if (!zone) {
        // A rest already under way when tracking starts must not reveal: the
        // pointer was not brought there to ask for it.
        zone = sampleZone;
        since = now;
        spent = sampleZone != HoverZone::away;
    } else if (*zone != sampleZone) {
        // A new rest. An outstanding check stays outstanding: its answer, for the
        // old zone, must still arrive before another check is asked for.
        zone = sampleZone;
        since = now;
        spent = false;
    }
    if (sampleZone == HoverZone::away) {
        return HoverStep::wait();
    }
    if (buttonsPressed) {
        spent = true;
        return HoverStep::wait();
    }
    if (spent || checking) {
        return HoverStep::wait();
    }
    if (now - since >= dwell) {
        checking = true;
        return HoverStep::check(sampleZone);
    }
    return HoverStep::wait();
}

bool HoverDwell::checked(HoverCheck result, HoverZone checkedZone, Duration now) {
    checking = false;
    if (!zone || *zone != checkedZone || spent) {
        return false;
    }
    switch (result) {
    case HoverCheck::clear:
        spent = true;
        return true;
    case HoverCheck::menuOpen:
        spent = true;
        return false;
    case HoverCheck::notEmpty:
        // The space may clear up while the pointer stays: dwell once more.
        since = now;
        return false;
    }
    return false;
}

} // namespace pellacor::core
