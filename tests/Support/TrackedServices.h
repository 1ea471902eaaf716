#pragma once

#include "Concurrency/OffMain.h"
#include "Concurrency/SerialQueue.h"
#include "MenuBarSystem/Reading/ItemReading.h"
#include "MenuBarSystem/Reordering/ItemReordering.h"
#include "MenuBarSystem/Watching/HoverSensing.h"

#include <memory>
#include <set>
#include <string>

namespace pellacor::testing {

// What the coordinator's services have been asked to do on their threads, and
// how much of it is still on its way. Touched on the main executor only: each
// count moves before a call leaves and after its answer is back.
struct OffMainCalls {
    int inFlight = 0;
    int fullReads = 0;
    int ownerReads = 0;
    int tableReads = 0;
    int tableWrites = 0;
    int hitTests = 0;
    int pressCalls = 0;

    int itemReads() const { return fullReads + ownerReads; }
};

// Each passes every call on to the real service and counts it in `calls`, so a
// test moves virtual time only while nothing is on its way on another thread.
class TrackedItemReader final : public system::ItemReading {
public:
    TrackedItemReader(std::shared_ptr<system::ItemReading> inner, std::shared_ptr<OffMainCalls> calls);
    concurrency::Task<Result> readItems() override;
    concurrency::Task<Result> readItems(std::set<std::string> owners) override;

private:
    std::shared_ptr<system::ItemReading> inner_;
    std::shared_ptr<OffMainCalls> calls_;
};

class TrackedItemReorderer final : public system::ItemReordering {
public:
    TrackedItemReorderer(std::shared_ptr<system::ItemReordering> inner, std::shared_ptr<OffMainCalls> calls);
    concurrency::Task<system::SystemResult<core::LayoutTable>> readTable() override;
    concurrency::Task<system::SystemResult<core::LayoutTable>> write(core::LayoutTable entries,
                                                                     core::LayoutTable expected) override;

private:
    std::shared_ptr<system::ItemReordering> inner_;
    std::shared_ptr<OffMainCalls> calls_;
};

class TrackedHoverSensor final : public system::HoverSensing {
public:
    TrackedHoverSensor(std::shared_ptr<system::HoverSensing> inner, std::shared_ptr<OffMainCalls> calls);
    system::HoverSample sample() override { return inner_->sample(); }
    bool menuIsOpen() override { return inner_->menuIsOpen(); }
    concurrency::Task<system::HoverSpaceCheck> checkEmptySpace(core::Point point) override;

private:
    std::shared_ptr<system::HoverSensing> inner_;
    std::shared_ptr<OffMainCalls> calls_;
};

// The presser's blocking calls on `queue`, counted.
concurrency::OffMain trackedRuns(std::shared_ptr<concurrency::SerialQueue> queue,
                                 std::shared_ptr<OffMainCalls> calls);

} // namespace pellacor::testing
