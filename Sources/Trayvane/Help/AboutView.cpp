#include "Trayvane/Help/AboutView.h"

#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/AppIcon.h"
#include "Trayvane/Theme/ThemeViews.h"

#include <QLabel>
#include <QVBoxLayout>

namespace pellacor::app {

AboutView::AboutView(const std::string& versionLine, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("about:view"));
    setFont(AppFont::body());
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(48, 28, 48, 28);
    column->setSpacing(10);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("about:icon"));
    icon->setPixmap(AppIcon::pixmap(iconSize, devicePixelRatioF()));
    icon->setFixedSize(iconSize, iconSize);
    // A picture of the name below it: nothing for a screen reader to say.
    icon->setAccessibleName(QString());
    icon->setFocusPolicy(Qt::NoFocus);

    auto* name = new QLabel(QString::fromStdString(core::localized("Pellacor")), this);
    name->setObjectName(QStringLiteral("about:name"));
    name->setFont(AppFont::aboutName());

    // The version line is shown as it is: it is no text of the string table.
    version_ = new QLabel(QString::fromStdString(versionLine), this);
    version_->setObjectName(QStringLiteral("about:version"));
    version_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto* maker = new QLabel(QString::fromStdString(core::localized(core::makerName)), this);
    maker->setObjectName(QStringLiteral("about:maker"));
    appSecondary(*maker);

    for (QWidget* element : {static_cast<QWidget*>(icon), static_cast<QWidget*>(name),
                             static_cast<QWidget*>(version_), static_cast<QWidget*>(maker)}) {
        column->addWidget(element, 0, Qt::AlignHCenter);
    }
    setMinimumWidth(minimumWidth);
}

} // namespace pellacor::app
