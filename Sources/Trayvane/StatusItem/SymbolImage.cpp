#include "Trayvane/StatusItem/SymbolImage.h"

#include "Trayvane/StatusItem/TemplateImage.h"

#include <QByteArray>
#include <QPainter>
#include <QSvgRenderer>
#include <array>
#include <utility>

namespace pellacor::app {

namespace {

// Black on clear, on an 18-unit square; the status bar recolours them.
constexpr std::string_view triangle =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 18 18" width="18" height="18">)"
    R"(<path d="M9 1.6 L17 15.6 L1 15.6 Z" fill="none" stroke="#000" stroke-width="1.6" )"
    R"(stroke-linejoin="round"/>)"
    R"(<rect x="8.2" y="6" width="1.6" height="5.2" rx="0.8" fill="#000"/>)"
    R"(<circle cx="9" cy="13.3" r="1" fill="#000"/></svg>)";

constexpr std::string_view pauseCircle =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 18 18" width="18" height="18">)"
    R"(<circle cx="9" cy="9" r="7.6" fill="none" stroke="#000" stroke-width="1.6"/>)"
    R"(<rect x="6.1" y="5.4" width="1.9" height="7.2" rx="0.6" fill="#000"/>)"
    R"(<rect x="10" y="5.4" width="1.9" height="7.2" rx="0.6" fill="#000"/></svg>)";

constexpr std::string_view videoCircle =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 18 18" width="18" height="18">)"
    R"(<circle cx="9" cy="9" r="7.6" fill="none" stroke="#000" stroke-width="1.6"/>)"
    R"(<rect x="4.6" y="6.4" width="6" height="5.2" rx="1" fill="#000"/>)"
    R"(<path d="M11.2 8.4 L13.6 6.8 L13.6 11.2 L11.2 9.6 Z" fill="#000"/></svg>)";

constexpr std::array<std::pair<std::string_view, std::string_view>, 3> symbols{{
    {"exclamationmark.triangle", triangle},
    {"pause.circle", pauseCircle},
    {"video.circle", videoCircle},
}};

} // namespace

std::string_view SymbolImage::svg(std::string_view name) {
    for (const auto& [symbol, text] : symbols) {
        if (symbol == name) {
            return text;
        }
    }
    return {};
}

std::optional<platform::StatusItemImage> SymbolImage::named(std::string_view name) {
    const std::string_view text = svg(name);
    if (text.empty()) {
        return std::nullopt;
    }
    QSvgRenderer renderer(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    if (!renderer.isValid()) {
        return std::nullopt;
    }
    constexpr double size = 18;
    return TemplateImage::draw(size, size, [&renderer](QPainter& painter) {
        // SVG is drawn y down: undo the y-up drawing space.
        painter.translate(0, size);
        painter.scale(1, -1);
        renderer.render(&painter, QRectF(0, 0, size, size));
        return true;
    });
}

} // namespace pellacor::app
