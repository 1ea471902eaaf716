#pragma once

#include "MenuBarCore/Support/Observers.h"
#include "Trayvane/Settings/SettingsPage.h"

namespace pellacor::app {

// Which page the settings window shows. The window's controller and its tab
// bar share it, so the shell can open the window on a given page; it lasts
// for the run and starts on the sections page. Setting the page it already
// shows tells nobody. Main thread only.
class SettingsNavigation {
public:
    SettingsPage page() const { return page_; }
    void setPage(SettingsPage page) { observers.assign(page_, page); }

    core::Observers<> observers;

private:
    SettingsPage page_ = SettingsPage::sections;
};

} // namespace pellacor::app
