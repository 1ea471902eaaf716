#pragma once

// What puts the program on the simulated platform: beside main.cpp, the only
// other place that knows the platform is simulated. A backend for the real
// system copies this function over its own platform; everything the program
// learns of the computer below passes through here.
#include "Concurrency/MainExecutor.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarSystem/Support/MainQueue.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Trayvane/App/AppDelegate.h"

#include <memory>
#include <string>

namespace pellacor::app {

// The delegate's environment over `platform`, run on `executor`: the
// platform's interfaces and the main bundle's facts as the simulated desktop
// reports them (the program's identifier, its bundle and the Applications
// folder on the simulated disk). The platform's main queue becomes the
// executor's, so that its callbacks reach the program's thread. Whoever runs
// the program adds where its windows go, where its state lies and how it ends.
inline AppDelegate::Environment simulatedEnvironment(concurrency::MainExecutor& executor,
                                                     platform::SimulatedPlatform& platform) {
    platform.setMainQueue(std::make_shared<system::MainQueue>(executor));
    const auto desktop = platform.desktop();
    AppDelegate::Environment environment;
    environment.executor = &executor;
    environment.platform = platform.services();
    environment.bundleIdentifier = std::string(core::bundleIdentifier);
    environment.bundleURL = desktop->ownBundlePath();
    environment.applicationsFolder = desktop->applicationsFolder();
    return environment;
}

} // namespace pellacor::app
