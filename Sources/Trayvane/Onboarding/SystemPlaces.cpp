#include "Trayvane/Onboarding/SystemPlaces.h"

#include "MenuBarCore/Support/Log.h"

#include <QCoreApplication>

namespace pellacor::app {

SystemPlaces::SystemPlaces(std::shared_ptr<platform::WorkspaceOpener> workspace, std::string ownBundlePath,
                           concurrency::MainExecutor& executor, std::function<void()> terminate)
    : workspace_(std::move(workspace)), ownBundlePath_(std::move(ownBundlePath)), executor_(executor),
      terminate_(terminate ? std::move(terminate) : std::function<void()>([] { QCoreApplication::quit(); })) {
}

void SystemPlaces::openAccessibilitySettings() const {
    core::Log::app().info("システム設定（アクセシビリティ）を開きます");
    if (workspace_) {
        workspace_->openURL(std::string(accessibilitySettings));
    }
}

void SystemPlaces::relaunch() const {
    core::Log::app().info("開き直します");
    // The answer may come on any thread, and before openApplication returns:
    // the rest always runs on a later turn of the main executor.
    auto finish = [&executor = executor_, terminate = terminate_](std::optional<std::int64_t> error) {
        executor.postFromAnyThread([terminate, error] {
            if (error) {
                core::Log::app().error("新しい自分を起動できませんでした（{}）。終了だけします", *error);
            }
            terminate();
        });
    };
    if (!workspace_) {
        // No workspace to ask: the program still ends, as when the start fails.
        finish(std::int64_t{0});
        return;
    }
    workspace_->openApplication(ownBundlePath_, {.createsNewApplicationInstance = true}, std::move(finish));
}

} // namespace pellacor::app
