#include "Trayvane/Integrations/TrayvaneShortcuts.h"

#include "Trayvane/Integrations/Intents/CollapseIntent.h"
#include "Trayvane/Integrations/Intents/PauseIntent.h"
#include "Trayvane/Integrations/Intents/ResumeIntent.h"
#include "Trayvane/Integrations/Intents/RevealIntent.h"
#include "Trayvane/Integrations/Intents/SwitchProfileIntent.h"

namespace pellacor::app {

std::string TrayvaneShortcuts::AppShortcut::phrase(std::string_view applicationName) const {
    std::string text(applicationName);
    text += phraseAfterName;
    return text;
}

const std::array<TrayvaneShortcuts::AppShortcut, 5>& TrayvaneShortcuts::appShortcuts() {
    static const std::array<AppShortcut, 5> shortcuts{{
        {&RevealIntent::description, "でアイコンを出す", "アイコンを出す", "eye"},
        {&CollapseIntent::description, "でアイコンをしまう", "アイコンをしまう", "eye.slash"},
        {&SwitchProfileIntent::description, "でプロファイルを切り替える", "プロファイルを切り替える",
         "person.crop.rectangle.stack"},
        {&PauseIntent::description, "を一時停止する", "一時停止する", "pause.circle"},
        {&ResumeIntent::description, "を再開する", "再開する", "play.circle"},
    }};
    return shortcuts;
}

} // namespace pellacor::app
