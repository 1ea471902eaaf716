#pragma once

#include "MenuBarSystem/Watching/CaptureUse.h"

#include <functional>

namespace pellacor::system {

// Tells whether a camera or a microphone is in use. Main thread only; the
// handler is called on the main thread.
class CaptureUseWatching {
public:
    using ChangeHandler = std::function<void(const CaptureUse&)>;

    virtual ~CaptureUseWatching() = default;

    // The last measurement.
    virtual CaptureUse current() const = 0;
    // Starts watching. The handler gets each new value when the measurement
    // changes; the first measurement is only stored in `current`, which the
    // caller reads right after. Ignored while already started.
    virtual void start(ChangeHandler onChange) = 0;
    // Stops watching and drops the handler; `current` keeps its value.
    virtual void stop() = 0;
};

} // namespace pellacor::system
