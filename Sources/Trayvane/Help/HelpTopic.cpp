#include "Trayvane/Help/HelpTopic.h"

namespace pellacor::app {

std::string_view rawValue(HelpTopic topic) {
    switch (topic) {
    case HelpTopic::osUpdated:
        return "osUpdated";
    case HelpTopic::warning:
        return "warning";
    case HelpTopic::nothingHidden:
        return "nothingHidden";
    case HelpTopic::permission:
        return "permission";
    case HelpTopic::hotkeys:
        return "hotkeys";
    }
    return "nothingHidden";
}

std::string_view titleKey(HelpTopic topic) {
    switch (topic) {
    case HelpTopic::osUpdated:
        return "macOS を新しくしたら一時停止になった";
    case HelpTopic::warning:
        return "操作口が三角の注意の印になっている";
    case HelpTopic::nothingHidden:
        return "何も隠れない";
    case HelpTopic::permission:
        return "許可したのに動かない";
    case HelpTopic::hotkeys:
        return "ホットキーが効かない";
    }
    return "何も隠れない";
}

namespace {

// The English help text's headings of the topics' items.
std::string_view englishTitle(HelpTopic topic) {
    switch (topic) {
    case HelpTopic::osUpdated:
        return "Pellacor paused after a macOS update";
    case HelpTopic::warning:
        return "The control item shows a warning triangle";
    case HelpTopic::nothingHidden:
        return "Nothing is hidden";
    case HelpTopic::permission:
        return "It doesn't work even though I granted permission";
    case HelpTopic::hotkeys:
        return "The hot keys don't work";
    }
    return "Nothing is hidden";
}

} // namespace

std::string title(HelpTopic topic, std::string_view localization) {
    // Compared as written, as the help folders are: "EN" is no English.
    if (localization.starts_with("en")) {
        return std::string(englishTitle(topic));
    }
    return std::string(titleKey(topic));
}

} // namespace pellacor::app
