#include "Trayvane/Settings/SettingsPageArea.h"

#include "Trayvane/Theme/AppFont.h"

#include <QFrame>
#include <QWidget>

namespace pellacor::app {

QVBoxLayout* settingsPageColumn(QScrollArea& area, const QString& identifier) {
    area.setObjectName(identifier);
    area.setWidgetResizable(true);
    area.setMinimumWidth(520);
    area.setFrameShape(QFrame::NoFrame);
    area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    auto* page = new QWidget;
    page->setObjectName(identifier + QStringLiteral(":page"));
    page->setFont(AppFont::body());
    auto* column = new QVBoxLayout(page);
    column->setSpacing(18);
    column->setContentsMargins(20, 20, 20, 20);
    return column;
}

} // namespace pellacor::app
