#pragma once

#include <QWidget>

namespace pellacor::app {

class AppButton;

// The theme applied to a view in one call, in place of setting fonts and
// colours one by one.
// The heading font.
void appHeading(QWidget& view);
// The secondary font and the secondary text colour, kept in step with the appearance.
void appSecondary(QWidget& view);
// The secondary text colour alone, kept in step with the appearance.
void appSecondaryColour(QWidget& view);
// The secondary font alone.
void appSecondaryFont(QWidget& view);
// A button of the program's style.
AppButton* appButton(const QString& text, bool prominent, QWidget* parent = nullptr);

} // namespace pellacor::app
