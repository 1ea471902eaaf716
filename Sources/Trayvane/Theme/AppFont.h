#pragma once

#include <QFont>

namespace pellacor::app {

// The fonts every window, panel and menu shares. Each is made once, on first
// use, and then shared. Sizes are in points, which the desktop maps 1:1 onto
// logical pixels.
struct AppFont {
    static const QFont& heading();
    static const QFont& body();
    static const QFont& secondary();
    static const QFont& aboutName();
    // The font of the status items' menus.
    static const QFont& nsBody();
    static const QFont& nsBodyEmphasis();
    // The help window's text.
    static const QFont& nsHelpTitle();
    static const QFont& nsHelpGroup();
    static const QFont& nsHelpItem();
};

} // namespace pellacor::app
