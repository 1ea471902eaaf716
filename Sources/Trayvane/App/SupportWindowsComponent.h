#pragma once

#include "MenuBarCore/Support/FeedbackReport.h"
#include "Trayvane/App/ProgramEnvironment.h"
#include "Trayvane/Help/AboutWindow.h"
#include "Trayvane/Help/HelpWindow.h"
#include "Trayvane/Support/FeedbackAction.h"
#include "Trayvane/Support/UpdateCheckAction.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string_view>

namespace pellacor::app {

// The help and About windows and the two support actions with their notice
// windows (feedback, update check), over the environment's URL handler,
// clipboard and update fetch (each the system's unless given). Made when the
// delegate is, each window built on its first showing and kept for the run;
// termination takes them down first of all, so nothing the user sees
// outlives the engine's shutdown. Main thread.
class SupportWindowsComponent {
public:
    // The language the program's texts are shown in; it picks the download page.
    static constexpr std::string_view language = "ja";

    explicit SupportWindowsComponent(const ProgramEnvironment& environment);
    SupportWindowsComponent(const SupportWindowsComponent&) = delete;
    SupportWindowsComponent& operator=(const SupportWindowsComponent&) = delete;

    // The help window, at its top or at a topic's item.
    void openHelp(std::optional<HelpTopic> topic = std::nullopt) { help_->show(topic); }
    void openAbout() { about_->show(); }
    // The feedback notice over the set-up the facts describe.
    void sendFeedback(const core::FeedbackReport::Environment& facts) { feedback_->show(facts); }
    void checkForUpdate() { updateCheck_->run(); }
    bool isCheckingForUpdate() const { return updateCheck_->isChecking(); }
    // Whatever is on screen goes, and an update request still under way is
    // told that the program is quitting; the windows are kept.
    void takeDown();

    HelpWindow& help() const { return *help_; }
    AboutWindow& about() const { return *about_; }
    FeedbackAction& feedback() const { return *feedback_; }
    UpdateCheckAction& updateCheck() const { return *updateCheck_; }

private:
    std::unique_ptr<HelpWindow> help_;
    std::unique_ptr<AboutWindow> about_;
    std::shared_ptr<FeedbackAction> feedback_;
    std::shared_ptr<UpdateCheckAction> updateCheck_;
    std::shared_ptr<std::atomic<bool>> updateAbandoned_ = std::make_shared<std::atomic<bool>>(false);
};

} // namespace pellacor::app
