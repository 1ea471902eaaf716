#include "Trayvane/Settings/SettingsDivider.h"

#include "Trayvane/Panels/PanelColor.h"
#include "Trayvane/Theme/AppearanceFollower.h"

#include <QPalette>

namespace pellacor::app {

QFrame* settingsDivider(QWidget* parent, const QString& identifier) {
    auto* divider = new QFrame(parent);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    if (!identifier.isEmpty()) {
        divider->setObjectName(identifier);
    }
    // A plain frame draws in the text colour; the follower keeps the separator
    // colour through every change of appearance.
    AppearanceFollower::follow(*divider, QStringLiteral("separator"), [](QWidget& shown) {
        QPalette palette = shown.palette();
        palette.setColor(QPalette::WindowText, PanelColor::separator.resolved());
        shown.setPalette(palette);
    });
    return divider;
}

} // namespace pellacor::app
