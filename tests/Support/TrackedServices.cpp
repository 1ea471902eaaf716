#include "Support/TrackedServices.h"

#include <utility>

namespace pellacor::testing {

namespace {

using system::ItemReading;
using TableResult = system::SystemResult<core::LayoutTable>;

// Counts `counter` and holds `inFlight` up while `call` runs.
template <typename T>
concurrency::Task<T> tracked(std::shared_ptr<OffMainCalls> calls, int OffMainCalls::*counter,
                             concurrency::Task<T> call) {
    ++(calls.get()->*counter);
    ++calls->inFlight;
    auto result = co_await std::move(call);
    --calls->inFlight;
    co_return result;
}

concurrency::Task<void> trackedJob(std::shared_ptr<concurrency::SerialQueue> queue,
                                   std::shared_ptr<OffMainCalls> calls, std::function<void()> job) {
    ++calls->pressCalls;
    ++calls->inFlight;
    co_await queue->run(std::move(job));
    --calls->inFlight;
}

} // namespace

TrackedItemReader::TrackedItemReader(std::shared_ptr<ItemReading> inner, std::shared_ptr<OffMainCalls> calls)
    : inner_(std::move(inner)), calls_(std::move(calls)) {}

concurrency::Task<ItemReading::Result> TrackedItemReader::readItems() {
    return tracked(calls_, &OffMainCalls::fullReads, inner_->readItems());
}

concurrency::Task<ItemReading::Result> TrackedItemReader::readItems(std::set<std::string> owners) {
    return tracked(calls_, &OffMainCalls::ownerReads, inner_->readItems(std::move(owners)));
}

TrackedItemReorderer::TrackedItemReorderer(std::shared_ptr<system::ItemReordering> inner,
                                           std::shared_ptr<OffMainCalls> calls)
    : inner_(std::move(inner)), calls_(std::move(calls)) {}

concurrency::Task<TableResult> TrackedItemReorderer::readTable() {
    return tracked(calls_, &OffMainCalls::tableReads, inner_->readTable());
}

concurrency::Task<TableResult> TrackedItemReorderer::write(core::LayoutTable entries,
                                                           core::LayoutTable expected) {
    return tracked(calls_, &OffMainCalls::tableWrites,
                   inner_->write(std::move(entries), std::move(expected)));
}

TrackedHoverSensor::TrackedHoverSensor(std::shared_ptr<system::HoverSensing> inner,
                                       std::shared_ptr<OffMainCalls> calls)
    : inner_(std::move(inner)), calls_(std::move(calls)) {}

concurrency::Task<system::HoverSpaceCheck> TrackedHoverSensor::checkEmptySpace(core::Point point) {
    // The main-thread part runs now, as the sensor's own call does.
    return tracked(calls_, &OffMainCalls::hitTests, inner_->checkEmptySpace(point));
}

concurrency::OffMain trackedRuns(std::shared_ptr<concurrency::SerialQueue> queue,
                                 std::shared_ptr<OffMainCalls> calls) {
    return [queue = std::move(queue), calls = std::move(calls)](std::function<void()> job) {
        return trackedJob(queue, calls, std::move(job));
    };
}

} // namespace pellacor::testing
