#pragma once

#include "Trayvane/Theme/ThemeColor.h"

#include <QColor>

namespace pellacor::app {

// The system colours the panels draw with, for both appearances, each with
// the opacity the system gives it.
struct PanelColor {
    ThemeColor colour;
    double opacity = 1;

    static const PanelColor windowBackground;
    static const PanelColor separator;
    static const PanelColor label;
    // The placeholder of an icon that has not arrived yet.
    static const PanelColor quaternaryLabel;
    static const PanelColor selectedContentBackground;
    static const PanelColor controlAccent;
    // The fill of a box of controls or rows on a settings page.
    static const PanelColor controlBackground;

    // At `alpha` times its own opacity, for the current appearance.
    QColor resolved(double alpha = 1) const {
        QColor result = colour.resolved();
        result.setAlphaF(static_cast<float>(opacity * alpha));
        return result;
    }
};

inline const PanelColor PanelColor::windowBackground{ThemeColor::dynamic(0xECECEC, 0x323232)};
inline const PanelColor PanelColor::separator{ThemeColor::dynamic(0x000000, 0xFFFFFF), 0.1};
inline const PanelColor PanelColor::label{ThemeColor::dynamic(0x000000, 0xFFFFFF), 0.85};
inline const PanelColor PanelColor::quaternaryLabel{ThemeColor::dynamic(0x000000, 0xFFFFFF), 0.1};
inline const PanelColor PanelColor::selectedContentBackground{ThemeColor::dynamic(0x0064E1, 0x0058D0)};
inline const PanelColor PanelColor::controlAccent{ThemeColor::dynamic(0x007AFF, 0x0A84FF)};
inline const PanelColor PanelColor::controlBackground{ThemeColor::dynamic(0xFFFFFF, 0x1E1E1E)};

} // namespace pellacor::app
