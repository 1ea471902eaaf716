#pragma once

#include "Trayvane/App/ProgramEnvironment.h"
#include "Trayvane/Launch/LaunchPreferences.h"
#include "Trayvane/Settings/RevealPreferences.h"

#include <functional>
#include <memory>
#include <string>

namespace pellacor::system {
class LoginItem;
} // namespace pellacor::system

namespace pellacor::app {

class AppLookup;
class IconStore;
class SystemPlaces;

// What several components use, made once when the delegate is: the
// identifier the program goes by, the icons and the applications' names that
// every panel and page shows, the program's own user defaults as the launch
// and the feature switches read them, the login item, and the system places
// (the Accessibility settings, the relaunch). A component copies what it
// keeps; nothing holds a reference into this. Main thread.
struct SharedServices {
    explicit SharedServices(const ProgramEnvironment& environment);

    // The main bundle's identifier, else the built-in one.
    std::string selfBundleID;
    std::shared_ptr<IconStore> icons;
    std::shared_ptr<AppLookup> names;
    LaunchPreferences launchPreferences;
    RevealPreferences revealPreferences;
    std::shared_ptr<system::LoginItem> loginItem;
    std::shared_ptr<SystemPlaces> places;

    // An application's display name through the lookup while it lives, else
    // its identifier; the closure holds the lookup weakly.
    std::function<std::string(const std::string& bundleID)> nameOf() const;
};

} // namespace pellacor::app
