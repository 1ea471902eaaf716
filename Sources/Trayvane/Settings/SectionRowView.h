#pragma once

#include "MenuBarCore/Planning/SectionRow.h"

#include <QMenu>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QMimeData;
class QPushButton;

namespace pellacor::app {

class AppIconView;
class IconStore;
class SectionsModel;

// One application of a section band on the sections page: its icon, its name
// and a status note. A movable application's row is also its handle: it is
// dragged (the payload is its bundle identifier as plain text) onto a band or
// in front of another row, and its "移す" menu, repeated as its context menu,
// sends it to another section or one place up or down. While a drag hovers
// over a movable row an accent bar at its top marks where the application
// will land. The program's own row shows the face alone: not dragged, not a
// drop target, no menu, so a drop on it goes on to the band. Every action is
// a call on the model; the row changes nothing itself and is redrawn from the
// model's new rows. Main thread only.
class SectionRowView final : public QWidget {
    Q_OBJECT

public:
    using NameLookup = std::function<std::string(const std::string& bundleID)>;

    SectionRowView(core::SectionRow row, SectionsModel& model, std::shared_ptr<IconStore> icons,
                   NameLookup name, QWidget* parent = nullptr);

    // The status line under the name: the parts that apply, joined by "・";
    // nothing when none applies.
    static std::optional<std::string> note(const core::SectionRow& row);
    // What a drop of plain text carries: one bundle identifier per line, in
    // order; blank lines (a trailing newline) are not strings.
    static std::vector<std::string> droppedStrings(const QMimeData& data);
    // The payload of a drag of this application's row.
    static QMimeData* payload(const std::string& bundleID);

    // Shows the row's new state; the same application, so the same kind.
    void setRow(core::SectionRow row);
    const core::SectionRow& row() const { return row_; }

    // The program's product name for its own row, else the application's name.
    const std::string& baseName() const { return baseName_; }
    QLabel& nameLabel() const { return *name_; }
    QLabel& noteLabel() const { return *note_; }
    AppIconView& icon() const { return *icon_; }
    // The "移す" button and its menu; nothing for a row that cannot move.
    QPushButton* menuButton() const { return menuButton_; }
    // The menu's entries as they are now.
    QMenu* moveMenu();
    // The context menu last opened, while it is open.
    QMenu* contextMenu() const { return contextMenu_; }
    bool isDropTarget() const { return isDropTarget_; }
    // What a drag of the row shows: the icon and the name without the hidden mark.
    QPixmap dragPicture() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void fillMoveItems(QMenu& menu) const;
    void setDropTarget(bool target);
    void startDrag();

    core::SectionRow row_;
    SectionsModel& model_;
    NameLookup nameLookup_;
    std::string baseName_;
    AppIconView* icon_ = nullptr;
    QLabel* name_ = nullptr;
    QLabel* note_ = nullptr;
    QPushButton* menuButton_ = nullptr;
    QMenu* menu_ = nullptr;
    // The menu's entries depend on the rows, and are made again when next
    // shown, never while one of them is running.
    bool menuStale_ = true;
    QPointer<QMenu> contextMenu_;
    bool isDropTarget_ = false;
    std::optional<QPoint> pressedAt_;
};

} // namespace pellacor::app
