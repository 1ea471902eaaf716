// Folding of a short mixed Japanese/Latin name, the way search will fold both
// the query and every item name: width, case, diacritics, then kana.
#include "MenuBarCore/Text/Text.h"

#include <benchmark/benchmark.h>
#include <string>

using pellacor::core::Text;

namespace {

// 30 grapheme clusters: full-width Latin, half-width katakana with sound marks,
// accented Latin (precomposed and combining), katakana, kanji and spaces.
const std::string name = "Ｃａｆé ﾃﾞｨｽﾌﾟﾚｲ Cre\u0300me カタカナ設定 Große";

std::string foldForSearch(const std::string& text) {
    return Text::katakanaToHiragana(Text::diacriticFolded(Text::caseFolded(Text::widthFolded(text))));
}

void BM_FoldName(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(foldForSearch(name));
    }
}
BENCHMARK(BM_FoldName);

// Each step alone, to see where the time of the whole fold goes.
void BM_FoldNameStep(benchmark::State& state) {
    std::string (*const steps[])(std::string_view) = {&Text::widthFolded, &Text::caseFolded,
                                                      &Text::diacriticFolded, &Text::katakanaToHiragana};
    const auto step = steps[state.range(0)];
    const char* const labels[] = {"width", "case", "diacritic", "kana"};
    state.SetLabel(labels[state.range(0)]);
    for (auto _ : state) {
        benchmark::DoNotOptimize(step(name));
    }
}
BENCHMARK(BM_FoldNameStep)->DenseRange(0, 3);

void BM_GraphemeCount(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(Text::graphemeCount(name));
    }
}
BENCHMARK(BM_GraphemeCount);

} // namespace
