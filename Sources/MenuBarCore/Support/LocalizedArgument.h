#pragma once

#include <concepts>
#include <string>
#include <string_view>

namespace pellacor::core {

// One value put into a localized text: a text for a "%@" mark, an integer
// for a "%lld" mark. Integers are written as plain decimal numbers, without
// grouping, as the marks' own format would write them. Made only inside a
// call's argument list, so a text it views outlives it.
class LocalizedArgument {
public:
    // Implicit, so a call lists its values as they are: {title, count}.
    LocalizedArgument(std::string_view text) : text_(text) {}
    LocalizedArgument(const std::string& text) : text_(text) {}
    LocalizedArgument(const char* text) : text_(text ? text : "") {}
    template <std::integral Integer>
    requires(!std::same_as<Integer, bool> && !std::same_as<Integer, char>) LocalizedArgument(Integer number)
        : number_(std::to_string(number)), text_(number_) {}

    LocalizedArgument(const LocalizedArgument&) = delete;
    LocalizedArgument& operator=(const LocalizedArgument&) = delete;

    std::string_view text() const { return text_; }

private:
    std::string number_;
    std::string_view text_;
};

} // namespace pellacor::core
