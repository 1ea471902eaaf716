#include "MenuBarCore/Integrations/IntentProblem.h"

namespace pellacor::core {

std::string_view IntentProblem::message(Case problem) {
    switch (problem) {
    case Case::notReady:
        return "Pellacor の準備ができていません。少し待ってから、もう一度実行してください。";
    case Case::unknownProfile:
        return "そのプロファイルは見つかりません。消したか、名前が変わったのかもしれません。"
               "ショートカットで選び直してください。";
    case Case::resumeNeedsUser:
        // Given for each pause that only the person on screen may end: a new
        // system version, a key held at launch and the control item taken
        // off the bar, so the text names all three.
        return "Pellacor は、macOS が新しくなったか、起動のときにキーを押していたか、"
               "メニューバーへの表示が切られていたので止まっています。"
               "画面で確かめてから、Pellacor のメニューの「再開」を押して再開してください。";
    }
    return {};
}

std::string_view IntentProblem::rawValue(Case problem) {
    switch (problem) {
    case Case::notReady:
        return "notReady";
    case Case::unknownProfile:
        return "unknownProfile";
    case Case::resumeNeedsUser:
        return "resumeNeedsUser";
    }
    return {};
}

std::optional<IntentProblem::Case> IntentProblem::fromRawValue(std::string_view raw) {
    for (const auto problem : allCases) {
        if (rawValue(problem) == raw) {
            return problem;
        }
    }
    return std::nullopt;
}

} // namespace pellacor::core
