#include "MenuBarCore/Planning/VisibilityPlanner.h"
#include "MenuBarCore/Support/AppIdentity.h"

#include <benchmark/benchmark.h>
#include <string>

using namespace pellacor::core;

namespace {

// `count` running owners and a profile of `count` applications, half of which are
// running: every tenth owner is an Apple application, the sections rotate through
// shown, hidden and always hidden, a few applications are in the notch overflow
// and a few are shown for the moment.
VisibilityInput makeInput(MenuBarState state, std::int64_t count) {
    std::map<AppKey, Section> sections;
    std::vector<AppKey> owners;
    std::set<AppKey> overflow;
    std::set<AppKey> temporarilyShown;
    owners.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
        std::string running =
            i % 10 == 0 ? "com.apple.extra" + std::to_string(i) : "com.vendor" + std::to_string(i) + ".app";
        owners.emplace_back(running);
        // The profile knows the first half of the running applications and as
        // many again that are not running.
        if (i < count / 2) {
            sections.emplace(AppKey(running), allSections[static_cast<std::size_t>(i % 3)]);
        } else {
            sections.emplace(AppKey("org.idle" + std::to_string(i) + ".app"),
                             allSections[static_cast<std::size_t>(i % 3)]);
        }
        if (i % 50 == 1) {
            overflow.insert(owners.back());
        }
        if (i % 100 == 2) {
            temporarilyShown.insert(owners.back());
        }
    }
    owners.emplace_back(std::string(bundleIdentifier));
    return VisibilityInput{
        .state = state,
        .profile = Profile(Uuid::random(), "ふだん", std::move(sections), {}, Section::hidden),
        .currentOwners = std::move(owners),
        .notchOverflow = std::move(overflow),
        .temporarilyShown = std::move(temporarilyShown),
        .temporarilyUnrestricted = false,
        .selfBundleID = std::string(bundleIdentifier),
    };
}

void planFor(benchmark::State& state, MenuBarState menuBarState) {
    const auto input = makeInput(menuBarState, state.range(0));
    std::size_t allowed = 0;
    for (auto _ : state) {
        auto plan = VisibilityPlanner::plan(input);
        benchmark::DoNotOptimize(plan);
        allowed = plan.allowedBundleIDs() != nullptr ? plan.allowedBundleIDs()->size() : 0;
    }
    state.counters["allowed"] = static_cast<double>(allowed);
    state.SetComplexityN(state.range(0));
}

void BM_VisibilityPlanCollapsed(benchmark::State& state) {
    planFor(state, MenuBarState::collapsed);
}
void BM_VisibilityPlanRevealed(benchmark::State& state) {
    planFor(state, MenuBarState::revealed);
}

} // namespace

// 1,000 owners and 1,000 profile entries is the case the program must handle
// comfortably; the range around it shows how the cost grows.
void sizes(benchmark::internal::Benchmark* benchmark) {
    for (std::int64_t count : {125, 250, 500, 1000, 2000, 4000, 8000}) {
        benchmark->Arg(count);
    }
    benchmark->Complexity(benchmark::oNLogN);
}

BENCHMARK(BM_VisibilityPlanCollapsed)->Apply(sizes);
BENCHMARK(BM_VisibilityPlanRevealed)->Apply(sizes);
