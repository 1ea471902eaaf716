#pragma once

#include "MenuBarCore/Support/Uuid.h"
#include "Trayvane/Help/HelpTopic.h"
#include "Trayvane/StatusItem/ControlAction.h"

#include <optional>
#include <string>
#include <vector>

namespace pellacor::app {

// One entry of the control item's menu as the menu model lays it out; the
// shown menu draws these and reports the chosen one back.
struct ControlMenuEntry {
    bool isSeparator = false;
    std::string title;
    ControlAction action = ControlAction::none;
    // What the entry carries: a notice's help topic, a profile's id.
    std::optional<HelpTopic> topic;
    std::optional<core::Uuid> profileID;
    bool isChecked = false;
    std::string keyEquivalent;
    std::vector<ControlMenuEntry> submenu;

    static ControlMenuEntry separator() {
        ControlMenuEntry entry;
        entry.isSeparator = true;
        return entry;
    }
    static ControlMenuEntry item(std::string title, ControlAction action) {
        ControlMenuEntry entry;
        entry.title = std::move(title);
        entry.action = action;
        return entry;
    }

    // An entry without an action shows disabled, unless it carries a submenu.
    bool isEnabled() const { return action != ControlAction::none || !submenu.empty(); }

    bool operator==(const ControlMenuEntry&) const = default;
};

} // namespace pellacor::app
