#pragma once

#include "Platform/PlatformServices.h"
#include "Platform/Simulated/Scenario.h"
#include "Platform/Simulated/SimulatedDesktop.h"
#include "Platform/Simulated/SimulatedFileManager.h"
#include "Platform/Simulated/SimulatedHotkeyManager.h"
#include "Platform/Simulated/SimulatedLoginItemService.h"
#include "Platform/Simulated/SimulatedLoginWindow.h"
#include "Platform/Simulated/SimulatedPreferencesDomain.h"
#include "Platform/Simulated/SimulatedRestrictionService.h"
#include "Platform/Simulated/SimulatedRuntimeLoader.h"

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
    const std::shared_ptr<SimulatedPreferencesDomain>& preferencesDomain() const {
        return preferencesDomain_;
    }
    const std::shared_ptr<SimulatedFileManager>& fileManager() const { return fileManager_; }

    // The interfaces, for the services of the program.
    PlatformServices services() const;

private:
    std::shared_ptr<SimulatedDesktop> desktop_;
    std::shared_ptr<SimulatedRuntimeLoader> runtimeLoader_;
    std::shared_ptr<SimulatedRestrictionService> restrictionService_;
    std::shared_ptr<SimulatedHotkeyManager> hotkeyManager_;
    std::shared_ptr<SimulatedLoginItemService> loginItemService_;
    std::shared_ptr<SimulatedLoginWindow> loginWindow_;
    std::shared_ptr<SimulatedPreferencesDomain> preferencesDomain_;
    std::shared_ptr<SimulatedFileManager> fileManager_;
};

} // namespace pellacor::platform
