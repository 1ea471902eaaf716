#pragma once

#include "Trayvane/Integrations/Intents/IntentDescription.h"

#include <array>
#include <string>
#include <string_view>

namespace pellacor::app {

// The ready-made shortcuts the program offers: one phrase for each of its
// five actions (the application's name, then a fixed text), a short title
// and the name of the symbol shown beside it. The tile keeps its default colour.
class TrayvaneShortcuts {
public:
    struct AppShortcut {
        const IntentDescription* intent;
        // What follows the application's name in the phrase.
        std::string_view phraseAfterName;
        std::string_view shortTitle;
        std::string_view systemImageName;

        // The whole phrase with the application's name in front.
        std::string phrase(std::string_view applicationName = "Pellacor") const;
    };

    // The five, in the order they are offered; the reveal one leaves `all` at false.
    static const std::array<AppShortcut, 5>& appShortcuts();
};

} // namespace pellacor::app
