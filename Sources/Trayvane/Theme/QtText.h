#pragma once

#include <QString>
#include <string>

namespace pellacor::app {

// The program's texts are UTF-8 throughout; a widget wants them as a QString.
inline QString qtText(const std::string& value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

} // namespace pellacor::app
