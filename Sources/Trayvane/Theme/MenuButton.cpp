#include "Trayvane/Theme/MenuButton.h"

#include "Trayvane/Theme/AppFont.h"

#include <QMenu>
#include <QStyle>
#include <QStyleOptionButton>

namespace pellacor::app {

MenuButton::MenuButton(const QString& text, const QString& identifier, QWidget* parent)
    : QPushButton(text, parent) {
    setObjectName(identifier);
    setFont(AppFont::body());
    setAutoDefault(false);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setMenu(new QMenu(this));
}

QSize MenuButton::sizeHint() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    QSize size = QPushButton::sizeHint();
    size.rwidth() += style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &option, this);
    return size;
}

} // namespace pellacor::app
