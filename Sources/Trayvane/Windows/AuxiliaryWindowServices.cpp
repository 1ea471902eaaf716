#include "Trayvane/Windows/AuxiliaryWindowServices.h"

#include "Trayvane/Windows/ListedPanel.h"

#include <QWidget>

namespace pellacor::app {

void AuxiliaryWindowServices::placeWindow(QWidget& window, const AuxiliaryWindowPlacement& rule,
                                          ListedPanel* listed, bool takeSize) const {
    if (!screens) {
        return;
    }
    const auto all = screens->screens();
    const core::Size size{static_cast<double>(window.width()), static_cast<double>(window.height())};
    const core::Point pointer = input ? input->mouseLocation() : core::Point{};
    const auto topDown = rule.frame(all, pointer, size);
    if (!topDown) {
        return;
    }
    if (takeSize) {
        window.resize(static_cast<int>(std::lround(topDown->width())),
                      static_cast<int>(std::lround(topDown->height())));
    }
    window.move(place(topDown->origin));
    if (listed != nullptr) {
        listed->list(core::convertScreenSpace(*topDown, all.front().frame));
    }
}

} // namespace pellacor::app
