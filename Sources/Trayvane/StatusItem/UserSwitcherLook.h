#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pellacor::app {

// How the user-switcher stand-in looks: the user's full name as its title,
// the short account name, or a person symbol. A value with the cases of an
// enumeration (`UserSwitcherLook::icon`) and the rule that chooses one.
class UserSwitcherLook {
public:
    enum Value : std::uint8_t { fullName, accountName, icon };

    // The system's style setting: 0 draws the full name, 1 the account name, 2 an icon.
    static constexpr std::int64_t fullNameStyle = 0;
    static constexpr std::int64_t accountNameStyle = 1;
    static constexpr std::int64_t iconStyle = 2;
    // A real item narrower than this (points) is drawn as an icon, whatever the style says.
    static constexpr double iconWidthLimit = 30;

    constexpr UserSwitcherLook(Value value) : value_(value) {} // NOLINT(google-explicit-constructor)
    constexpr operator Value() const { return value_; }        // NOLINT(google-explicit-constructor)

    // The look of the real item: a measured width (when known and positive)
    // tells an icon from a name; otherwise the style decides, unknown meaning icon.
    static UserSwitcherLook from(std::optional<std::int64_t> style, std::optional<double> realWidth);

    // The case's name, for tests and logs.
    std::string_view name() const;

private:
    Value value_;
};

} // namespace pellacor::app
