#pragma once

#include "MenuBarSystem/Watching/MenuBarDragEvent.h"

#include <functional>

namespace pellacor::system {

// Notices each finished Command-drag that starts and ends in the menu bar and
// reports, once the bar has settled, which status items were under the pointer
// at the press and at the release. `start` and `stop` are called on the main
// thread; the handler is called there too.
class MenuBarDragWatching {
public:
    using Handler = std::function<void(const MenuBarDragEvent&)>;

    virtual ~MenuBarDragWatching() = default;

    // Begins watching, replacing any watch under way with its handler: each
    // qualifying drag from now on gives one call of this handler.
    virtual void start(Handler handler) = 0;
    // Ends watching. No handler call follows once this returns, except one
    // already on its way to the main thread.
    virtual void stop() = 0;

protected:
    MenuBarDragWatching() = default;
    MenuBarDragWatching(const MenuBarDragWatching&) = default;
    MenuBarDragWatching& operator=(const MenuBarDragWatching&) = default;
};

} // namespace pellacor::system
