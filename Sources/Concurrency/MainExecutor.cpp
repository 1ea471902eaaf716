#include "Concurrency/MainExecutor.h"

#include "Concurrency/TaskContext.h"

#include <cassert>
#include <memory>

namespace pellacor::concurrency {

MainExecutor::~MainExecutor() {
    // Normally already done by the concrete executor; here only as a last
    // resort so that no frame outlives the executor.
    destroyUnfinishedTasks();
}

void MainExecutor::assertOnExecutorThread() const noexcept {
    assert(isOnExecutorThread() && "an executor-only call from another thread");
}

void MainExecutor::destroyUnfinishedTasks() noexcept {
    while (tasks_ != nullptr) {
        // Hold the context while its frame goes: destroying a frame can drop
        // the last reference to this or another context, which then unlinks
        // itself from the list.
        std::shared_ptr<detail::TaskContext> context = tasks_->weak_from_this().lock();
        if (!context) {
            // Only a context that is being destroyed right now has no owner;
            // it unlinks itself.
            tasks_->unlink();
            continue;
        }
        context->abandon();
    }
}

} // namespace pellacor::concurrency
