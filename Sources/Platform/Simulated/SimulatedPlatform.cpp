#include "Platform/Simulated/SimulatedPlatform.h"

#include "MenuBarCore/Support/AppIdentity.h"

namespace pellacor::platform {

SimulatedPlatform::SimulatedPlatform(const Scenario& scenario)
    : desktop_(std::make_shared<SimulatedDesktop>(scenario.screens, scenario.applications)),
      runtimeLoader_(std::make_shared<SimulatedRuntimeLoader>()),
      restrictionService_(SimulatedRestrictionService::create(desktop_)),
      hotkeyManager_(std::make_shared<SimulatedHotkeyManager>()),
      loginItemService_(std::make_shared<SimulatedLoginItemService>(scenario.loginItem.status)),
      loginWindow_(SimulatedLoginWindow::create()), screens_(std::make_shared<SimulatedScreens>(desktop_)),
      notificationCenter_(std::make_shared<SimulatedNotificationCenter>()),
      workspaceNotificationCenter_(std::make_shared<SimulatedNotificationCenter>()),
      desktopNotifications_(
          SimulatedDesktopNotifications::create(desktop_, notificationCenter_, workspaceNotificationCenter_)),
      accessibility_(std::make_shared<SimulatedAccessibility>(desktop_, scenario.accessibilityTrusted)),
      workspace_(SimulatedWorkspace::create(desktop_, workspaceNotificationCenter_)),
      captureDevices_(std::make_shared<SimulatedCaptureDevices>(scenario.captureDevices)),
      preferencesDomain_(std::make_shared<SimulatedPreferencesDomain>(desktop_)),
      fileManager_(std::make_shared<SimulatedFileManager>(desktop_)),
      windowServer_(std::make_shared<SimulatedWindowServer>(desktop_)),
      input_(std::make_shared<SimulatedInput>(desktop_, [desktop = desktop_] { return desktop->now(); })),
      statusBar_(std::make_shared<SimulatedStatusBar>()),
      processInfo_(std::make_shared<SimulatedProcessInfo>(desktop_, std::string(core::bundleIdentifier))) {
    restrictionService_->install(*runtimeLoader_);
    for (const auto& fault : scenario.loaderFaults) {
        runtimeLoader_->apply(fault);
    }
    const auto& behaviour = scenario.restriction;
    restrictionService_->setCompletionMode(behaviour.completion, behaviour.delay);
    restrictionService_->setCompletionError(behaviour.completionError);
    restrictionService_->setRefusesConfiguration(behaviour.refusesConfiguration);
    restrictionService_->setActivatesAfterInvalidation(behaviour.activatesAfterInvalidation);

    for (const auto& hotKey : scenario.symbolicHotKeys) {
        hotkeyManager_->addSymbolicHotKey(hotKey);
    }
    const auto& loginItem = scenario.loginItem;
    loginItemService_->setRequiresApproval(loginItem.requiresApproval);
    if (loginItem.registerError) {
        loginItemService_->setRegisterError(LoginItemService::Error{*loginItem.registerError});
    }
    if (loginItem.unregisterError) {
        loginItemService_->setUnregisterError(LoginItemService::Error{*loginItem.unregisterError});
    }
    loginWindow_->install(*runtimeLoader_);
    loginWindow_->setResult(scenario.loginWindow.result);
    if (!scenario.loginWindow.available) {
        runtimeLoader_->setLibraryMissing(std::string(SimulatedLoginWindow::libraryPath));
    }
    desktop_->setMenuBarContainerGranted(scenario.home.menuBarContainerGranted);
    desktop_->setHomeFolder(scenario.home.folder);
    desktop_->setRootFolder(scenario.root);
    desktop_->setOwnBundlePath(scenario.effectiveOwnBundlePath());
}

void SimulatedPlatform::setMainQueue(const std::shared_ptr<DispatchQueue>& queue) {
    notificationCenter_->setMainQueue(queue);
    workspaceNotificationCenter_->setMainQueue(queue);
}

PlatformServices SimulatedPlatform::services() const {
    PlatformServices services;
    services.runtimeLoader = runtimeLoader_;
    services.hotkeyManager = hotkeyManager_;
    services.loginItemService = loginItemService_;
    services.screens = screens_;
    services.notificationCenter = notificationCenter_;
    services.accessibility = accessibility_;
    services.workspace = workspace_;
    services.captureDevices = captureDevices_;
    services.preferencesDomain = preferencesDomain_;
    services.fileManager = fileManager_;
    services.windowList = windowServer_;
    services.displayList = windowServer_;
    services.inputState = input_;
    services.statusBar = statusBar_;
    services.processInfo = processInfo_;
    return services;
}

} // namespace pellacor::platform
