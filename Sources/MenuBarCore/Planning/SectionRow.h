#pragma once

#include "MenuBarCore/Model/AppKey.h"
#include "MenuBarCore/Model/Section.h"

#include <string>
#include <string_view>

namespace pellacor::core {

// One application row of the settings' sections pane.
struct SectionRow {
    enum class Kind {
        movable,  // an ordinary application, whose section the user may change
        apple,    // a bundle identifier beginning with "com.apple."
        selfItem, // the program itself
    };

    AppKey app;
    // The section the row shows.
    Section section;
    Kind kind;
    // How many of the read items the application owns.
    int iconCount;
    bool isRunning;
    // The application has items, and every one of them lies off the menu bar.
    bool hiddenByMacOS;

    // The application's bundle identifier.
    const std::string& id() const { return app.bundleID(); }
    bool isMovable() const { return kind == Kind::movable; }

    bool operator==(const SectionRow&) const = default;
};

// "movable", "apple", "selfItem".
std::string_view rawValue(SectionRow::Kind kind);

} // namespace pellacor::core
