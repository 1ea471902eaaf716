#include "Trayvane/StatusItem/SymbolImage.h"

#include "Trayvane/Theme/TemplateImage.h"

#include <QByteArray>
#include <QPainter>
#include <QSvgRenderer>
#include <array>
#include <cmath>
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

// A person in a dashed circle (the stand-in's icon), and in a full circle where
// the dashed one is missing.
constexpr std::string_view personCropCircleDashed =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 18 18" width="18" height="18">)"
    R"(<circle cx="9" cy="9" r="7.6" fill="none" stroke="#000" stroke-width="1.4" )"
    R"(stroke-dasharray="2.35 1.63"/>)"
    R"(<circle cx="9" cy="7" r="2.6" fill="#000"/>)"
    R"(<path d="M4.5 14.1 C5.3 11.5 7 10.5 9 10.5 C11 10.5 12.7 11.5 13.5 14.1 Z" fill="#000"/></svg>)";

constexpr std::string_view personCropCircle =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 18 18" width="18" height="18">)"
    R"(<circle cx="9" cy="9" r="7.6" fill="none" stroke="#000" stroke-width="1.4"/>)"
    R"(<circle cx="9" cy="7" r="2.6" fill="#000"/>)"
    R"(<path d="M4.5 14.1 C5.3 11.5 7 10.5 9 10.5 C11 10.5 12.7 11.5 13.5 14.1 Z" fill="#000"/></svg>)";

// The permission guide's raised hand and its status marks.
constexpr std::string_view handRaised =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 18 18" width="18" height="18">)"
    R"(<rect x="5.2" y="3.0" width="1.9" height="7.5" rx="0.95" fill="#000"/>)"
    R"(<rect x="7.5" y="1.5" width="1.9" height="9" rx="0.95" fill="#000"/>)"
    R"(<rect x="9.8" y="2.2" width="1.9" height="8.3" rx="0.95" fill="#000"/>)"
    R"(<rect x="12.1" y="4.0" width="1.8" height="6.5" rx="0.9" fill="#000"/>)"
    R"(<path d="M5.2 9 H13.9 V11.6 C13.9 14.6 12 16.6 9.4 16.6 C7.6 16.6 6.5 15.8 5.6 14.4 )"
    R"(L2.6 10.2 C2.1 9.5 2.3 8.7 2.9 8.4 C3.5 8.1 4.1 8.3 4.5 8.8 L5.2 9.8 Z" fill="#000"/></svg>)";

constexpr std::string_view checkmarkCircleFill =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 18 18" width="18" height="18">)"
    R"(<path fill="#000" fill-rule="evenodd" d="M9 1.2 A7.8 7.8 0 1 1 8.99 1.2 Z )"
    R"(M4.9 9.3 L6.2 8 L8 9.8 L11.8 6 L13.1 7.3 L8 12.4 Z"/></svg>)";

constexpr std::string_view circleDotted =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 18 18" width="18" height="18">)"
    R"(<circle cx="16.20" cy="9.00" r="0.85" fill="#000"/><circle cx="15.24" cy="12.60" r="0.85" fill="#000"/>)"
    R"(<circle cx="12.60" cy="15.24" r="0.85" fill="#000"/><circle cx="9.00" cy="16.20" r="0.85" fill="#000"/>)"
    R"(<circle cx="5.40" cy="15.24" r="0.85" fill="#000"/><circle cx="2.76" cy="12.60" r="0.85" fill="#000"/>)"
    R"(<circle cx="1.80" cy="9.00" r="0.85" fill="#000"/><circle cx="2.76" cy="5.40" r="0.85" fill="#000"/>)"
    R"(<circle cx="5.40" cy="2.76" r="0.85" fill="#000"/><circle cx="9.00" cy="1.80" r="0.85" fill="#000"/>)"
    R"(<circle cx="12.60" cy="2.76" r="0.85" fill="#000"/><circle cx="15.24" cy="5.40" r="0.85" fill="#000"/>)"
    R"(</svg>)";

// The settings' radio choices: a ring around a dot when chosen, an empty ring
// when not.
constexpr std::string_view largecircleFillCircle =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 18 18" width="18" height="18">)"
    R"(<path fill="#000" fill-rule="evenodd" d="M9 1.2 A7.8 7.8 0 1 1 8.99 1.2 Z )"
    R"(M9 2.7 A6.3 6.3 0 1 0 9.01 2.7 Z"/><circle cx="9" cy="9" r="4.2" fill="#000"/></svg>)";

constexpr std::string_view circle =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 18 18" width="18" height="18">)"
    R"(<circle cx="9" cy="9" r="7.05" fill="none" stroke="#000" stroke-width="1.5"/></svg>)";

