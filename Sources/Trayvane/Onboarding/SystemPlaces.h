#pragma once

#include "Concurrency/MainExecutor.h"
#include "Platform/WorkspaceOpener.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace pellacor::app {

// The places in the system the permission guide leads to: the Accessibility
// list of System Settings, and a new instance of the program itself. Main
// thread only.
class SystemPlaces {
public:
    // System Settings' deep link to the Accessibility list of Privacy & Security.
    static constexpr std::string_view accessibilitySettings =
        "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";

    // `ownBundlePath` is where the program's own bundle lies; `terminate` asks
    // the application to terminate through its normal termination (the
    // application's own quit unless given).
    SystemPlaces(std::shared_ptr<platform::WorkspaceOpener> workspace, std::string ownBundlePath,
                 concurrency::MainExecutor& executor, std::function<void()> terminate = {});

    // Opens the Accessibility settings; nothing is checked or reported.
    void openAccessibilitySettings() const;
    // Starts a new instance of the program and then terminates this one, also
    // when the new one could not be started. The termination comes on a later
    // turn of the main executor, once the workspace has answered.
    void relaunch() const;

private:
    std::shared_ptr<platform::WorkspaceOpener> workspace_;
    std::string ownBundlePath_;
    concurrency::MainExecutor& executor_;
    std::function<void()> terminate_;
};

} // namespace pellacor::app
