#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Coordinator/Coordinator.h"

namespace pellacor::coordinator {

void Coordinator::setBelowBar(bool show) {
    if (show == isBelowBarShown || (show && isShutDown)) {
        return;
    }
    isBelowBarShown = show;
    core::Log::app().info("下の段を{}ます", show ? "出し" : "閉じ");
    if (onBelowBar) {
        onBelowBar(show);
    }
    // The panel soon gets a fresh read.
    if (show) {
        refreshItems();
    }
    updateHoverWatch();
}

void Coordinator::syncBelowBar() {
    if (isBelowBarShown && belowBarVisible && !belowBarVisible()) {
        core::Log::app().notice("下の段の窓が見えていないので、閉じたことにします");
        belowBarDidClose();
    }
}

void Coordinator::belowBarDidClose() {
    if (!isBelowBarShown) {
        return;
    }
    isBelowBarShown = false;
    core::Log::app().info("下の段が閉じました");
    updateHoverWatch();
}

// Filled in by the pressing work: whether the application is kept off the bar now.
bool Coordinator::isHidden(const std::string& bundleID) {
    (void)bundleID;
    return false;
}

// Filled in by the pressing work: a temporary reveal for a press.
concurrency::Task<std::optional<system::RevealTicket>>
Coordinator::beginReveal(std::string bundleID, system::RevealPurpose purpose) {
    (void)bundleID;
    (void)purpose;
    co_return std::nullopt;
}

// Filled in by the pressing work: a temporary lift of the whole restriction.
concurrency::Task<std::optional<system::RevealTicket>> Coordinator::beginLift() {
    co_return std::nullopt;
}

// Filled in by the pressing work: ends a temporary reveal or lift.
void Coordinator::endReveal(const system::RevealTicket& ticket) {
    (void)ticket;
}

} // namespace pellacor::coordinator
