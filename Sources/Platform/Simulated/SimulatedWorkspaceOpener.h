#pragma once

#include "Platform/WorkspaceOpener.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace pellacor::platform {

class SimulatedDesktop;
class SimulatedSystemSettings;

// The simulated workspace's openings. System Settings' deep links open the
// simulated settings at their page; no other URL has a handler. Of the
// applications only the program's own bundle (where the desktop says it lies)
// can be opened, and only as a new instance: that starts a new process of the
// program through the starter whoever runs the program gave, as there is no
// simulated copy of it to start. Without a starter, or when it fails, the
// completion carries the error.
class SimulatedWorkspaceOpener final : public WorkspaceOpener {
public:
    // Starts a new process of the program; nothing when it started, else the error's code.
    using ProgramStarter = std::function<std::optional<std::int64_t>()>;

    // The error codes of openings the simulation cannot carry out, as the
    // system's file errors number them.
    static constexpr std::int64_t noSuchApplicationError = 4;
    static constexpr std::int64_t cannotStartError = 256;

    SimulatedWorkspaceOpener(std::shared_ptr<const SimulatedDesktop> desktop,
                             std::shared_ptr<SimulatedSystemSettings> settings);

    void setProgramStarter(ProgramStarter starter);

    bool openURL(const std::string& url) override;
    void openApplication(const std::string& bundlePath, const OpenConfiguration& configuration,
                         Completion completion) override;

private:
    std::shared_ptr<const SimulatedDesktop> desktop_;
    std::shared_ptr<SimulatedSystemSettings> settings_;
    std::mutex mutex_;
    ProgramStarter starter_;
};

} // namespace pellacor::platform
