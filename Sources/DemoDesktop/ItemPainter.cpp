#include "DemoDesktop/ItemPainter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <functional>

namespace pellacor::demo {

namespace {

QFont barFont(bool bold = false) {
    QFont font;
    font.setPixelSize(13);
    font.setBold(bold);
    return font;
}

// The bar's font, made smaller when the title is wider than the room the item
// gives it: an item's width is declared, and its title must not run into the
// next item.
QFont fittedBarFont(const QString& title, double room) {
    QFont font = barFont();
    const double wanted = QFontMetricsF(font).horizontalAdvance(title);
    if (wanted > room && room > 0) {
        font.setPixelSize(std::max(9, static_cast<int>(std::floor(13 * room / wanted))));
    }
    return font;
}

QString text(const std::string& value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

} // namespace

QColor ItemPainter::stripColour() const {
    return dark_ ? QColor(28, 28, 32, 235) : QColor(246, 246, 248, 230);
}

QColor ItemPainter::textColour() const {
    return dark_ ? QColor(240, 240, 240) : QColor(20, 20, 20);
}

QImage ItemPainter::imageOf(const platform::StatusItemImage& image, const QColor& tint) {
    if (!image.isWellFormed()) {
        return {};
    }
    QImage pixels(image.rgba.data(), image.width, image.height, qsizetype{image.width} * 4,
                  QImage::Format_RGBA8888);
    QImage copy = pixels.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isTemplate) {
        QPainter tinting(&copy);
        tinting.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tinting.fillRect(copy.rect(), tint);
    }
    return copy;
}

QColor ItemPainter::iconColour(const platform::SimulatedApplication& app) {
    if (app.iconColor) {
        QColor colour(text(*app.iconColor));
        if (colour.isValid()) {
            return colour;
        }
    }
    const auto hash = std::hash<std::string>{}(app.bundleIdentifier.value_or(app.localizedName));
    return QColor::fromHsv(static_cast<int>(hash % 360), 150, 190);
}

void ItemPainter::paintGlyph(QPainter& painter, const QRectF& rect, const QString& glyph,
                             const QColor& colour) const {
    const double size = std::min(rect.width(), rect.height()) - 8;
    const QRectF disc(rect.center().x() - size / 2, rect.center().y() - size / 2, size, size);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRoundedRect(disc, 4, 4);
    QFont font = barFont(true);
    font.setPixelSize(std::max(8, static_cast<int>(size * 0.7)));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(disc, Qt::AlignCenter, glyph);
}

void ItemPainter::paintItem(QPainter& painter, const QRectF& rect, const platform::PlacedStatusItem& placed,
                            const platform::SimulatedApplication& owner) const {
    const auto& item = placed.item;
    painter.save();
    painter.setClipRect(rect);
    if (item.isOverflowChevron) {
        QPainterPath chevron;
        const QPointF c = rect.center();
        chevron.moveTo(c.x() - 4, c.y() - 4);
        chevron.lineTo(c.x(), c.y());
        chevron.lineTo(c.x() - 4, c.y() + 4);
        chevron.moveTo(c.x() + 1, c.y() - 4);
        chevron.lineTo(c.x() + 5, c.y());
        chevron.lineTo(c.x() + 1, c.y() + 4);
        painter.setPen(QPen(textColour(), 1.6));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(chevron);
    } else if (item.image && item.image->isWellFormed()) {
        const QImage image = imageOf(*item.image, textColour());
        const QSizeF size(item.image->width / item.image->scale, item.image->height / item.image->scale);
        double x = rect.center().x() - size.width() / 2;
        if (item.title) {
            x = rect.left() + 4;
        }
        painter.drawImage(QRectF(QPointF(x, rect.center().y() - size.height() / 2), size), image);
        if (item.title) {
            const QRectF room = rect.adjusted(size.width() + 8, 0, 0, 0);
            const QString title = text(*item.title);
            painter.setFont(fittedBarFont(title, room.width()));
            painter.setPen(textColour());
            painter.drawText(room, Qt::AlignVCenter | Qt::AlignLeft, title);
        }
    } else if (item.title) {
        const QString title = text(*item.title);
        painter.setFont(fittedBarFont(title, rect.width() - 4));
        painter.setPen(textColour());
        painter.drawText(rect, Qt::AlignCenter, title);
    } else if (item.kind == platform::SimulatedStatusItem::Kind::system) {
        // A system item without a title: an outlined letter of its name.
        const QString name = text(item.description.value_or("?"));
        const QRectF box = rect.adjusted(5, 5, -5, -5);
        painter.setPen(QPen(textColour(), 1.2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(box, 3, 3);
        painter.setFont(barFont(true));
        painter.drawText(box, Qt::AlignCenter, name.left(1));
    } else {
        const QString glyph = owner.iconGlyph ? text(*owner.iconGlyph)
                                              : text(item.description.value_or(owner.localizedName)).left(1);
        paintGlyph(painter, rect, glyph, iconColour(owner));
    }
    painter.restore();
}

void ItemPainter::paintHousing(QPainter& painter, const QRectF& rect) const {
    QPainterPath path;
    path.addRoundedRect(rect.adjusted(0, -8, 0, 0), 8, 8);
    painter.fillPath(path, Qt::black);
}

void ItemPainter::paintApplicationMenus(QPainter& painter, const QRectF& strip,
                                        const std::string& activeName) const {
    painter.setPen(textColour());
    painter.setFont(barFont(true));
    double x = strip.left() + 14;
    painter.drawText(QRectF(x, strip.top(), 20, strip.height()), Qt::AlignCenter, QStringLiteral("◆"));
    x += 30;
    if (activeName.empty()) {
        return;
    }
    const QString name = text(activeName);
    painter.drawText(QRectF(x, strip.top(), 200, strip.height()), Qt::AlignVCenter | Qt::AlignLeft, name);
    x += painter.fontMetrics().horizontalAdvance(name) + 18;
    painter.setFont(barFont());
    for (const char* menu : {"File", "Edit", "View", "Window", "Help"}) {
        const QString title = QString::fromLatin1(menu);
        painter.drawText(QRectF(x, strip.top(), 100, strip.height()), Qt::AlignVCenter | Qt::AlignLeft,
                         title);
        x += painter.fontMetrics().horizontalAdvance(title) + 18;
    }
}

void ItemPainter::paintWindow(QPainter& painter, const QRectF& bounds, const std::string& ownerName,
                              double titleBarHeight) const {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 60));
    painter.drawRoundedRect(bounds.translated(0, 6), 10, 10);
    painter.setBrush(dark_ ? QColor(44, 44, 48) : QColor(252, 252, 252));
    painter.drawRoundedRect(bounds, 10, 10);
    const QRectF title(bounds.left(), bounds.top(), bounds.width(), titleBarHeight);
    painter.setBrush(dark_ ? QColor(58, 58, 62) : QColor(232, 232, 234));
    // Rounded at the top only: the lower half squared off by a rectangle over it.
    QPainterPath top;
    top.setFillRule(Qt::WindingFill);
    top.addRoundedRect(title, 10, 10);
    top.addRect(title.adjusted(0, titleBarHeight / 2, 0, 0));
    painter.drawPath(top.simplified());
    const QColor lights[] = {QColor(255, 95, 87), QColor(254, 188, 46), QColor(40, 200, 64)};
    for (int i = 0; i < 3; ++i) {
        painter.setBrush(lights[i]);
        painter.drawEllipse(QPointF(title.left() + 16 + 20 * i, title.center().y()), 6, 6);
    }
    painter.setPen(textColour());
    painter.setFont(barFont(true));
    painter.drawText(title, Qt::AlignCenter, text(ownerName));
    painter.restore();
}

void ItemPainter::paintMenu(QPainter& painter, const QRectF& bounds, const std::string& ownerName,
                            double rowHeight) const {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 70));
    painter.drawRoundedRect(bounds.translated(0, 4), 7, 7);
    painter.setBrush(dark_ ? QColor(50, 50, 54, 245) : QColor(250, 250, 250, 245));
    painter.drawRoundedRect(bounds, 7, 7);
    painter.setFont(barFont());
    painter.setPen(textColour());
    const QString owner = text(ownerName);
    const QString rows[] = {owner, QStringLiteral("Open %1").arg(owner), QStringLiteral("Settings…"),
                            QStringLiteral("About %1").arg(owner), QStringLiteral("Quit %1").arg(owner)};
    double y = bounds.top() + 6;
    for (const auto& row : rows) {
        if (y + rowHeight > bounds.bottom()) {
            break;
        }
        painter.drawText(QRectF(bounds.left() + 14, y, bounds.width() - 28, rowHeight),
                         Qt::AlignVCenter | Qt::AlignLeft, row);
        y += rowHeight;
    }
    painter.restore();
}

} // namespace pellacor::demo
