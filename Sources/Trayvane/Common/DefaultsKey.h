#pragma once

namespace pellacor::app {

// Every key the program keeps in its own user defaults, whoever reads or
// writes it.
struct DefaultsKey {
    DefaultsKey() = delete;

    // The system version under which a restriction last took effect (text).
    static constexpr const char* confirmedOSVersion = "confirmedOSVersion";
    // The login item was turned on once by default (Boolean).
    static constexpr const char* loginItemDefaultApplied = "loginItemDefaultApplied";
    // The feature switches of the General page (Boolean each).
    static constexpr const char* hoverRevealEnabled = "hoverRevealEnabled";
    static constexpr const char* belowBarEnabled = "belowBarEnabled";
    static constexpr const char* userSwitcherStandInEnabled = "userSwitcherStandInEnabled";
    static constexpr const char* dragSortEnabled = "dragSortEnabled";
    static constexpr const char* notchOverflowEnabled = "notchOverflowEnabled";
    // What the coordinator learnt of the system's user switcher: whether it is
    // on the bar (Boolean), and its width in points (number).
    static constexpr const char* realUserSwitcherInBar = "realUserSwitcherInBar";
    static constexpr const char* realUserSwitcherWidth = "realUserSwitcherWidth";
    // Where the stand-in item sits on the bar; the status bar reads it (number).
    static constexpr const char* standInPreferredPosition =
        "NSStatusItem Preferred Position UserSwitcherStandIn";
};

} // namespace pellacor::app
