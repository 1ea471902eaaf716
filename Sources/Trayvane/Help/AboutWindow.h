#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/InputState.h"
#include "Platform/ProgramWindows.h"
#include "Platform/Screens.h"
#include "Trayvane/Windows/AuxiliaryWindowController.h"
#include "Trayvane/Windows/AuxiliaryWindowServices.h"

#include <QPoint>
#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace pellacor::app {

class AboutView;

// The About window: the program's name and version. Made on the first
// `show` and kept for the run (closing only hides it); each time it comes
// back on screen it is placed on the screen under the pointer, near the top.
// Main thread only.
class AboutWindow {
public:
    using ScreenMapping = AuxiliaryWindowServices::ScreenMapping;

    using Services = AuxiliaryWindowServices;

    explicit AboutWindow(Services services);
    ~AboutWindow();
    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;

    // Builds the window on first use, places it unless it is on screen, and
    // brings it to the front. The version line is fixed when it is built.
    void show();
    // Hides the window when it is on screen; it is kept for the next show.
    void close();

    QWidget* window() const { return window_.window(); }
    const AboutView* view() const { return view_; }

    // The version line the window shows, translated.
    static std::string versionLine();

private:
    void build();

    AuxiliaryWindowController window_;
    AboutView* view_ = nullptr;
};

} // namespace pellacor::app
