#pragma once

#include <array>
#include <string>
#include <string_view>

namespace pellacor::app {

// The help window's jump targets: the help items other parts of the program
// open directly (the control item's notices).
enum class HelpTopic { osUpdated, warning, nothingHidden, permission, hotkeys };

// Every topic, in the order above.
inline constexpr std::array<HelpTopic, 5> allHelpTopics{HelpTopic::osUpdated, HelpTopic::warning,
                                                        HelpTopic::nothingHidden, HelpTopic::permission,
                                                        HelpTopic::hotkeys};

// "osUpdated", "warning", … (the case names).
std::string_view rawValue(HelpTopic topic);

// The heading of the topic's item in the Japanese help text; it is also the
// key its translations are looked up by.
std::string_view titleKey(HelpTopic topic);

// The heading of the topic's item in the help text of `localization` ("en",
// "en-GB", "ja", …): its translation where the program has one, else the key.
// The help text of every language must carry exactly this heading.
std::string title(HelpTopic topic, std::string_view localization);

} // namespace pellacor::app
