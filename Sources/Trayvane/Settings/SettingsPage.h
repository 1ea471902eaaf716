#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace pellacor::app {

// The settings window's pages, in the order of their tabs.
enum class SettingsPage { sections, general, rules };

// Every page in tab order.
inline constexpr std::array<SettingsPage, 3> allSettingsPages{SettingsPage::sections, SettingsPage::general,
                                                              SettingsPage::rules};

// The page's name as it is stored and in its tab's identifier ("tab:<raw>").
std::string_view rawValue(SettingsPage page);
// The page of a raw value; nothing for any other text.
std::optional<SettingsPage> settingsPageFromRaw(std::string_view raw);
// The tab's title, translated for the program's language.
std::string title(SettingsPage page);
// The digit that, with the command modifier, selects the page: its place in tab order.
char shortcutKey(SettingsPage page);

} // namespace pellacor::app
