#include "MenuBarCore/Planning/OrderPlanner.h"
#include "MenuBarCore/Planning/VisibilityPlanner.h"
#include "MenuBarCore/Support/AppIdentity.h"

#include <benchmark/benchmark.h>
#include <map>
#include <set>
#include <string>

using namespace pellacor::core;

namespace {

const std::string self(bundleIdentifier);

// What the coordinator holds with `apps` running applications of three items
// each: every tenth Apple's, the others in the three sections in turn; the
// layout table knows every item but the last tenth's, and the control item.
struct Model {
    Profile profile{Uuid::random(), "ふだん", {}, {}, Section::hidden};
    std::vector<AppKey> owners;
    std::set<AppKey> running;
    std::map<AppKey, int> shownIconCounts;
    LayoutTable table;
};

Model makeModel(std::int64_t apps) {
    Model model;
    model.table[OrderPlanner::followerKey(self, std::string(OrderPlanner::controlName))] = 50;
    for (std::int64_t i = 0; i < apps; ++i) {
        const bool apple = i % 10 == 9;
        const std::string bundleID =
            apple ? "com.apple.extra" + std::to_string(i) : "com.vendor" + std::to_string(i) + ".app";
        const AppKey key(bundleID);
        model.owners.push_back(key);
        model.running.insert(key);
        const Section section = allSections[static_cast<std::size_t>(i % 3)];
        if (!apple) {
            model.profile.sections.emplace(key, section);
            if (section == Section::shown) {
                model.shownIconCounts[key] = 3;
            }
        }
        if (i < apps - apps / 10) {
            for (int item = 0; item < 3; ++item) {
                model.table["status:" + bundleID + "::Item-" + std::to_string(item)] =
                    static_cast<double>(i * 3 + item) + (apple ? 60 : 0);
            }
        }
    }
    model.owners.emplace_back(self);
    return model;
}

// The plan the state hub asks for at every change: here collapsed to revealed.
void BM_HubVisibilityPlan(benchmark::State& state) {
    const Model model = makeModel(state.range(0));
    const VisibilityInput input{
        .state = MenuBarState::revealed,
        .profile = model.profile,
        .currentOwners = model.owners,
        .notchOverflow = {},
        .temporarilyShown = {},
        .temporarilyUnrestricted = false,
        .selfBundleID = self,
    };
    for (auto _ : state) {
        auto plan = VisibilityPlanner::plan(input);
        benchmark::DoNotOptimize(plan);
    }
}

// What entering collapsed asks of the order planner before it reads the
// table for the placement of shown applications: the keys they lack and the
// Apple keys left of the control item.
void BM_HubPlacementPlanners(benchmark::State& state) {
    const Model model = makeModel(state.range(0));
    for (auto _ : state) {
        auto missing =
            OrderPlanner::missingShownKeys(model.table, model.profile, self, model.shownIconCounts);
        auto apple =
            OrderPlanner::appleKeysLeftOfControl(model.table, self, {"UserSwitcherStandIn"}, model.running);
        benchmark::DoNotOptimize(missing);
        benchmark::DoNotOptimize(apple);
    }
    state.counters["keys"] = static_cast<double>(model.table.size());
}

} // namespace

// 100 running applications with 300 items.
BENCHMARK(BM_HubVisibilityPlan)->Arg(100);
BENCHMARK(BM_HubPlacementPlanners)->Arg(100);
