#include "MenuBarCore/Planning/VisibilityInput.h"
#include "MenuBarCore/Planning/VisibilityPlanner.h"
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Coordinator/Coordinator.h"

#include <algorithm>
#include <fmt/format.h>
#include <fmt/ranges.h>
#include <utility>

namespace pellacor::coordinator {

using core::AppKey;
using core::VisibilityPlan;

std::set<AppKey> Coordinator::currentOwners() const {
    std::set<AppKey> owners = knownOwners;
    for (const auto& bundleID : appWatcher->runningBundleIDs()) {
        owners.insert(AppKey(bundleID));
    }
    return owners;
}

std::set<AppKey> Coordinator::notchPlanOverflow() const {
    if (!notchOverflowEnabled || (!belowBarEnabled && !foldRescue)) {
        return {};
    }
    std::set<AppKey> overflow = notchState.hidden();
    if (overflow.empty()) {
        return overflow;
    }
    const bool revealedInOverflow =
        std::any_of(temporaryReveals.begin(), temporaryReveals.end(),
                    [&](const auto& reveal) { return overflow.contains(reveal.second); });
    if (!revealedInOverflow) {
        return overflow;
    }
    // An overflowed application is shown for a press: every shown application
    // leaves the bar meanwhile, which makes room for it left of the notch.
    for (const auto& owner : currentOwners()) {
        if (!owner.isApple() && owner.bundleID() != selfBundleID &&
            profile.section(owner) == core::Section::shown) {
            overflow.insert(owner);
        }
    }
    return overflow;
}

namespace {

// What two allowances both let show; nothing stands for everything.
void narrow(std::optional<std::set<std::string>>& allowed, const std::optional<std::set<std::string>>& by) {
    if (!by) {
        return;
    }
    if (allowed) {
        std::erase_if(*allowed, [&by](const std::string& id) { return !by->contains(id); });
    } else {
        allowed = by;
    }
}

std::optional<std::set<std::string>> allowance(const VisibilityPlan& plan) {
    const auto* list = plan.allowedBundleIDs();
    if (list == nullptr) {
        return std::nullopt;
    }
    return std::set<std::string>(list->begin(), list->end());
}

} // namespace

std::optional<std::set<std::string>> Coordinator::allowedOnBar() const {
    auto allowed = allowance(visibility->currentPlan());
    if (requestedPlan) {
        narrow(allowed, allowance(*requestedPlan));
    }
    // An application newly let show puts its items back in its own time.
    if (allowanceChange && now() - allowanceChange->at < restrictionSettle) {
        narrow(allowed, allowanceChange->before);
    }
    return allowed;
}

void Coordinator::noteAllowanceChange() {
    allowanceChange = AllowanceChange{allowedOnBar(), now()};
}

void Coordinator::enforce() {
    if (isShutDown) {
        return;
    }
    const std::set<AppKey> owners = currentOwners();
    core::VisibilityInput input{
        .state = effectiveState(),
        .profile = profile,
        .currentOwners = std::vector<AppKey>(owners.begin(), owners.end()),
        .notchOverflow = notchPlanOverflow(),
        .temporarilyShown = {},
        .temporarilyUnrestricted = !temporaryLifts.empty(),
        .selfBundleID = selfBundleID,
    };
    for (const auto& [serial, app] : temporaryReveals) {
        input.temporarilyShown.insert(app);
    }
    restrict(core::VisibilityPlanner::plan(input));
}

void Coordinator::restrict(VisibilityPlan plan) {
    if (plan.isNoRestriction()) {
        // A repeated removal keeps the instant of the first.
        if (requestedPlan != plan) {
            unrestrictedSince = now();
            noteAllowanceChange();
        }
        ++restrictGeneration;
        requestedPlan = VisibilityPlan::noRestriction();
        applyTask.cancel();
        // Unlike an allow plan, a removal is sent every time: it must hold even if
        // something else put a restriction in force meanwhile.
        visibility->removeRestriction();
        return;
    }

    if (requestedPlan == plan) {
        return;
    }
    noteAllowanceChange();
    hasRequestedRestriction = true;
    const int generation = ++restrictGeneration;
    requestedPlan = plan;
    // An earlier apply is left to run: its generation makes its answer stale.
    applyTask =
        concurrency::spawn(executor, applyPlan(weak_from_this(), generation, visibility, std::move(plan)));
}

concurrency::Task<void> Coordinator::applyPlan(std::weak_ptr<Coordinator> weak, int generation,
                                               std::shared_ptr<system::VisibilityControlling> visibility,
                                               VisibilityPlan plan) {
    {
        auto self = weak.lock();
        if (!self || self->isShutDown || self->restrictGeneration != generation) {
            co_return;
        }
    }
    auto result = co_await visibility->apply(std::move(plan));
    auto self = weak.lock();
    if (!self || self->isShutDown || self->restrictGeneration != generation) {
        co_return;
    }
    self->restrictionFinished(result);
}

void Coordinator::restrictionFinished(const system::SystemResult<VisibilityPlan>& result) {
    // The bar now holds the new restriction (or none, after a failure): what it
    // newly lets show comes back from here on.
    if (allowanceChange) {
        allowanceChange->at = now();
    }
    const auto plan = result.value();
    if (plan && !plan->isNoRestriction()) {
        const auto& ids = *plan->allowedBundleIDs();
        std::vector<std::string> others;
        std::copy_if(ids.begin(), ids.end(), std::back_inserter(others),
                     [](const std::string& id) { return !AppKey::isAppleBundleID(id); });
        core::Log::app().write(progressLevel(), fmt::format("制限が効きました（許す {} 個・Apple 以外：{}）",
                                                            ids.size(), fmt::join(others, ",")));
        if (onRestrictionConfirmed) {
            onRestrictionConfirmed();
        }
        return;
    }

    const auto reason = result.reason();
    const system::HealthProblem problem =
        reason && *reason == system::UnavailableReason::hidingComponentMissing
            ? system::HealthProblem::hidingComponentMissing
            : system::HealthProblem::hidingDidNotTakeEffect;
    // The next allow plan is sent even when it equals the one that failed.
    requestedPlan.reset();
    core::Log::app().error("制限が効きませんでした。一時停止します");
    setBase(core::MenuBarState::paused, PauseReason::healthProblems({problem}));
}

} // namespace pellacor::coordinator
