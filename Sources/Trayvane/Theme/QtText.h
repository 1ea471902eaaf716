#pragma once

#include <QString>
#include <string>

namespace pellacor::app {

// The program's texts are UTF-8 throughout; a widget wants them as a QString.
inline QString qtText(const std::string& value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

// A text as the title of a menu entry or a button. Qt reads "&" there as the
// mark of a shortcut letter, so each is doubled: "R&D" shows as typed.
inline QString qtTitle(const std::string& value) {
    return qtText(value).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// A text as a window's title. Qt reads "[*]" there as the place of the mark
// for unsaved changes and leaves it out, so each is doubled.
inline QString qtWindowTitle(const std::string& value) {
    return qtText(value).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

} // namespace pellacor::app
