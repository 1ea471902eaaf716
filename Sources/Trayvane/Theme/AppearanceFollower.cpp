#include "Trayvane/Theme/AppearanceFollower.h"

#include <QEvent>
#include <QWidget>

namespace pellacor::app {

AppearanceFollower::AppearanceFollower(QWidget& view, Apply apply)
    : QObject(&view), view_(view), apply_(std::move(apply)) {
    view.installEventFilter(this);
}

void AppearanceFollower::follow(QWidget& view, const QString& role, Apply apply) {
    const QString name = QStringLiteral("appearance:") + role;
    auto* follower = view.findChild<AppearanceFollower*>(name, Qt::FindDirectChildrenOnly);
    if (follower == nullptr) {
        follower = new AppearanceFollower(view, std::move(apply));
        follower->setObjectName(name);
    } else {
        follower->apply_ = std::move(apply);
    }
    follower->reapply();
}

void AppearanceFollower::reapply() {
    applied_ = currentAppearance();
    apply_(view_);
}

bool AppearanceFollower::eventFilter(QObject* watched, QEvent* event) {
    // A window hears of the application's new palette; the views inside it
    // hear only that their own palette changed, which `apply` itself causes
    // too, hence the check of the appearance.
    const auto type = event->type();
    if (watched == &view_ && (type == QEvent::ApplicationPaletteChange || type == QEvent::PaletteChange) &&
        currentAppearance() != applied_) {
        reapply();
    }
    return false;
}

} // namespace pellacor::app
