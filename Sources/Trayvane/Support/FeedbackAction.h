#pragma once

#include "MenuBarCore/Support/FeedbackReport.h"
#include "Trayvane/Support/NoticeWindowController.h"

#include <functional>
#include <memory>
#include <string>

namespace pellacor::app {

// The "send feedback" command: a notice that says what a feedback mail holds
// and what it leaves out, with a button that opens the draft in the user's
// mail program and one that copies the same text. The program sends nothing
// itself. Main thread only.
class FeedbackAction : public std::enable_shared_from_this<FeedbackAction> {
public:
    // Hands a URL to the desktop; true only means it was handed on.
    using OpenURL = std::function<bool(const std::string& url)>;
    // Puts plain text on the clipboard, in place of what was there.
    using CopyText = std::function<void(const std::string& text)>;

    static std::shared_ptr<FeedbackAction> create(NoticeWindowController::Services windowServices,
                                                  OpenURL openURL, CopyText copyText);

    // Refills the notice from `environment` (no note) and shows it.
    void show(const core::FeedbackReport::Environment& environment);
    void prepare(const core::FeedbackReport::Environment& environment);
    void copy(const core::FeedbackReport::Environment& environment);
    void openMail(const core::FeedbackReport::Environment& environment);

    NoticeWindowController& window() { return window_; }

private:
    FeedbackAction(NoticeWindowController::Services windowServices, OpenURL openURL, CopyText copyText);

    NoticeWindowController window_;
    OpenURL openURL_;
    CopyText copyText_;
};

} // namespace pellacor::app
