#pragma once

#include <QWidget>

class QLabel;

namespace pellacor::app {

// The one row that stands for every Apple application of the shown band:
// they cannot be moved, so they are counted, not listed. Neither dragged nor
// a drop target; a drop on it goes to the band.
class AppleItemsRow final : public QWidget {
    Q_OBJECT

public:
    explicit AppleItemsRow(QWidget* parent = nullptr);

    void setCount(int count);
    int count() const { return count_; }
    QLabel& countLabel() const { return *countLabel_; }

private:
    int count_ = -1;
    QLabel* countLabel_ = nullptr;
};

} // namespace pellacor::app
