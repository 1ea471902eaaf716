#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace pellacor::platform {

// The shared workspace's openings: a URL in the application that handles it
// (System Settings for its deep links), and an application by its bundle's
// location. Main thread only; completions may come on any thread.
class WorkspaceOpener {
public:
    struct OpenConfiguration {
        // Start another instance even when the application is running already.
        bool createsNewApplicationInstance = false;
        bool operator==(const OpenConfiguration&) const = default;
    };
    // How an opening ended: nothing when the application was started, else the
    // error's code. Called once, possibly before `openApplication` returns.
    using Completion = std::function<void(std::optional<std::int64_t> errorCode)>;

    virtual ~WorkspaceOpener() = default;

    // False when no application handles the URL.
    virtual bool openURL(const std::string& url) = 0;
    virtual void openApplication(const std::string& bundlePath, const OpenConfiguration& configuration,
                                 Completion completion) = 0;

protected:
    WorkspaceOpener() = default;
    WorkspaceOpener(const WorkspaceOpener&) = default;
    WorkspaceOpener& operator=(const WorkspaceOpener&) = default;
};

} // namespace pellacor::platform
