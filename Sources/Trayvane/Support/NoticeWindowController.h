#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/InputState.h"
#include "Platform/ProgramWindows.h"
#include "Platform/Screens.h"
#include "Trayvane/Windows/AuxiliaryWindowServices.h"

#include <QPoint>
#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace pellacor::app {

class ListedPanel;
class NoticeModel;
class NoticeView;
class SupportWindowFrame;

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
    void close();
    bool isVisible() const;

    // Nothing until the first `show`.
    QWidget* window() const;
    NoticeView* view() const { return view_; }

private:
    void build();
    void place();

    std::shared_ptr<NoticeModel> model_;
    std::string identifier_;
    Services services_;
    std::unique_ptr<SupportWindowFrame> window_;
    std::unique_ptr<ListedPanel> listed_;
    NoticeView* view_ = nullptr;
};

} // namespace pellacor::app
