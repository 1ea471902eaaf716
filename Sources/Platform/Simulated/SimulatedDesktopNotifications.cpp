#include "Platform/Simulated/SimulatedDesktopNotifications.h"

#include "Platform/NotificationNames.h"

#include <string>

namespace pellacor::platform {

std::shared_ptr<SimulatedDesktopNotifications>
SimulatedDesktopNotifications::create(std::shared_ptr<SimulatedDesktop> desktop,
                                      std::shared_ptr<SimulatedNotificationCenter> defaultCenter,
                                      std::shared_ptr<SimulatedNotificationCenter> workspaceCenter) {
    std::shared_ptr<SimulatedDesktopNotifications> notifications(new SimulatedDesktopNotifications(
        std::move(desktop), std::move(defaultCenter), std::move(workspaceCenter)));
    // The desktop may call its observers on another thread while this object
    // goes away, so the observer holds it weakly.
    std::weak_ptr<SimulatedDesktopNotifications> weak = notifications;
    notifications->observer_ = notifications->desktop_->addObserver([weak](SimulatedDesktop::Change change) {
        if (auto self = weak.lock()) {
            self->desktopChanged(change);
        }
    });
    return notifications;
}

SimulatedDesktopNotifications::SimulatedDesktopNotifications(
    std::shared_ptr<SimulatedDesktop> desktop, std::shared_ptr<SimulatedNotificationCenter> defaultCenter,
    std::shared_ptr<SimulatedNotificationCenter> workspaceCenter)
    : desktop_(std::move(desktop)), defaultCenter_(std::move(defaultCenter)),
      workspaceCenter_(std::move(workspaceCenter)) {}

SimulatedDesktopNotifications::~SimulatedDesktopNotifications() {
    desktop_->removeObserver(observer_);
}

void SimulatedDesktopNotifications::desktopChanged(SimulatedDesktop::Change change) {
    switch (change) {
    case SimulatedDesktop::Change::screens:
        defaultCenter_->post({std::string(NotificationNames::applicationDidChangeScreenParameters)});
        return;
    case SimulatedDesktop::Change::activeSpace:
        workspaceCenter_->post({std::string(NotificationNames::workspaceActiveSpaceDidChange)});
        return;
    default:
        return;
    }
}

} // namespace pellacor::platform
