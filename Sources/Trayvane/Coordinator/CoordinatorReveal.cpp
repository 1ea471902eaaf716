#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Coordinator/Coordinator.h"

namespace pellacor::coordinator {

using core::MenuBarState;

void Coordinator::reveal(bool all) {
    if (isShutDown) {
        return;
    }
    syncBelowBar();
    if (captureInUse) {
        return;
    }
    switch (base) {
    case MenuBarState::needsPermission:
    case MenuBarState::paused:
    case MenuBarState::revealedAll:
    case MenuBarState::privacyOverride:
        return;
    case MenuBarState::collapsed:
        if (belowBarEnabled && !all) {
            // The hidden section opens below the bar instead; an open panel stays open.
            setBelowBar(true);
            return;
        }
        setBelowBar(false);
        setBase(all ? MenuBarState::revealedAll : MenuBarState::revealed, std::nullopt);
        return;
    case MenuBarState::revealed:
        if (all) {
            setBase(MenuBarState::revealedAll, std::nullopt);
        }
        return;
    case MenuBarState::starting:
        // Remembered, or-ed with an earlier wish, until the start-up check ends.
        revealAfterStart = revealAfterStart.value_or(false) || all;
        core::Log::app().info("起動の点検が済んだら出します");
        return;
    }
}

// Filled in by the toggle and hover-reveal work: the automatic collapse.
void Coordinator::updateAutoCollapse() {}

// Filled in by the toggle and hover-reveal work: the hover-reveal watch.
void Coordinator::updateHoverWatch() {}

void Coordinator::stopAutoCollapse() {
    ++collapseGeneration;
    collapseTask.cancel();
    collapseTask = {};
}

void Coordinator::stopHoverWatch() {
    ++hoverGeneration;
    hoverTask.cancel();
    hoverTask = {};
}

} // namespace pellacor::coordinator
