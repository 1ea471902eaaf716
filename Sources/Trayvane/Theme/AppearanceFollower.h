#pragma once

#include "Trayvane/Theme/Appearance.h"

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

namespace pellacor::app {

// Keeps the theme colours a view holds in its own palette or style sheet in
// step with the appearance: `apply` runs at once and again after every change
// of the application's palette. Colours resolved while painting need none of
// this (the change repaints them); colours put into a palette or a style sheet
// would otherwise stay those of the appearance they were made in.
//
// The follower belongs to the view. One view may have several, one per `role`;
// following a role again replaces its earlier `apply`.
class AppearanceFollower final : public QObject {
public:
    using Apply = std::function<void(QWidget&)>;

    static void follow(QWidget& view, const QString& role, Apply apply);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppearanceFollower(QWidget& view, Apply apply);
    void reapply();

    QWidget& view_;
    Apply apply_;
    // The appearance `apply` last ran in.
    Appearance applied_ = Appearance::light;
};

} // namespace pellacor::app
