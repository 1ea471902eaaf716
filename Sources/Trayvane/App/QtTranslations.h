#pragma once

#include <QLocale>
#include <string>
#include <string_view>

namespace pellacor::app {

// Qt's own words (the file dialogs' labels, buttons and column heads, the
// standard buttons) in the program's language: Qt's translations as the
// system installs them, loaded into the running application. English is
// Qt's own language and needs none.
struct QtTranslations {
    QtTranslations() = delete;

    // Puts Qt's words in `language` ("ja…" or "en…", as the program's
    // language rule picks it), in place of the language set before. False
    // when the translation is not installed; Qt then speaks English.
    static bool use(std::string_view language);
    // `use` of the program's language, the one the help is shown in.
    static bool useProgramLanguage();
    // How dates and numbers are written in the language `use` was last given:
    // Japanese for Japanese, else the machine's own locale.
    static QLocale locale();
    // Where the translations are looked for, for a message that says they are missing.
    static std::string folder();
};

} // namespace pellacor::app
