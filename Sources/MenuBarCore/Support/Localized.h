#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace pellacor::core {

// The program's user-visible texts are written in Japanese in the code and passed
// through here, so that a translation has exactly one place to go. Today it
// returns the text it is given.
std::string localized(std::string_view japaneseKey);

// The translated template with each "%@" replaced by the next argument in turn;
// a mark with no argument left stays as it is.
std::string localized(std::string_view japaneseKey, std::initializer_list<std::string_view> arguments);

} // namespace pellacor::core
