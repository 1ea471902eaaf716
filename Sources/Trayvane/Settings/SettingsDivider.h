#pragma once

#include <QFrame>
#include <QString>

namespace pellacor::app {

// A hairline between parts of a settings page, in the separator colour of the
// current appearance. A sunken frame draws with the palette's light and dark
// shades instead, which in the dark appearance is a bright white rule.
QFrame* settingsDivider(QWidget* parent, const QString& identifier = {});

} // namespace pellacor::app
