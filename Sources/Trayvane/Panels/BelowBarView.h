#pragma once

#include "MenuBarCore/Planning/BelowBarEntry.h"
#include "Trayvane/Common/IconStore.h"
#include "Trayvane/Panels/BelowBarCellFrames.h"
#include "Trayvane/Panels/BelowBarModel.h"

#include <QLabel>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace pellacor::app {

class BelowBarCell;

// The below-bar panel's content: a grid of cells, up to eight in a row, each
// the size its label needs, or the single line saying there is nothing
// hidden. It draws what it is given and reports presses: a left click on a
// cell, or a right click whose press and release fall on the same cell. It
// redraws a cell when the icon store delivers its icon. Main thread only.
class BelowBarView final : public QWidget {
    Q_OBJECT

public:
    using Press = std::function<void(const core::BelowBarEntry&)>;

    BelowBarView(std::shared_ptr<IconStore> icons, BelowBarModel::NameFunction name,
                 std::shared_ptr<BelowBarCellFrames> cellFrames, QWidget* parent = nullptr);
    BelowBarView(const BelowBarView&) = delete;
    BelowBarView& operator=(const BelowBarView&) = delete;

    Press onPress;

    // Builds the cells for these entries, in list order.
    void setEntries(std::vector<core::BelowBarEntry> entries);
    const std::vector<core::BelowBarEntry>& entries() const { return entries_; }
    // The entry whose cell holds the point (view coordinates), if any.
    std::optional<core::BelowBarEntry> entry(QPointF at) const;
    const std::optional<core::BelowBarEntry>& rightPressed() const { return rightPressed_; }

    QSize sizeHint() const override { return size_; }
    QSize minimumSizeHint() const override { return size_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void press(const core::BelowBarEntry& entry) const;
    void iconArrived(const std::string& bundleID);

    std::shared_ptr<IconStore> icons_;
    BelowBarModel::NameFunction name_;
    std::shared_ptr<BelowBarCellFrames> cellFrames_;
    // Told of each icon that arrives, while this view lives.
    core::Subscription iconArrivals_;
    std::vector<core::BelowBarEntry> entries_;
    std::vector<BelowBarCell*> cells_;
    QLabel* empty_ = nullptr;
    QSize size_;
    std::optional<core::BelowBarEntry> rightPressed_;
};

} // namespace pellacor::app
