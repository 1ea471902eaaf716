#pragma once

#include <string_view>

namespace pellacor::app {

// The help window's jump targets.
enum class HelpTopic { osUpdated, warning, nothingHidden, permission, hotkeys };

// "osUpdated", "warning", … (the case names).
std::string_view rawValue(HelpTopic topic);

} // namespace pellacor::app
