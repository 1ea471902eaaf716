#include "Trayvane/Theme/ThemeViews.h"

#include "Trayvane/Theme/AppButton.h"
#include "Trayvane/Theme/AppColor.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/AppearanceFollower.h"

#include <QApplication>

namespace pellacor::app {

void appHeading(QWidget& view) {
    view.setFont(AppFont::heading());
}

void appSecondary(QWidget& view) {
    view.setFont(AppFont::secondary());
    appSecondaryColour(view);
}

void appSecondaryColour(QWidget& view) {
    AppearanceFollower::follow(view, QStringLiteral("secondary"), [](QWidget& shown) {
        // Only these roles are the view's own; the rest follow the application.
        QPalette palette;
        const QColor colour = AppColor::secondaryText.resolved(appearanceOf(QApplication::palette()));
        palette.setColor(QPalette::WindowText, colour);
        palette.setColor(QPalette::Text, colour);
        shown.setPalette(palette);
    });
}

void appSecondaryFont(QWidget& view) {
    view.setFont(AppFont::secondary());
}

AppButton* appButton(const QString& text, bool prominent, QWidget* parent) {
    return new AppButton(text, prominent, parent);
}

} // namespace pellacor::app
