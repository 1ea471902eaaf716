#pragma once

#include "MenuBarSystem/Watching/AppActivity.h"

#include <functional>
#include <set>
#include <string>

namespace pellacor::system {

// Tells when applications launch, terminate or become frontmost, and which are
// running. Main thread only; the handler is called on the main thread.
class AppActivityWatching {
public:
    using EventHandler = std::function<void(const AppActivity&)>;

    virtual ~AppActivityWatching() = default;

    // Begins watching; ignored while a handler is set (the first handler stays).
    virtual void start(EventHandler onEvent) = 0;
    // The bundle identifiers of the running applications, each once; empty
    // before `start`.
    virtual std::set<std::string> runningBundleIDs() const = 0;
    // Ends watching and forgets everything; `start` may be called again.
    virtual void stop() = 0;
};

} // namespace pellacor::system
