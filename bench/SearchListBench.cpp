#include "MenuBarCore/Planning/SearchList.h"
#include "Trayvane/Panels/SearchModel.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

using namespace pellacor::core;

namespace {

// Candidates whose names mix Latin, katakana and full-width text like real
// ones, every one a different application.
struct Listed {
    std::vector<SearchCandidate> candidates;
    std::vector<std::string> names;

    explicit Listed(int count) {
        static const char* stems[] = {"Notes",      "メモ帳",         "Ｗｅａｔｈｅｒ",
                                      "Café Timer", "クリップボード", "Battery Pro"};
        for (int i = 0; i < count; ++i) {
            auto id = fmt::format("com.example.app{}", i);
            candidates.push_back(SearchCandidate{BelowBarEntry{id, 0, 1, std::nullopt}, Section::hidden});
            names.push_back(fmt::format("{} {}", stems[i % 6], i));
        }
    }
    SearchList::NameFunction name() const {
        return [this](const std::string& id) { return names[std::stoul(id.substr(15))]; };
    }
};

std::string queryFor(std::int64_t which) {
    return which == 0 ? "note" : "めも 1";
}

} // namespace

// One keystroke without preparation: every candidate's name is folded again.
static void BM_SearchFilterPerKeystroke(benchmark::State& state) {
    const Listed listed(static_cast<int>(state.range(0)));
    const auto name = listed.name();
    const std::string query = queryFor(state.range(1));
    for (auto _ : state) {
        benchmark::DoNotOptimize(SearchList::filter(listed.candidates, query, name));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SearchFilterPerKeystroke)->ArgsProduct({{100, 500, 2000}, {0, 1}})->Complexity();

// One keystroke over candidates prepared when they changed: only the query is folded.
static void BM_SearchPreparedPerKeystroke(benchmark::State& state) {
    const Listed listed(static_cast<int>(state.range(0)));
    const auto prepared = SearchList::prepare(listed.candidates, listed.name());
    const std::string query = queryFor(state.range(1));
    for (auto _ : state) {
        benchmark::DoNotOptimize(SearchList::filter(prepared, query));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SearchPreparedPerKeystroke)->ArgsProduct({{100, 500, 2000}, {0, 1}})->Complexity();

// What a change of the candidates costs: the names folded once.
static void BM_SearchPrepare(benchmark::State& state) {
    const Listed listed(static_cast<int>(state.range(0)));
    const auto name = listed.name();
    for (auto _ : state) {
        benchmark::DoNotOptimize(SearchList::prepare(listed.candidates, name));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SearchPrepare)->Arg(100)->Arg(500)->Arg(2000)->Complexity();

// One keystroke in the search panel's model: the query changes (the selection
// goes back to the first row) and the results are read, as the panel reads them.
static void BM_SearchModelKeystroke(benchmark::State& state) {
    const Listed listed(static_cast<int>(state.range(0)));
    pellacor::app::SearchModel model(listed.name());
    model.setCandidates(listed.candidates);
    const std::string queries[] = {"not", "note"};
    std::size_t typed = 0;
    for (auto _ : state) {
        model.setQuery(queries[typed++ % 2]);
        benchmark::DoNotOptimize(model.results());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SearchModelKeystroke)->Arg(100)->Arg(500)->Arg(2000)->Complexity();
