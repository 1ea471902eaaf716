#include "Desktop/CrowdedDesktop.h"
#include "MenuBarCore/Support/Log.h"
#include "Support/ComposedDesktop.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <optional>

using namespace pellacor;
using namespace std::chrono_literals;

namespace {

// The visibility service as composed, noting the moment a request reaches it.
class RequestClock final : public system::VisibilityControlling {
public:
    explicit RequestClock(std::shared_ptr<system::VisibilityControlling> inner) : inner_(std::move(inner)) {}

    core::VisibilityPlan currentPlan() const override { return inner_->currentPlan(); }
    concurrency::Task<system::SystemResult<core::VisibilityPlan>> apply(core::VisibilityPlan plan) override {
        reached = std::chrono::steady_clock::now();
        return inner_->apply(std::move(plan));
    }
    void removeRestriction() override { inner_->removeRestriction(); }

    std::optional<std::chrono::steady_clock::time_point> reached;

private:
    std::shared_ptr<system::VisibilityControlling> inner_;
};

// A click on the control item while collapsed, on a desktop of 100 running
// applications with 300 items: from the toggle until the new restriction is
// asked of the visibility service (the state hub, the plan and the apply
// task's start), timed by hand; collapsing again between iterations is not.
void BM_ToggleUntilTheRestrictionIsRequested(benchmark::State& state) {
    core::Log::setSinks({});
    const std::int64_t apps = state.range(0);
    concurrency::ManualExecutor executor;
    testing::ComposedDesktop::Options options;
    options.scenario = bench::crowdedDesktop(apps, 3);
    options.profile = bench::crowdedProfile(apps);
    testing::ComposedDesktop desktop(executor, std::move(options));
    auto clock = std::make_shared<RequestClock>(desktop.composition->services.visibility);
    desktop.composition->services.visibility = clock;
    auto coordinator = desktop.makeCoordinator();
    coordinator->start(std::nullopt);
    const auto settledIn = [&](core::MenuBarState wanted) {
        return [&, wanted] {
            return coordinator->effectiveState() == wanted &&
                   desktop.composition->visibility->currentPlan() != core::VisibilityPlan::noRestriction();
        };
    };
    if (desktop.runUntil(settledIn(core::MenuBarState::collapsed), 60s) !=
        testing::ComposedDesktop::Outcome::done) {
        state.SkipWithError("the coordinator did not collapse");
        return;
    }
    for (auto _ : state) {
        clock->reached.reset();
        const auto start = std::chrono::steady_clock::now();
        coordinator->toggle(false);
        executor.runUntilIdle();
        if (!clock->reached) {
            state.SkipWithError("no restriction was asked for");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(*clock->reached - start).count());
        desktop.settle();
        coordinator->toggle(false);
        desktop.settle();
    }
    state.counters["items"] = static_cast<double>(apps * 3);
    coordinator->shutdown();
    desktop.settle();
}

} // namespace

BENCHMARK(BM_ToggleUntilTheRestrictionIsRequested)
    ->Arg(100)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
