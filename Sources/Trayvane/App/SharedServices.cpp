#include "Trayvane/App/SharedServices.h"

#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarSystem/Login/LoginItem.h"
#include "Trayvane/Common/IconStore.h"
#include "Trayvane/Common/UserDefaults.h"
#include "Trayvane/Onboarding/SystemPlaces.h"
#include "Trayvane/Settings/AppLookup.h"

namespace pellacor::app {

SharedServices::SharedServices(const ProgramEnvironment& environment)
    : selfBundleID(environment.bundleIdentifier.value_or(std::string(core::bundleIdentifier))),
      launchPreferences(
          UserDefaults::standard(environment.platform.preferencesDomain, *environment.platform.fileManager)),
      revealPreferences(
          UserDefaults::standard(environment.platform.preferencesDomain, *environment.platform.fileManager)) {
    auto& executor = *environment.executor;
    const auto& platform = environment.platform;
    icons = IconStore::create(executor, platform.workspace,
                              environment.iconRuns ? environment.iconRuns
                                                   : concurrency::offMainOn(IconStore::utilityQueue()));
    names = std::make_shared<AppLookup>(platform.workspace, platform.fileManager);
    loginItem = std::make_shared<system::LoginItem>(platform.loginItemService);
    places = std::make_shared<SystemPlaces>(platform.workspaceOpener, environment.bundleURL.string(),
                                            executor, environment.terminate);
}

std::function<std::string(const std::string&)> SharedServices::nameOf() const {
    return [weak = std::weak_ptr<AppLookup>(names)](const std::string& bundleID) {
        const auto lookup = weak.lock();
        return lookup ? lookup->name(bundleID) : bundleID;
    };
}

} // namespace pellacor::app
