#include "MenuBarCore/Planning/SearchList.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

using namespace pellacor::core;

// One keystroke in the search panel: filter every candidate against the query
// typed so far. Names mix Latin, katakana and full-width text like real ones.
static void BM_SearchFilterPerKeystroke(benchmark::State& state) {
    const auto count = static_cast<int>(state.range(0));
    std::vector<SearchCandidate> candidates;
    std::vector<std::string> names;
    static const char* stems[] = {"Notes",      "メモ帳",         "Ｗｅａｔｈｅｒ",
                                  "Café Timer", "クリップボード", "Battery Pro"};
    for (int i = 0; i < count; ++i) {
        auto id = fmt::format("com.example.app{}", i);
        candidates.push_back(SearchCandidate{BelowBarEntry{id, 0, 1, std::nullopt}, Section::hidden});
        names.push_back(fmt::format("{} {}", stems[i % 6], i));
    }
    auto name = [&](const std::string& id) { return names[std::stoul(id.substr(15))]; };
    const std::string query = state.range(1) == 0 ? "note" : "めも 1";
    for (auto _ : state) {
        benchmark::DoNotOptimize(SearchList::filter(candidates, query, name));
    }
    state.SetComplexityN(count);
}
BENCHMARK(BM_SearchFilterPerKeystroke)->ArgsProduct({{100, 500, 2000}, {0, 1}})->Complexity();
