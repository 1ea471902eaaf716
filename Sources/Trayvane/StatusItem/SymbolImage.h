#pragma once

#include "Platform/StatusItemImage.h"

#include <QColor>
#include <QImage>
#include <optional>
#include <string_view>

namespace pellacor::app {

// The system symbols the program uses, bundled as SVG: drawn as template
// images of 18 × 18 points for the status items, or in a colour for windows.
struct SymbolImage {
    // Nothing for a name the program carries no symbol of, or one that does not draw.
    static std::optional<platform::StatusItemImage> named(std::string_view name);
    // The symbol `points` wide and high in `colour`, at `scale` pixels per
    // point; a null image for a name it carries no symbol of.
    static QImage tinted(std::string_view name, double points, const QColor& colour, double scale);
    // The SVG text of a symbol; empty when there is none.
    static std::string_view svg(std::string_view name);
};

} // namespace pellacor::app
