#include "MenuBarCore/Planning/OrderPlanner.h"
#include "MenuBarCore/Support/AppIdentity.h"

#include <benchmark/benchmark.h>
#include <random>
#include <string>

using namespace pellacor::core;

namespace {

const std::string self(bundleIdentifier);
const std::string standIn = "UserSwitcherStandIn";

struct Bar {
    LayoutTable table;
    Profile profile;
};

// A table of `count` keys: applications of one to three items each, every tenth
// one Apple's, in an order drawn at random (fixed seed), with the control item in
// the middle and the follower far left. The profile wants the applications in
// another random order, a third of them hidden, so most keys are out of place.
Bar makeBar(std::int64_t count) {
    std::mt19937 engine(20240611);
    auto unit = [&] { return static_cast<double>(engine()) / 4294967296.0; };
    Bar bar{{}, Profile(Uuid::random(), "ふだん", {}, {}, Section::shown)};
    bar.table[OrderPlanner::followerKey(self, standIn)] = 1000;
    bar.table[OrderPlanner::followerKey(self, std::string(OrderPlanner::controlName))] = 50;
    for (std::int64_t app = 0; static_cast<std::int64_t>(bar.table.size()) < count; ++app) {
        const bool apple = app % 10 == 9;
        const std::string bundleID =
            (apple ? "com.apple.extra" : "com.vendor") + std::to_string(app) + (apple ? "" : ".app");
        const auto items = 1 + engine() % 3;
        for (unsigned item = 0; item < items && static_cast<std::int64_t>(bar.table.size()) < count; ++item) {
            bar.table["status:" + bundleID + "::Item-" + std::to_string(item)] = unit() * 100;
        }
        if (!apple) {
            AppKey key(bundleID);
            bar.profile.sections.emplace(key, app % 3 == 0 ? Section::hidden : Section::shown);
            bar.profile.order.push_back(key);
        }
    }
    for (std::size_t i = bar.profile.order.size(); i > 1; --i) {
        std::swap(bar.profile.order[i - 1], bar.profile.order[engine() % i]);
    }
    return bar;
}

void BM_OrderPlannerPlan(benchmark::State& state) {
    const Bar bar = makeBar(state.range(0));
    std::size_t changed = 0;
    for (auto _ : state) {
        auto result = OrderPlanner::plan(bar.table, bar.profile, self, {}, standIn, std::nullopt, {}, {});
        benchmark::DoNotOptimize(result);
        changed = std::get<LayoutTable>(result).size();
    }
    state.counters["keys"] = static_cast<double>(bar.table.size());
    state.counters["changed"] = static_cast<double>(changed);
    state.SetComplexityN(state.range(0));
}

} // namespace

// A real bar holds a few dozen items; 300 is far beyond any, and the range shows
// the quadratic growth of the in-order runs.
BENCHMARK(BM_OrderPlannerPlan)->RangeMultiplier(2)->Range(10, 300)->Complexity(benchmark::oNSquared);
