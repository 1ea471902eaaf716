#include "Concurrency/TaskContext.h"
#include "MenuBarCore/Planning/HoverDwell.h"
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Coordinator/Coordinator.h"

#include <chrono>
#include <cmath>

namespace pellacor::coordinator {

using core::HoverCheck;
using core::HoverZone;
using core::MenuBarState;

namespace {

// A pointer that moved less than this since the right-hand band was found
// occupied is still over the same item: the band is not probed again.
constexpr double probeRadius = 8;

bool isRevealedState(MenuBarState state) {
    return state == MenuBarState::revealed || state == MenuBarState::revealedAll;
}

bool isFarFrom(core::Point a, core::Point b) {
    return std::hypot(a.x - b.x, a.y - b.y) > probeRadius;
}

} // namespace

void Coordinator::toggle(bool option) {
    if (isShutDown) {
        return;
    }
    syncBelowBar();
    if (!captureInUse && base == MenuBarState::collapsed && belowBarEnabled && !option) {
        // The click opens or closes the panel; the bar stays collapsed.
        setBelowBar(!isBelowBarShown);
        return;
    }
    setBelowBar(false);
    if (captureInUse) {
        return;
    }
    switch (base) {
    case MenuBarState::revealed:
    case MenuBarState::revealedAll:
        setBase(MenuBarState::collapsed, std::nullopt);
        return;
    case MenuBarState::collapsed:
        setBase(option ? MenuBarState::revealedAll : MenuBarState::revealed, std::nullopt);
        return;
    case MenuBarState::starting:
    case MenuBarState::needsPermission:
    case MenuBarState::paused:
    case MenuBarState::privacyOverride:
        return;
    }
}

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

void Coordinator::collapse() {
    if (isShutDown) {
        return;
    }
    // A collapse asked for while starting outweighs an earlier wish to reveal.
    revealAfterStart.reset();
    syncBelowBar();
    setBelowBar(false);
    if (!captureInUse && isRevealedState(base)) {
        setBase(MenuBarState::collapsed, std::nullopt);
    }
}

void Coordinator::hoverReveal() {
    if (isShutDown || captureInUse || base != MenuBarState::collapsed) {
        return;
    }
    // Also without the panel mode (the shell may have opened the panel itself):
    // a panel closed from outside must not be closed again by the reveal.
    syncBelowBar();
    if (belowBarEnabled) {
        if (isBelowBarShown) {
            return;
        }
        core::Log::app().info("マウスを乗せたので、下の段を出します");
        setBelowBar(true);
        return;
    }
    core::Log::app().info("マウスを乗せたので出します");
    // Resting the pointer shows the hidden section only, never everything.
    setBase(MenuBarState::revealed, std::nullopt);
}

void Coordinator::autoCollapse() {
    if (isShutDown || captureInUse || !isRevealedState(base)) {
        return;
    }
    setBase(MenuBarState::collapsed, std::nullopt);
}

// -- Auto-collapse -------------------------------------------------------------

void Coordinator::updateAutoCollapse() {
    if (isShutDown || captureInUse || !isRevealedState(base) || !pointer || !autoCollapseAfter) {
        stopAutoCollapse();
        return;
    }
    // Moving between the two revealed states keeps the count of the time away.
    if (collapseTask && !collapseTask.isFinished()) {
        return;
    }
    const int generation = ++collapseGeneration;
    collapseTask = concurrency::spawn(
        executor,
        autoCollapseLoop(weak_from_this(), generation, *autoCollapseAfter, autoCollapseTick, pointer, sleep),
        "autoCollapse");
}

concurrency::Task<void> Coordinator::autoCollapseLoop(std::weak_ptr<Coordinator> weak, int generation,
                                                      Duration limit, Duration tick,
                                                      std::shared_ptr<system::PointerSensing> pointer,
                                                      concurrency::Sleep sleep) {
    Duration away = Duration::zero();
    while (true) {
        co_await sleep(tick);
        auto self = weak.lock();
        if (isGoneOrStopped(self) || self->collapseGeneration != generation) {
            co_return;
        }
        const system::PointerSample sample = pointer->sample();
        if (sample.inMenuBar || sample.menuOpen) {
            away = Duration::zero();
            continue;
        }
        away += tick;
        if (away >= limit) {
            core::Log::app().info("マウスが離れて {} 秒。自動でしまいます",
                                  std::chrono::duration_cast<std::chrono::seconds>(limit).count());
            self->collapseTask = {};
            self->autoCollapse();
            co_return;
        }
    }
}

void Coordinator::stopAutoCollapse() {
    ++collapseGeneration;
    collapseTask.cancel();
    collapseTask = {};
}

// -- Hover reveal ----------------------------------------------------------------

void Coordinator::updateHoverWatch() {
    if (isShutDown || !hoverRevealEnabled || captureInUse || base != MenuBarState::collapsed ||
        isBelowBarShown || !hover) {
        stopHoverWatch();
        return;
    }
    if (hoverTask && !hoverTask.isFinished()) {
        return;
    }
    const int generation = ++hoverGeneration;
    hoverTask = concurrency::spawn(executor, hoverLoop(weak_from_this(), generation, hover), "hoverWatch");
}

bool Coordinator::isHoverCurrent(const std::shared_ptr<Coordinator>& self, int generation) {
    return !isGoneOrStopped(self) && self->hoverGeneration == generation && !self->captureInUse &&
           self->base == MenuBarState::collapsed;
}

concurrency::Task<void> Coordinator::hoverLoop(std::weak_ptr<Coordinator> weak, int generation,
                                               std::shared_ptr<system::HoverSensing> hover) {
    concurrency::Sleep sleep;
    concurrency::Now now;
    Duration tick{};
    Duration idleTick{};
    {
        auto self = weak.lock();
        if (!isHoverCurrent(self, generation)) {
            co_return;
        }
        sleep = self->sleep;
        now = self->now;
        tick = self->hoverTick;
        idleTick = self->hoverIdleTick;
    }
    // The dwell counts in time since the loop began.
    const Instant startedAt = now();
    core::HoverDwell dwell;
    std::optional<core::Point> lastProbed;
    co_await sleep(idleTick);

    while (true) {
        if (!isHoverCurrent(weak.lock(), generation)) {
            co_return;
        }
        const system::HoverSample sample = hover->sample();
        const auto step = dwell.feed(sample.zone, sample.buttonsPressed, now() - startedAt);
        const Duration pause = sample.zone != HoverZone::away ? tick : idleTick;
        const auto zone = step.checkZone();
        if (!zone) {
            co_await sleep(pause);
            continue;
        }

        HoverCheck verdict = HoverCheck::clear;
        bool probed = false;
        if (hover->menuIsOpen()) {
            verdict = HoverCheck::menuOpen;
        } else if (*zone == HoverZone::rightSpace) {
            if (!lastProbed || isFarFrom(sample.location, *lastProbed)) {
                // The hit tests run off the main thread; the loop waits for them here.
                auto space = co_await hover->checkEmptySpace(sample.location);
                probed = true;
                if (space.empty) {
                    verdict = HoverCheck::clear;
                } else {
                    verdict = HoverCheck::notEmpty;
                    lastProbed = sample.location;
                    core::Log::app().debug("右の帯は空きではありません（{}）", space.note);
                }
            } else {
                verdict = HoverCheck::notEmpty;
            }
        }

        auto self = weak.lock();
        if (!isHoverCurrent(self, generation)) {
            co_return;
        }
        // The pointer may have moved, or a menu opened, while the band was probed.
        const system::HoverSample fresh = hover->sample();
        dwell.feed(fresh.zone, fresh.buttonsPressed, now() - startedAt);
        if (probed) {
            if (isFarFrom(fresh.location, sample.location)) {
                verdict = HoverCheck::notEmpty;
            } else if (hover->menuIsOpen()) {
                verdict = HoverCheck::menuOpen;
            }
        }
        if (dwell.checked(verdict, *zone, now() - startedAt)) {
            self->hoverTask = {};
            self->hoverReveal();
            co_return;
        }
        self.reset(); // never held across a suspension
        co_await sleep(pause);
    }
}

void Coordinator::stopHoverWatch() {
    ++hoverGeneration;
    hoverTask.cancel();
    hoverTask = {};
}

} // namespace pellacor::coordinator
