#pragma once

#include "MenuBarCore/Planning/BelowBarEntry.h"

#include <QAbstractButton>
#include <QImage>
#include <QString>
#include <functional>
#include <optional>

namespace pellacor::app {

// One cell of the below-bar panel: the application's icon (a rounded
// placeholder until it arrives) over its label, wrapped onto further lines
// rather than cut. Filled while the pointer is over it, more strongly while
// pressed. A left click is its button action; right clicks are the view's.
class BelowBarCell final : public QAbstractButton {
    Q_OBJECT

public:
    // The fills: pressed, hovered.
    static constexpr double pressedOpacity = 0.35;
    static constexpr double hoverOpacity = 0.15;
    static constexpr double cornerRadius = 8;

    BelowBarCell(core::BelowBarEntry entry, const QString& label, QWidget* parent = nullptr);

    const core::BelowBarEntry& entry() const { return entry_; }
    void setIcon(std::optional<QImage> icon);
    bool hasIcon() const { return icon_.has_value(); }
    bool isHovering() const { return hovering_; }

    // The label's height when wrapped to the cell's width.
    static double labelHeight(const QString& label);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    core::BelowBarEntry entry_;
    std::optional<QImage> icon_;
    bool hovering_ = false;
};

} // namespace pellacor::app
