#pragma once

#include <string>
#include <string_view>

namespace pellacor::core {

// The program's user-visible texts are written in Japanese in the code and passed
// through here, so that a translation has exactly one place to go. Today it
// returns the text it is given.
std::string localized(std::string_view japaneseKey);

} // namespace pellacor::core
