#pragma once

#include "Platform/Simulated/PlacedStatusItem.h"
#include "Platform/Simulated/SimulatedApplication.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <string>

namespace pellacor::demo {

// Draws the pieces of the simulated desktop in the light or dark appearance:
// the strip, the items (from the pixels their owner gave, their title, or a
// glyph made up from their owner's icon), the camera housing, windows and menus.
class ItemPainter {
public:
    explicit ItemPainter(bool dark) : dark_(dark) {}

    QColor stripColour() const;
    QColor textColour() const;

    void paintItem(QPainter& painter, const QRectF& rect, const platform::PlacedStatusItem& placed,
                   const platform::SimulatedApplication& owner) const;
    void paintHousing(QPainter& painter, const QRectF& rect) const;
    void paintApplicationMenus(QPainter& painter, const QRectF& strip, const std::string& activeName) const;
    void paintWindow(QPainter& painter, const QRectF& bounds, const std::string& ownerName,
                     double titleBarHeight) const;
    void paintMenu(QPainter& painter, const QRectF& bounds, const std::string& ownerName,
                   double rowHeight) const;

    // The pixels of a status-item image as a Qt image, tinted with `tint` when
    // it is a template; a null image when the pixels do not fill its size.
    static QImage imageOf(const platform::StatusItemImage& image, const QColor& tint);
    // The colour an application's icon is drawn in: its own, or one made up from its name.
    static QColor iconColour(const platform::SimulatedApplication& app);

private:
    void paintGlyph(QPainter& painter, const QRectF& rect, const QString& glyph, const QColor& colour) const;

    bool dark_;
};

} // namespace pellacor::demo
