#pragma once

#include "Platform/Simulated/SimulatedPreferencesDomain.h"
#include "Support/LayoutHome.h"
#include "Trayvane/Common/UserDefaults.h"

#include <memory>

namespace pellacor::testing {

// The program's user defaults in a simulated home folder of their own: a real
// property-list file through the platform's preferences, whose synchronising
// a test can make fail (`home.preferences->failSynchronize`). Header only, for
// the application's tests.
struct DefaultsHome {
    LayoutHome home;
    app::UserDefaults defaults = app::UserDefaults::standard(home.preferences, *home.fileManager);

    // The same domain as a process started later sees it: fresh preferences
    // over the same home folder, with nothing pending.
    app::UserDefaults reopened() const {
        auto desktop = std::make_shared<platform::SimulatedDesktop>();
        desktop->setHomeFolder(home.home());
        return app::UserDefaults(std::make_shared<platform::SimulatedPreferencesDomain>(desktop),
                                 defaults.file());
    }
};

} // namespace pellacor::testing
