#pragma once

#include "MenuBarCore/Model/MenuBarState.h"
#include "Trayvane/Coordinator/PauseReason.h"

#include <optional>

namespace pellacor::app {

// What the outside commands may do to the menu bar: the coordinator's part
// that they reach, behind an interface so the executor is tested without an
// engine. The coordinator is not owned: `isAvailable` says whether it still
// exists, and every other call is made only while it does.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;

    virtual bool isAvailable() const = 0;
    virtual bool isShutDown() const = 0;
    virtual core::MenuBarState baseState() const = 0;
    virtual std::optional<coordinator::PauseReason> pauseReason() const = 0;

    virtual void reveal(bool all) = 0;
    virtual void collapse() = 0;
    // Paused with the reason manual (a reason already held stays).
    virtual void pause() = 0;
    // A new start attempt; only called while paused.
    virtual void resume() = 0;
};

} // namespace pellacor::app
