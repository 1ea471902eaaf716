#include "Concurrency/TaskContext.h"
#include "Trayvane/Coordinator/Coordinator.h"

namespace pellacor::coordinator {

void Coordinator::schedulePlaceShown(Duration after) {
    if (!reorderer || isShutDown) {
        return;
    }
    placeShownTask.cancel();
    const int generation = ++placeShownGeneration;
    placeShownTask = concurrency::spawn(executor, placeShown(weak_from_this(), generation, after));
}

concurrency::Task<void> Coordinator::placeShown(std::weak_ptr<Coordinator> weak, int generation,
                                                Duration after) {
    if (after > Duration::zero()) {
        auto self = weak.lock();
        if (!self) {
            co_return;
        }
        // The sleep is the coordinator's own; copied, so the coordinator is not held meanwhile.
        const concurrency::Sleep sleep = self->sleep;
        self.reset();
        co_await sleep(after);
    }
    auto self = weak.lock();
    if (!self) {
        co_return;
    }
    if (!concurrency::isCancelled()) {
        auto outcome = co_await self->placeMissingShown();
        (void)outcome;
    }
    if (self->placeShownGeneration == generation) {
        self->placeShownTask = {};
    }
}

// Filled in by the order work: adds the layout keys that shown applications lack.
concurrency::Task<OrderOutcome> Coordinator::placeMissingShown() {
    co_return OrderOutcome::skipped();
}

// Filled in by the order work: replays the deferred order request.
concurrency::Task<void> Coordinator::flushDeferredOrder(std::weak_ptr<Coordinator> weak, bool reordered) {
    (void)weak;
    (void)reordered;
    co_return;
}

} // namespace pellacor::coordinator
