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

} // namespace pellacor::app
