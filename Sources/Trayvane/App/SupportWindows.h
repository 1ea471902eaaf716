#pragma once

#include "Trayvane/Help/AboutWindow.h"
#include "Trayvane/Help/HelpWindow.h"

#include <memory>

namespace pellacor::app {

// The help and About windows (the feedback and update windows join them
// later). Made when the delegate is, each window built on its first
// showing; termination takes them down first of all, so nothing the user
// sees outlives the engine's shutdown.
struct SupportWindows {
    std::unique_ptr<HelpWindow> help;
    std::unique_ptr<AboutWindow> about;

    // Whatever is on screen goes; the windows are kept until the delegate goes.
    void takeDown() {
        if (help) {
            help->close();
        }
        if (about) {
            about->close();
        }
    }
};

} // namespace pellacor::app
