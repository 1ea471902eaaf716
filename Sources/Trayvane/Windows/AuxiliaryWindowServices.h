#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/InputState.h"
#include "Platform/ProgramWindows.h"
#include "Platform/Screens.h"

#include <QPoint>
#include <cmath>
#include <functional>
#include <memory>

namespace pellacor::app {

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
};

} // namespace pellacor::app
