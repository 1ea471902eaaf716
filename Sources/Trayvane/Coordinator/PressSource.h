#pragma once

#include <string_view>

namespace pellacor::coordinator {

// Where a press of a hidden item came from.
enum class PressSource {
    belowBar, // the panel below the bar
    search,   // the search panel
};

// The word the press lines use for the source: "下の段", "検索の窓".
std::string_view logWord(PressSource source);

} // namespace pellacor::coordinator
