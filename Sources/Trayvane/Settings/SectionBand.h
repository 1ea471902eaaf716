#pragma once

#include "MenuBarCore/Model/Section.h"

#include <QWidget>
#include <vector>

class QFrame;
class QLabel;
class QVBoxLayout;

namespace pellacor::app {

class AppleItemsRow;
class SectionRowView;
class SectionsModel;

// One section on the sections page: its title, its caption and a box of its
// rows. The box lists the rows the user can see one by one (movable ones and
// the program's own) with a divider between them, and one summary row for
// Apple's applications last; with no rows at all it shows where to drag. The
// box is a drop target: whatever lands on it outside a movable row moves the
// dropped applications into this section. Its outline turns to the accent
// colour while a drag hovers. The rows themselves belong to the page, which
// hands each band its own in order. Main thread only.
class SectionBand final : public QWidget {
    Q_OBJECT

public:
    SectionBand(core::Section section, SectionsModel& model, QWidget* parent = nullptr);

    core::Section section() const { return section_; }
    // The box: accessibility identifier "band:" and the section's raw value.
    QWidget& box() const { return *box_; }
    QLabel& placeholder() const { return *placeholder_; }
    AppleItemsRow& appleRow() const { return *appleRow_; }
    bool isTargeted() const { return isTargeted_; }

    // Shows these rows (none of them Apple's) in this order, then the Apple
    // summary when `appleCount` is above zero.
    void arrange(const std::vector<SectionRowView*>& rows, int appleCount);
    // What the box shows, top to bottom: rows, dividers, the placeholder, the
    // Apple summary.
    std::vector<QWidget*> shownContent() const;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setTargeted(bool targeted);
    void paintBox();

    core::Section section_;
    SectionsModel& model_;
    QWidget* box_ = nullptr;
    QVBoxLayout* content_ = nullptr;
    QLabel* placeholder_ = nullptr;
    AppleItemsRow* appleRow_ = nullptr;
    // Kept and reused: rearranging never destroys a widget under the pointer.
    std::vector<QFrame*> dividers_;
    bool isTargeted_ = false;
};

} // namespace pellacor::app
