#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/InputState.h"
#include "Platform/ProgramWindows.h"
#include "Platform/Screens.h"
#include "Trayvane/Windows/AuxiliaryWindowPlacement.h"

#include <QPoint>
#include <cmath>
#include <functional>
#include <memory>

class QWidget;

namespace pellacor::app {

class ListedPanel;

// What a help, About or notice window needs of the desktop: the screens and
// the pointer to place it by, how a top-down point becomes a Qt position, and
// the window list it is entered in while shown. Any of them may be absent in
// a test; a window without `place` maps points one to one.
struct AuxiliaryWindowServices {
    using ScreenMapping = std::function<QPoint(const core::Point& topDown)>;

    std::shared_ptr<platform::Screens> screens;
    std::shared_ptr<platform::InputState> input;
    ScreenMapping place;
    std::shared_ptr<platform::ProgramWindows> programWindows;

    // These services with the one-to-one mapping where none was given.
    AuxiliaryWindowServices withDefaultPlacement() && {
        if (!place) {
            place = [](const core::Point& point) {
                return QPoint(static_cast<int>(std::lround(point.x)), static_cast<int>(std::lround(point.y)));
            };
        }
        return std::move(*this);
    }

    // Places `window` by `rule` on the screen under the pointer and enters
    // its frame in the window list (when `listed`); with `takeSize` it also
    // takes the size the rule clamped it to. Without screens nothing moves.
    void placeWindow(QWidget& window, const AuxiliaryWindowPlacement& rule, ListedPanel* listed,
                     bool takeSize = false) const;
};

} // namespace pellacor::app
