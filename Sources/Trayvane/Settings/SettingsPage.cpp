#include "Trayvane/Settings/SettingsPage.h"

#include "MenuBarCore/Support/Localized.h"

namespace pellacor::app {

std::string_view rawValue(SettingsPage page) {
    switch (page) {
    case SettingsPage::sections:
        return "sections";
    case SettingsPage::general:
        return "general";
    case SettingsPage::rules:
        return "rules";
    }
    return "sections";
}

std::optional<SettingsPage> settingsPageFromRaw(std::string_view raw) {
    for (const SettingsPage page : allSettingsPages) {
        if (rawValue(page) == raw) {
            return page;
        }
    }
    return std::nullopt;
}

std::string title(SettingsPage page) {
    switch (page) {
    case SettingsPage::sections:
        return core::localized("レイアウト");
    case SettingsPage::general:
        return core::localized("一般");
    case SettingsPage::rules:
        return core::localized("自動");
    }
    return {};
}

char shortcutKey(SettingsPage page) {
    return static_cast<char>('1' + static_cast<int>(page));
}

} // namespace pellacor::app
