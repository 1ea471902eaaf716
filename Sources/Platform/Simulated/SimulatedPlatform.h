#pragma once

#include "Platform/PlatformServices.h"
#include "Platform/Simulated/Scenario.h"
#include "Platform/Simulated/SimulatedAccessibility.h"
#include "Platform/Simulated/SimulatedCaptureDevices.h"
#include "Platform/Simulated/SimulatedDesktop.h"
#include "Platform/Simulated/SimulatedDesktopNotifications.h"
#include "Platform/Simulated/SimulatedFileManager.h"
#include "Platform/Simulated/SimulatedHostInfo.h"
#include "Platform/Simulated/SimulatedHotkeyManager.h"
#include "Platform/Simulated/SimulatedInput.h"
#include "Platform/Simulated/SimulatedLoginItemService.h"
#include "Platform/Simulated/SimulatedLoginWindow.h"
#include "Platform/Simulated/SimulatedNotificationCenter.h"
#include "Platform/Simulated/SimulatedPreferencesDomain.h"
#include "Platform/Simulated/SimulatedProcessInfo.h"
#include "Platform/Simulated/SimulatedProgramWindows.h"
#include "Platform/Simulated/SimulatedRestrictionService.h"
#include "Platform/Simulated/SimulatedRuntimeLoader.h"
#include "Platform/Simulated/SimulatedScreens.h"
#include "Platform/Simulated/SimulatedStatusBar.h"
#include "Platform/Simulated/SimulatedSystemSettings.h"
#include "Platform/Simulated/SimulatedUserAccount.h"
#include "Platform/Simulated/SimulatedWindowServer.h"
#include "Platform/Simulated/SimulatedWorkspace.h"
#include "Platform/Simulated/SimulatedWorkspaceOpener.h"

#include <chrono>
#include <memory>

namespace pellacor::platform {

// The simulated platform: one desktop built from a scenario and every
// simulated service over it, wired together. Services that arrive later are
// created here and handed out through `services()`.
class SimulatedPlatform {
public:
    explicit SimulatedPlatform(const Scenario& scenario = Scenario::defaultScenario());

    const std::shared_ptr<SimulatedDesktop>& desktop() const { return desktop_; }
    const std::shared_ptr<SimulatedRuntimeLoader>& runtimeLoader() const { return runtimeLoader_; }
    const std::shared_ptr<SimulatedRestrictionService>& restrictionService() const {
        return restrictionService_;
    }

    const std::shared_ptr<SimulatedHotkeyManager>& hotkeyManager() const { return hotkeyManager_; }
    const std::shared_ptr<SimulatedLoginItemService>& loginItemService() const { return loginItemService_; }
    const std::shared_ptr<SimulatedLoginWindow>& loginWindow() const { return loginWindow_; }
    const std::shared_ptr<SimulatedScreens>& screens() const { return screens_; }
    const std::shared_ptr<SimulatedNotificationCenter>& notificationCenter() const {
        return notificationCenter_;
    }
    // The workspace's own center (the one `workspace()->notificationCenter()` answers).
    const std::shared_ptr<SimulatedNotificationCenter>& workspaceNotificationCenter() const {
        return workspaceNotificationCenter_;
    }

    // Where the notification centers deliver when the desktop changes on
    // another thread; set once at launch, on the main thread.
    void setMainQueue(const std::shared_ptr<DispatchQueue>& queue);
    const std::shared_ptr<SimulatedAccessibility>& accessibility() const { return accessibility_; }
    const std::shared_ptr<SimulatedWorkspace>& workspace() const { return workspace_; }
    const std::shared_ptr<SimulatedCaptureDevices>& captureDevices() const { return captureDevices_; }
    const std::shared_ptr<SimulatedPreferencesDomain>& preferencesDomain() const {
        return preferencesDomain_;
    }
    const std::shared_ptr<SimulatedFileManager>& fileManager() const { return fileManager_; }
    // The simulated user's pointer, buttons and keys, on the desktop's clock; the
    // status bar; the program's process.
    const std::shared_ptr<SimulatedInput>& input() const { return input_; }
    const std::shared_ptr<SimulatedStatusBar>& statusBar() const { return statusBar_; }
    const std::shared_ptr<SimulatedProcessInfo>& processInfo() const { return processInfo_; }
    const std::shared_ptr<SimulatedProgramWindows>& programWindows() const { return programWindows_; }
    const std::shared_ptr<SimulatedHostInfo>& hostInfo() const { return hostInfo_; }
    const std::shared_ptr<SimulatedUserAccount>& userAccount() const { return userAccount_; }
    // The settings application, and the workspace's openings (a settings deep
    // link opens the settings; the program's own bundle starts the program anew
    // through the starter whoever runs it gives).
    const std::shared_ptr<SimulatedSystemSettings>& systemSettings() const { return systemSettings_; }
    const std::shared_ptr<SimulatedWorkspaceOpener>& workspaceOpener() const { return workspaceOpener_; }

    // The simulated user Command-drags from `from` to `to` (screen coordinates)
    // over `duration` on the desktop's clock: the input moves as
    // SimulatedInput::performCommandDrag says, and once the drag is over (at the
    // desktop's next `passTime` from then on) the menu bar moves the dragged
    // item, as SimulatedDesktop::commandDragItem does.
    void performCommandDrag(core::Point from, core::Point to, std::chrono::nanoseconds duration);

    // The window list and the active displays.
    const std::shared_ptr<SimulatedWindowServer>& windowServer() const { return windowServer_; }

    // The interfaces, for the services of the program.
    PlatformServices services() const;

private:
    std::shared_ptr<SimulatedDesktop> desktop_;
    std::shared_ptr<SimulatedRuntimeLoader> runtimeLoader_;
    std::shared_ptr<SimulatedRestrictionService> restrictionService_;
    std::shared_ptr<SimulatedHotkeyManager> hotkeyManager_;
    std::shared_ptr<SimulatedLoginItemService> loginItemService_;
    std::shared_ptr<SimulatedLoginWindow> loginWindow_;
    std::shared_ptr<SimulatedScreens> screens_;
    std::shared_ptr<SimulatedNotificationCenter> notificationCenter_;
    std::shared_ptr<SimulatedNotificationCenter> workspaceNotificationCenter_;
    std::shared_ptr<SimulatedDesktopNotifications> desktopNotifications_;
    std::shared_ptr<SimulatedAccessibility> accessibility_;
    std::shared_ptr<SimulatedWorkspace> workspace_;
    std::shared_ptr<SimulatedCaptureDevices> captureDevices_;
    std::shared_ptr<SimulatedPreferencesDomain> preferencesDomain_;
    std::shared_ptr<SimulatedFileManager> fileManager_;
    std::shared_ptr<SimulatedWindowServer> windowServer_;
    std::shared_ptr<SimulatedInput> input_;
    std::shared_ptr<SimulatedStatusBar> statusBar_;
    std::shared_ptr<SimulatedProcessInfo> processInfo_;
    std::shared_ptr<SimulatedProgramWindows> programWindows_;
    std::shared_ptr<SimulatedHostInfo> hostInfo_;
    std::shared_ptr<SimulatedUserAccount> userAccount_;
    std::shared_ptr<SimulatedSystemSettings> systemSettings_;
    std::shared_ptr<SimulatedWorkspaceOpener> workspaceOpener_;
};

} // namespace pellacor::platform
