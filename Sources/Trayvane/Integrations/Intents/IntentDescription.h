#pragma once

#include <optional>
#include <string_view>

namespace pellacor::app {

// What a shortcut action shows of itself where shortcuts are made: its title,
// its one parameter when it has one, and its summary, in which "${name}"
// stands for the parameter's value. No action has a description, none opens
// the program, and each keeps the defaults for being found and for asking to
// be unlocked.
struct IntentDescription {
    struct Parameter {
        std::string_view name;
        std::string_view title;
        std::string_view type;
        // The default, as text; nothing when the person must choose.
        std::optional<std::string_view> defaultValue;
    };

    std::string_view typeName;
    // The word for the action on the command line and between processes.
    std::string_view action;
    std::string_view title;
    std::optional<Parameter> parameter;
    std::optional<std::string_view> summary;
};

} // namespace pellacor::app
