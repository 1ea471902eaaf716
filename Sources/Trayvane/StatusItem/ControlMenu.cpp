#include "Trayvane/StatusItem/ControlMenu.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/StatusItem/ControlItem.h"
#include "Trayvane/Support/SupportMenuTitle.h"

#include <algorithm>

namespace pellacor::app {

using core::localized;
using core::MenuBarState;

namespace {

bool isHiding(MenuBarState state) {
    return state == MenuBarState::collapsed || state == MenuBarState::revealed ||
           state == MenuBarState::revealedAll;
}

ControlMenuEntry notice(std::string title, HelpTopic topic) {
    ControlMenuEntry entry = ControlMenuEntry::item(std::move(title), ControlAction::notice);
    entry.topic = topic;
    return entry;
}

} // namespace

HelpTopic ControlMenu::noticeTopic(MenuBarState state,
                                   const std::optional<coordinator::PauseReason>& reason) {
    using Kind = coordinator::PauseReason::Kind;
    switch (state) {
    case MenuBarState::needsPermission:
        return HelpTopic::permission;
    case MenuBarState::paused:
        if (!reason) {
            return HelpTopic::nothingHidden;
        }
        switch (reason->kind()) {
        case Kind::osVersionChanged:
            return HelpTopic::osUpdated;
        case Kind::controlRemoved:
        case Kind::healthProblems:
            return HelpTopic::warning;
        case Kind::manual:
        case Kind::optionKeyAtLaunch:
            return HelpTopic::nothingHidden;
        }
        return HelpTopic::nothingHidden;
    default:
        return HelpTopic::nothingHidden;
    }
}

std::optional<ControlMenuEntry> ControlMenu::profileMenu(const std::vector<ProfileChoice>& profiles,
                                                         bool profileIsAutomatic) {
    if (profiles.empty()) {
        return std::nullopt;
    }
    ControlMenuEntry parent;
    for (const auto& choice : profiles) {
        ControlMenuEntry entry = ControlMenuEntry::item(choice.name, ControlAction::profile);
        entry.profileID = choice.id;
        entry.isChecked = choice.isActive;
        parent.submenu.push_back(std::move(entry));
    }
    parent.submenu.push_back(ControlMenuEntry::separator());
    parent.submenu.push_back(
        ControlMenuEntry::item(localized("プロファイルを編集…"), ControlAction::manageProfiles));
    const auto active =
        std::find_if(profiles.begin(), profiles.end(), [](const ProfileChoice& c) { return c.isActive; });
    if (active == profiles.end()) {
        parent.title = localized("プロファイル");
    } else {
        parent.title = localized("プロファイル：") + active->name;
        if (profileIsAutomatic) {
            parent.title += localized("（自動）");
        }
    }
    return parent;
}

std::vector<ControlMenuEntry> ControlMenu::build(const Facts& facts) {
    std::vector<ControlMenuEntry> entries;
    // Notices: what keeps the program from hiding, and a clashing hot key.
    if (!isHiding(facts.state)) {
        entries.push_back(notice(ControlItem::stateText(facts.state, facts.pauseReason),
                                 noticeTopic(facts.state, facts.pauseReason)));
    }
    if (facts.hotkeyNote) {
        entries.push_back(notice(*facts.hotkeyNote, HelpTopic::hotkeys));
    }
    if (!entries.empty()) {
        entries.push_back(ControlMenuEntry::separator());
    }
    if (facts.state == MenuBarState::collapsed) {
        entries.push_back(ControlMenuEntry::item(localized("全部出す（しばらくすると自動でしまう）"),
                                                 ControlAction::revealAll));
    }
    if (facts.state == MenuBarState::needsPermission) {
        entries.push_back(
            ControlMenuEntry::item(localized("許可の案内を開く…"), ControlAction::permissionGuide));
    }
    if (facts.state == MenuBarState::paused) {
        entries.push_back(ControlMenuEntry::item(localized("再開"), ControlAction::resume));
    } else {
        entries.push_back(
            ControlMenuEntry::item(localized("一時停止（再開するまで全部見せる）"), ControlAction::pause));
    }
    if (auto profiles = profileMenu(facts.profiles, facts.profileIsAutomatic)) {
        entries.push_back(std::move(*profiles));
    }
    if (facts.userSwitchAvailable) {
        entries.push_back(ControlMenuEntry::item(localized("ユーザを切り替える（ファストユーザスイッチ）…"),
                                                 ControlAction::switchUser));
    }
    entries.push_back(ControlMenuEntry::item(localized("設定…"), ControlAction::settings));
    entries.push_back(ControlMenuEntry::item(localized("Pellacor のヘルプ"), ControlAction::help));
    entries.push_back(ControlMenuEntry::item(SupportMenuTitle::feedback(), ControlAction::feedback));
    // A running check shows as a disabled entry: no action until it ends.
    entries.push_back(facts.isCheckingForUpdate
                          ? ControlMenuEntry::item(SupportMenuTitle::updateChecking(), ControlAction::none)
                          : ControlMenuEntry::item(SupportMenuTitle::update(), ControlAction::update));
    entries.push_back(ControlMenuEntry::item(localized("Pellacor について"), ControlAction::about));
    entries.push_back(ControlMenuEntry::separator());
    ControlMenuEntry quit = ControlMenuEntry::item(localized("Pellacor を終了"), ControlAction::quit);
    // Not assigned from a literal: GCC 12 at -O3 warns of a false overlap there (its bug 105329).
    quit.keyEquivalent = std::string(1, 'q');
    entries.push_back(std::move(quit));
    return entries;
}

} // namespace pellacor::app
