#pragma once

#include "Platform/Accessibility.h"
#include "Platform/CaptureDevices.h"
#include "Platform/DisplayList.h"
#include "Platform/FileManager.h"
#include "Platform/GlobalEventMonitor.h"
#include "Platform/HostInfo.h"
#include "Platform/HotkeyManager.h"
#include "Platform/InputState.h"
#include "Platform/LoginItemService.h"
#include "Platform/NotificationCenter.h"
#include "Platform/PreferencesDomain.h"
#include "Platform/PreferencesObserving.h"
#include "Platform/ProcessInfo.h"
#include "Platform/ProgramWindows.h"
#include "Platform/RuntimeLoader.h"
#include "Platform/Screens.h"
#include "Platform/StatusBar.h"
#include "Platform/UserAccount.h"
#include "Platform/WindowList.h"
#include "Platform/Workspace.h"
#include "Platform/WorkspaceOpener.h"

#include <memory>

namespace pellacor::platform {

// The platform interfaces the program's services are built over. The
// application delegate fills it from one implementation (the simulated
// desktop) and hands each service the interfaces it needs.
struct PlatformServices {
    std::shared_ptr<RuntimeLoader> runtimeLoader;
    std::shared_ptr<HotkeyManager> hotkeyManager;
    std::shared_ptr<LoginItemService> loginItemService;
    std::shared_ptr<Screens> screens;
    // The application's default notification center (the shared workspace has its own).
    std::shared_ptr<NotificationCenter> notificationCenter;
    std::shared_ptr<Accessibility> accessibility;
    std::shared_ptr<Workspace> workspace;
    std::shared_ptr<CaptureDevices> captureDevices;
    std::shared_ptr<PreferencesDomain> preferencesDomain;
    std::shared_ptr<FileManager> fileManager;
    // The window server's window list and active displays.
    std::shared_ptr<WindowList> windowList;
    std::shared_ptr<DisplayList> displayList;
    // The pointer, buttons, modifiers and input times; the status bar; the program's own process.
    std::shared_ptr<InputState> inputState;
    std::shared_ptr<StatusBar> statusBar;
    std::shared_ptr<ProcessInfo> processInfo;
    // The program's own windows in the window list; input anywhere on the
    // desktop; the computer's system version and model.
    std::shared_ptr<ProgramWindows> programWindows;
    std::shared_ptr<GlobalEventMonitor> globalEventMonitor;
    std::shared_ptr<HostInfo> hostInfo;
    // The logged-in user's names; the workspace's openings of URLs and
    // applications; observation of preference values.
    std::shared_ptr<UserAccount> userAccount;
    std::shared_ptr<WorkspaceOpener> workspaceOpener;
    std::shared_ptr<PreferencesObserving> preferencesObserving;
};

} // namespace pellacor::platform
