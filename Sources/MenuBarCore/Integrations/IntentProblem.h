#pragma once

#include <optional>
#include <string_view>

namespace pellacor::core {

// Why a shortcut's action did not happen, as the person who ran it is told.
// The texts are the program's own (Japanese; other languages come from the
// translations), shown by whoever ran the shortcut.
class IntentProblem {
public:
    enum class Case { notReady, unknownProfile, resumeNeedsUser };
    static constexpr Case allCases[] = {Case::notReady, Case::unknownProfile, Case::resumeNeedsUser};

    // The text shown for the problem.
    static std::string_view message(Case problem);
    // The word that names the problem between two processes ("notReady", …).
    static std::string_view rawValue(Case problem);
    static std::optional<Case> fromRawValue(std::string_view raw);
};

} // namespace pellacor::core
