#pragma once

#include "MenuBarCore/Model/Section.h"
#include "Trayvane/Settings/SectionBand.h"
#include "Trayvane/Settings/SectionRowView.h"
#include "Trayvane/Settings/SectionsSettingsView.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace pellacor::testing {

// Drops an application's row on a band of a sections page, as the window
// delivers a drag: its entry on the widget under the band's top, then the drop.
inline void dropRowOnBand(app::SectionsSettingsView& page, const std::string& bundleID,
                          core::Section section) {
    const std::unique_ptr<QMimeData> payload(app::SectionRowView::payload(bundleID));
    QWidget& box = page.band(section).box();
    page.ensureWidgetVisible(&box);
    QApplication::processEvents();
    QWidget* window = box.window();
    const QPoint point = box.mapTo(window, QPoint(box.width() / 2, 3));
    QWidget* under = window->childAt(point);
    ASSERT_NE(under, nullptr);
    QDragEnterEvent enter(under->mapFrom(window, point), Qt::MoveAction, payload.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(under, &enter);
    QDropEvent drop(QPointF(under->mapFrom(window, point)), Qt::MoveAction, payload.get(), Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(under, &drop);
    EXPECT_TRUE(drop.isAccepted());
}

} // namespace pellacor::testing
