#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::app {

// The application's main menu as data: its commands with their titles,
// actions and key equivalents. Linux has no application menu bar, so the
// commands are installed as actions of every window of the program (see
// MainMenuActions), where their key equivalents work; the data and where each
// action goes are plain values tested without a display.
struct MainMenu {
    MainMenu() = delete;

    // Modifier masks of a key equivalent, the platform's device-independent flags.
    static constexpr std::uint64_t shiftMask = 0x20000;
    static constexpr std::uint64_t commandMask = 0x100000;

    struct Item {
        // Empty for a separator.
        std::string title;
        // The action the item sends ("openAbout:"); empty for a separator.
        std::string action;
        // The key ("," or "q"); empty for none.
        std::string keyEquivalent;
        std::uint64_t modifierMask = commandMask;

        bool isSeparator() const { return action.empty(); }
        bool operator==(const Item&) const = default;
    };

    struct Submenu {
        // Empty for the application's own menu, which the system names.
        std::string title;
        std::vector<Item> items;
        bool operator==(const Submenu&) const = default;
    };

    struct Menu {
        std::vector<Submenu> submenus;
        // The index of the help menu among the submenus.
        std::size_t helpMenu = 0;
        bool operator==(const Menu&) const = default;
    };

    // Where an action goes, as a responder chain would take it: no item names
    // a target of its own.
    enum class Target {
        focusedView, // the view with the keyboard focus, or the nearest of its parents that can do it
        window,      // the active window of the program
        application, // the application itself
        delegate,    // the application delegate, which wires these at launch
    };

    // The four menus, every title localized: the application menu (about,
    // settings, quit), "編集", "ウインドウ" and "ヘルプ".
    static Menu make();
    // Nothing for an action the menu does not send.
    static std::optional<Target> target(std::string_view action);
    // The method a focused view answers an editing action with ("copy:" gives "copy").
    static std::string methodName(std::string_view action);
};

} // namespace pellacor::app
