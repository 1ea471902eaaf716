#pragma once

#include <QScrollArea>
#include <QString>
#include <QVBoxLayout>

namespace pellacor::app {

// A settings page that scrolls up and down but never sideways, at least as
// wide as the settings window allows, over a content widget named
// "<identifier>:page" in the body font. Returns the content's column; the
// page puts its content in it, then gives the column's widget to the area.
QVBoxLayout* settingsPageColumn(QScrollArea& area, const QString& identifier);

} // namespace pellacor::app