// The settings' check boxes: a filled box with a cut-out tick when on, an
// empty rounded box when off.
constexpr std::string_view checkmarkSquareFill =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 18 18" width="18" height="18">)"
    R"(<path fill="#000" fill-rule="evenodd" d="M4.2 1.6 H13.8 A2.6 2.6 0 0 1 16.4 4.2 V13.8 )"
    R"(A2.6 2.6 0 0 1 13.8 16.4 H4.2 A2.6 2.6 0 0 1 1.6 13.8 V4.2 A2.6 2.6 0 0 1 4.2 1.6 Z )"
    R"(M4.6 9.2 L5.9 7.9 L7.9 9.9 L12.1 5.7 L13.4 7 L7.9 12.5 Z"/></svg>)";

constexpr std::string_view square =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 18 18" width="18" height="18">)"
    R"(<rect x="2.3" y="2.3" width="13.4" height="13.4" rx="2.2" fill="none" stroke="#000" )"
    R"(stroke-width="1.4"/></svg>)";

// The desktop entry's actions: reveal, collapse, switch the profile, resume
// (pause has the pause circle above).
constexpr std::string_view eye =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 18 18" width="18" height="18">)"
    R"(<path d="M1.3 9 C3.2 5.4 5.9 3.8 9 3.8 C12.1 3.8 14.8 5.4 16.7 9 C14.8 12.6 12.1 14.2 9 14.2 )"
    R"(C5.9 14.2 3.2 12.6 1.3 9 Z" fill="none" stroke="#000" stroke-width="1.5" stroke-linejoin="round"/>)"
    R"(<circle cx="9" cy="9" r="2.6" fill="#000"/></svg>)";

constexpr std::string_view eyeSlash =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 18 18" width="18" height="18">)"
    R"(<path d="M1.3 9 C3.2 5.4 5.9 3.8 9 3.8 C12.1 3.8 14.8 5.4 16.7 9 C14.8 12.6 12.1 14.2 9 14.2 )"
    R"(C5.9 14.2 3.2 12.6 1.3 9 Z" fill="none" stroke="#000" stroke-width="1.5" stroke-linejoin="round"/>)"
    R"(<circle cx="9" cy="9" r="2.6" fill="#000"/>)"
    R"(<path d="M3 1.8 L15 16.2" stroke="#000" stroke-width="1.6" stroke-linecap="round"/></svg>)";

constexpr std::string_view personCropRectangleStack =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 18 18" width="18" height="18">)"
    R"(<path d="M4.8 2.2 H13.2" stroke="#000" stroke-width="1.4" stroke-linecap="round"/>)"
    R"(<rect x="2.3" y="4.6" width="13.4" height="11.4" rx="2" fill="none" stroke="#000" stroke-width="1.4"/>)"
    R"(<circle cx="9" cy="8.9" r="2.1" fill="#000"/>)"
    R"(<path d="M5.6 14.6 C6.2 12.7 7.4 11.9 9 11.9 C10.6 11.9 11.8 12.7 12.4 14.6 Z" fill="#000"/></svg>)";

constexpr std::string_view playCircle =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 18 18" width="18" height="18">)"
    R"(<circle cx="9" cy="9" r="7.6" fill="none" stroke="#000" stroke-width="1.6"/>)"
    R"(<path d="M7.2 5.6 L12.6 9 L7.2 12.4 Z" fill="#000" stroke="#000" stroke-width="0.6" )"
    R"(stroke-linejoin="round"/></svg>)";

constexpr std::array<std::pair<std::string_view, std::string_view>, 16> symbols{{
    {"exclamationmark.triangle", triangle},
    {"pause.circle", pauseCircle},
    {"video.circle", videoCircle},
    {"person.crop.circle.dashed", personCropCircleDashed},
    {"person.crop.circle", personCropCircle},
    {"hand.raised", handRaised},
    {"checkmark.circle.fill", checkmarkCircleFill},
    {"circle.dotted", circleDotted},
    {"largecircle.fill.circle", largecircleFillCircle},
    {"circle", circle},
    {"checkmark.square.fill", checkmarkSquareFill},
    {"square", square},
    {"eye", eye},
    {"eye.slash", eyeSlash},
    {"person.crop.rectangle.stack", personCropRectangleStack},
    {"play.circle", playCircle},
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

QImage SymbolImage::tinted(std::string_view name, double points, const QColor& colour, double scale) {
    const std::string_view text = svg(name);
    if (text.empty() || points <= 0 || scale <= 0) {
        return {};
    }
    QSvgRenderer renderer(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    if (!renderer.isValid()) {
        return {};
    }
    const int pixels = static_cast<int>(std::ceil(points * scale));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    // Only the shape's coverage is kept; the colour is the one asked for.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), colour);
    painter.end();
    image.setDevicePixelRatio(scale);
    return image;
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
