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

class NoticeModel;
class NoticeView;

// One notice window over its model. The window is made on the first `show`
// and kept for the run (closing only hides it); each time it comes back on
// screen it is placed on the screen under the pointer, centred, 60 points
// below the top of the visible area. A window already on screen stays where
// it is. Main thread only.
class NoticeWindowController {
public:
    using ScreenMapping = AuxiliaryWindowServices::ScreenMapping;

    using Services = AuxiliaryWindowServices;

    // `identifier` is the window's accessibility identifier (its objectName).
    NoticeWindowController(std::string identifier, Services services);
    ~NoticeWindowController();
    NoticeWindowController(const NoticeWindowController&) = delete;
    NoticeWindowController& operator=(const NoticeWindowController&) = delete;

    NoticeModel& model() const { return *model_; }
    const std::string& identifier() const { return identifier_; }

    void show();
    // Hides the window when it is on screen.
    void close() { window_.close(); }
    bool isVisible() const { return window_.isVisible(); }

    // Nothing until the first `show`.
    QWidget* window() const { return window_.window(); }
    NoticeView* view() const { return view_; }

private:
    void build();

    std::shared_ptr<NoticeModel> model_;
    std::string identifier_;
    AuxiliaryWindowController window_;
    NoticeView* view_ = nullptr;
};

} // namespace pellacor::app
