#include "Trayvane/App/SupportWindowsComponent.h"

#include "Concurrency/SerialQueue.h"
#include "Trayvane/Common/AppInfo.h"
#include "Trayvane/Support/UpdateChecker.h"

#include <chrono>
#include <string>
#include <utility>

namespace pellacor::app {

namespace {

// Each check asks anew; the request's blocking wait runs on a thread of its
// own, started by the first check.
std::function<concurrency::Task<core::UpdateCheck::FetchOutcome>()>
updateHostFetch(UpdateTransport transport, std::shared_ptr<std::atomic<bool>> abandoned) {
    transport.abandoned = std::move(abandoned);
    return [transport = std::move(transport),
            queue = std::make_shared<concurrency::SerialQueue>("app.trayvane.pellacor.update-check")] {
        return UpdateChecker(core::UpdateCheck::host, std::chrono::seconds(15), transport, queue)
            .fetchLatestVersion();
    };
}

} // namespace

SupportWindowsComponent::SupportWindowsComponent(const ProgramEnvironment& environment) {
    const auto& platform = environment.platform;
    help_ = std::make_unique<HelpWindow>(HelpWindow::Services{
        .screens = platform.screens,
        .input = platform.inputState,
        .place = environment.place,
        .programWindows = platform.programWindows,
    });
    about_ = std::make_unique<AboutWindow>(AboutWindow::Services{
        .screens = platform.screens,
        .input = platform.inputState,
        .place = environment.place,
        .programWindows = platform.programWindows,
    });
    const NoticeWindowController::Services notices{
        .screens = platform.screens,
        .input = platform.inputState,
        .place = environment.place,
        .programWindows = platform.programWindows,
    };
    feedback_ = FeedbackAction::create(notices, environment.openURL, environment.copyText);
    updateCheck_ = UpdateCheckAction::create({
        .executor = environment.executor,
        .fetch = environment.updateFetch ? environment.updateFetch
                                         : updateHostFetch(environment.updateTransport, updateAbandoned_),
        .openURL = environment.openURL,
        .language = std::string(language),
        .currentVersion = [] { return std::optional<std::string>(AppInfo::version()); },
        .window = notices,
    });
}

void SupportWindowsComponent::takeDown() {
    updateAbandoned_->store(true);
    help_->close();
    about_->close();
    feedback_->window().close();
    updateCheck_->window().close();
}

} // namespace pellacor::app
