#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/Task.h"
#include "Concurrency/TaskHandle.h"
#include "MenuBarCore/Support/UpdateCheck.h"
#include "Trayvane/Support/NoticeWindowController.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pellacor::app {

// The "check for updates" command: one fetch of the latest version at a
// time, its verdict shown in a notice, and the download page opened from it.
// Nothing is retried by itself. Main thread only.
class UpdateCheckAction : public std::enable_shared_from_this<UpdateCheckAction> {
public:
    struct Services {
        concurrency::MainExecutor* executor = nullptr;
        // One fetch of the answer document; never fails.
        std::function<concurrency::Task<core::UpdateCheck::FetchOutcome>()> fetch;
        // Hands a URL to the desktop; true only means it was handed on.
        std::function<bool(const std::string& url)> openURL;
        // The language the program shows, which picks the download page.
        std::optional<std::string> language;
        // The program's own version; nothing when it cannot be read.
        std::function<std::optional<std::string>()> currentVersion;
        NoticeWindowController::Services window;
    };

    static std::shared_ptr<UpdateCheckAction> create(Services services);

    // Starts a check unless one is running; its verdict fills the notice,
    // which is shown when `presentsWindow` is set.
    void run();
    void prepare(const core::UpdateCheck::Status& status);
    void openDownloadPage();

    bool isChecking() const { return isChecking_; }
    bool presentsWindow = true;

    NoticeWindowController& window() { return window_; }

    // What the log line of a verdict calls it.
    static std::string_view logLabel(const core::UpdateCheck::Status& status);

private:
    explicit UpdateCheckAction(Services services);
    static concurrency::Task<void>
    check(std::weak_ptr<UpdateCheckAction> weak,
          std::function<concurrency::Task<core::UpdateCheck::FetchOutcome>()> fetch);

    Services services_;
    NoticeWindowController window_;
    bool isChecking_ = false;
    concurrency::TaskHandle<void> task_;
};

} // namespace pellacor::app
