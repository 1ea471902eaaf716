#include "Trayvane/Coordinator/Coordinator.h"

namespace pellacor::coordinator {

// The start-up attempt, its health decision and the fold rescue are filled in by
// the start-up work; until then an attempt leaves the state at `starting`.
concurrency::Task<void> Coordinator::startAttempt(std::weak_ptr<Coordinator> weak,
                                                  std::shared_ptr<system::ItemReading> reader,
                                                  int generation) {
    (void)weak;
    (void)reader;
    (void)generation;
    co_return;
}

} // namespace pellacor::coordinator
