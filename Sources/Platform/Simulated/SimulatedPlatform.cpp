#include "Platform/Simulated/SimulatedPlatform.h"

#include "MenuBarCore/Support/AppIdentity.h"
#include "Platform/Simulated/MenuBarLayoutFile.h"
#include "Platform/Simulated/SimulatedBundles.h"

#include <algorithm>
#include <filesystem>

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
      statusBar_(SimulatedStatusBar::create(desktop_, input_, preferencesDomain_,
                                            std::string(core::bundleIdentifier))),
      processInfo_(std::make_shared<SimulatedProcessInfo>(desktop_, std::string(core::bundleIdentifier))),
      programWindows_(
          std::make_shared<SimulatedProgramWindows>(desktop_, std::string(core::bundleIdentifier))),
      hostInfo_(std::make_shared<SimulatedHostInfo>(scenario.system.version, scenario.system.machineModel)),
      userAccount_(std::make_shared<SimulatedUserAccount>(scenario.user.fullName, scenario.user.accountName)),
      systemSettings_(std::make_shared<SimulatedSystemSettings>()),
      workspaceOpener_(std::make_shared<SimulatedWorkspaceOpener>(desktop_, systemSettings_)) {
    input_->setHotkeyManager(hotkeyManager_);
    input_->setModifierFlags(scenario.launchModifierFlags);
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
    if (!scenario.home.folder.empty() && !scenario.home.layoutTable.empty()) {
        const auto file = MenuBarLayoutFile::location(scenario.home.folder);
        std::error_code error;
        if (!std::filesystem::exists(file, error) && !error) {
            MenuBarLayoutFile::write(file, scenario.home.layoutTable);
        }
    }
    desktop_->setHomeFolder(scenario.home.folder);
    desktop_->setRootFolder(scenario.root);
    SimulatedBundles::install(desktop_->rootFolder(), desktop_->applications());
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
    services.programWindows = programWindows_;
    services.globalEventMonitor = input_;
    services.hostInfo = hostInfo_;
    services.userAccount = userAccount_;
    services.workspaceOpener = workspaceOpener_;
    services.preferencesObserving = preferencesDomain_;
    return services;
}

void SimulatedPlatform::performCommandDrag(core::Point from, core::Point to,
                                           std::chrono::nanoseconds duration) {
    const core::Rect first = desktop_->screens().front().frame.standardized();
    input_->performCommandDrag(from, to, duration);
    std::weak_ptr<SimulatedDesktop> weak = desktop_;
    const core::Point start = core::convertScreenSpace(from, first);
    const core::Point end = core::convertScreenSpace(to, first);
    desktop_->scheduleAt(desktop_->now() + std::max(duration, std::chrono::nanoseconds::zero()),
                         [weak, start, end] {
                             if (auto desktop = weak.lock()) {
                                 desktop->commandDragItem(start, end);
                             }
                         });
}

} // namespace pellacor::platform
