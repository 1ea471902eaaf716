#include "Trayvane/Theme/ThemeViews.h"

#include "Trayvane/Theme/AppButton.h"
#include "Trayvane/Theme/AppColor.h"
#include "Trayvane/Theme/AppFont.h"

#include <QApplication>
#include <QEvent>

namespace pellacor::app {

namespace {

// Gives its view the secondary text colour of the application's appearance,
// again after every change of the application's palette.
class SecondaryColourFollower final : public QObject {
public:
    explicit SecondaryColourFollower(QWidget& view) : QObject(&view), view_(view) {
        view.installEventFilter(this);
        apply();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &view_ && event->type() == QEvent::ApplicationPaletteChange) {
            apply();
        }
        return false;
    }

private:
    void apply() {
        QPalette palette = view_.palette();
        const QColor colour = AppColor::secondaryText.resolved(appearanceOf(QApplication::palette()));
        palette.setColor(QPalette::WindowText, colour);
        palette.setColor(QPalette::Text, colour);
        view_.setPalette(palette);
    }

    QWidget& view_;
};

} // namespace

void appHeading(QWidget& view) {
    view.setFont(AppFont::heading());
}

void appSecondary(QWidget& view) {
    view.setFont(AppFont::secondary());
    if (view.findChild<SecondaryColourFollower*>(QString(), Qt::FindDirectChildrenOnly) == nullptr) {
        new SecondaryColourFollower(view);
    }
}

void appSecondaryFont(QWidget& view) {
    view.setFont(AppFont::secondary());
}

AppButton* appButton(const QString& text, bool prominent, QWidget* parent) {
    return new AppButton(text, prominent, parent);
}

} // namespace pellacor::app
