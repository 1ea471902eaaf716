#pragma once

#include "MenuBarCore/Support/LocalizedArgument.h"

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

namespace pellacor::core {

// The program's user-visible texts are written in Japanese in the code and
// passed through here: the Japanese text is the key into the translations of
// the current language, and is shown itself when there is no translation.
// The program carries only the Japanese texts, so today no translations are
// installed and every key is shown as written.
std::string localized(std::string_view japaneseKey);

// One text with values inside: the key holds "%@" for each inserted text and
// "%lld" for each integer, and the marks of the translation (or of the key,
// without one) are filled from the arguments in order. A translation that
// needs the values in another order numbers its marks ("%2$lld", "%1$@").
// A mark with no argument for it stays as it is, and any other "%" is copied
// unchanged; an inserted text is never read for marks.
std::string localized(std::string_view japaneseKey, std::initializer_list<LocalizedArgument> arguments);

// The translations of the current language, Japanese key to translated text.
using Translations = std::map<std::string, std::string, std::less<>>;

// Replaces the translations every later lookup reads; installed at start-up,
// before any text is looked up, or by a test. An empty table shows the keys.
void installTranslations(Translations translations);

} // namespace pellacor::core
