#pragma once

#include "Trayvane/Help/AboutWindow.h"
#include "Trayvane/Help/HelpWindow.h"
#include "Trayvane/Support/FeedbackAction.h"
#include "Trayvane/Support/UpdateCheckAction.h"

#include <atomic>
#include <memory>

namespace pellacor::app {

// The help and About windows and the two support actions with their notice
// windows (feedback, update check). Made when the delegate is, each window
// built on its first showing; termination takes them down first of all, so
// nothing the user sees outlives the engine's shutdown.
struct SupportWindows {
    std::unique_ptr<HelpWindow> help;
    std::unique_ptr<AboutWindow> about;
    std::shared_ptr<FeedbackAction> feedback;
    std::shared_ptr<UpdateCheckAction> updateCheck;
    // Tells an update request still under way that the program is quitting.
    std::shared_ptr<std::atomic<bool>> updateAbandoned = std::make_shared<std::atomic<bool>>(false);

    // Whatever is on screen goes; the windows are kept until the delegate goes.
    void takeDown() {
        updateAbandoned->store(true);
        if (help) {
            help->close();
        }
        if (about) {
            about->close();
        }
        if (feedback) {
            feedback->window().close();
        }
        if (updateCheck) {
            updateCheck->window().close();
        }
    }
};

} // namespace pellacor::app
