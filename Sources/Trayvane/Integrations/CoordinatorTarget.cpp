#include "Trayvane/Integrations/CoordinatorTarget.h"

namespace pellacor::app {

// A coordinator that went away between the check and the call counts as shut
// down: it can do nothing more.
bool CoordinatorTarget::isShutDown() const {
    const auto c = coordinator_.lock();
    return !c || c->hasShutDown();
}

core::MenuBarState CoordinatorTarget::baseState() const {
    const auto c = coordinator_.lock();
    return c ? c->baseState() : core::MenuBarState::paused;
}

std::optional<coordinator::PauseReason> CoordinatorTarget::pauseReason() const {
    const auto c = coordinator_.lock();
    return c ? c->currentPauseReason() : std::nullopt;
}

void CoordinatorTarget::reveal(bool all) {
    if (const auto c = coordinator_.lock()) {
        c->reveal(all);
    }
}

void CoordinatorTarget::collapse() {
    if (const auto c = coordinator_.lock()) {
        c->collapse();
    }
}

void CoordinatorTarget::pause() {
    if (const auto c = coordinator_.lock()) {
        c->pause();
    }
}

void CoordinatorTarget::resume() {
    if (const auto c = coordinator_.lock()) {
        c->resume();
    }
}

} // namespace pellacor::app
