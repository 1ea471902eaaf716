#pragma once

#include "Platform/Simulated/SimulatedDesktop.h"
#include "Platform/Simulated/SimulatedNotificationCenter.h"

#include <memory>

namespace pellacor::platform {

// Posts what the platform announces about the simulated desktop, whichever
// thread changed it: a change of the screens on the application's default
// center, a move to another Space on the workspace's center. Moving to the
// Space already shown posts nothing. The workspace itself announces which
// application became the active one (see `SimulatedWorkspace`).
class SimulatedDesktopNotifications final
    : public std::enable_shared_from_this<SimulatedDesktopNotifications> {
public:
    static std::shared_ptr<SimulatedDesktopNotifications>
    create(std::shared_ptr<SimulatedDesktop> desktop,
           std::shared_ptr<SimulatedNotificationCenter> defaultCenter,
           std::shared_ptr<SimulatedNotificationCenter> workspaceCenter);
    ~SimulatedDesktopNotifications();
    SimulatedDesktopNotifications(const SimulatedDesktopNotifications&) = delete;
    SimulatedDesktopNotifications& operator=(const SimulatedDesktopNotifications&) = delete;

private:
    SimulatedDesktopNotifications(std::shared_ptr<SimulatedDesktop> desktop,
                                  std::shared_ptr<SimulatedNotificationCenter> defaultCenter,
                                  std::shared_ptr<SimulatedNotificationCenter> workspaceCenter);

    void desktopChanged(SimulatedDesktop::Change change);

    std::shared_ptr<SimulatedDesktop> desktop_;
    std::shared_ptr<SimulatedNotificationCenter> defaultCenter_;
    std::shared_ptr<SimulatedNotificationCenter> workspaceCenter_;
    SimulatedDesktop::ObserverId observer_ = 0;
};

} // namespace pellacor::platform
