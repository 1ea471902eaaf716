#pragma once

#include "Platform/Simulated/SimulatedPlatform.h"

#include <QRect>
#include <QRectF>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace pellacor::demo {

// The simulated main screen in one widget: the menu-bar strip with every item
// where the simulated bar places it (the notch gap and the chevron included)
// and below it the open windows and menus of the simulated applications.
// Simulated points map 1:1 onto the widget's logical pixels, the main screen's
// top left at the widget's top left.
//
// Real input over the view becomes the simulated user's: the pointer, buttons
// and modifier keys (Ctrl stands for Command, Alt for Option, Meta for
// Control) feed the simulated input; a press on an item presses it; a
// Command-drag in the strip moves the dragged item as the menu bar would; a
// key press goes to the simulated hot-key manager. The view repaints on every
// change the desktop reports and wakes itself for the moments the desktop
// says lie ahead, so it never polls.
//
// The view also stands for the window server towards every other window of
// the process. A button or key let go anywhere (most often in a menu that a
// press in the view opened, which takes the release) is let go for the
// simulated user too, so no button or modifier stays held for ever; the
// pointer over a window of the program that lies on the view is where the
// simulated pointer is. And a menu or other pop-up of the program is kept on
// the simulated screen, as a real menu is kept on its screen: the real screen
// around the view is larger.
class DesktopView final : public QWidget {
    Q_OBJECT

public:
    explicit DesktopView(std::shared_ptr<platform::SimulatedPlatform> platform, QWidget* parent = nullptr);
    ~DesktopView() override;

    // The rectangles the view draws the bar's items in, in view pixels, left to
    // right, as `SimulatedDesktop::menuBarItems()` stood at the last refresh.
    const std::vector<QRectF>& itemRects() const { return itemRects_; }
    // Where the view draws the item with this accessibility identifier, as the
    // bar stood at the last refresh; nothing when it was not on the bar.
    std::optional<QRectF> itemRect(std::string_view identifier) const;
    // Where a top-down point of the simulated desktop lies in the view, and back.
    QPointF viewPoint(const core::Point& topDown) const;
    core::Point topDownPoint(const QPointF& view) const;
    // Where a top-down point of the simulated desktop lies on the real screen:
    // what the program places in points (a menu, a panel) goes there.
    QPoint globalPosition(const core::Point& topDown) const {
        return mapToGlobal(viewPoint(topDown).toPoint());
    }

    // Where a pop-up window of the program goes, in real screen pixels, once
    // kept on the simulated screen (`screen`, where the view lies on the real
    // screen): moved as little as it takes. A submenu that would run off the
    // right edge opens on the left of the menu it belongs to (`parentMenu`).
    static QRect keptOnScreen(const QRect& popup, const QRect& screen,
                              const std::optional<QRect>& parentMenu = std::nullopt);

    // Escape closes the open menus of the simulated applications, as it closes
    // a real menu; true when one was open (and the key is used up).
    static bool closeMenusOnEscape(platform::SimulatedPlatform& platform);

    // The desktop moment the view waits for to read the desktop again, as
    // `SimulatedDesktop::nextMoment` stood at the last refresh; nothing when
    // none lies ahead. Its timer calls `passTime` then.
    std::optional<std::chrono::nanoseconds> awaitedMoment() const { return awaitedMoment_; }
    // Lets the desktop's time pass up to now and reads it again: what the
    // view's timer does at the awaited moment.
    void passTime();
    // The windows and menus of the simulated applications as the view drew
    // them at the last refresh, front to back.
    const std::vector<platform::SimulatedDesktop::Window>& drawnWindows() const { return windows_; }
    // Since when (milliseconds since the epoch, real time) the view draws the
    // window of this number; nothing when it does not draw it.
    std::optional<qint64> drawnSince(std::uint32_t window) const;

    void setDarkAppearance(bool dark);
    bool isDarkAppearance() const { return dark_; }

    // Reads the desktop again and repaints (also what each reported change does).
    void refresh();

    QSize sizeHint() const override;

signals:
    // After each refresh.
    void refreshed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    struct Relay;

    core::Rect mainScreenTopDown() const;
    // Where the simulated main screen lies on the real screen.
    QRect screenOnRealScreen() const;
    void armMomentTimer();
    void feedModifiers(Qt::KeyboardModifiers modifiers);
    // A release somewhere else than the view: lets go of what it says is no
    // longer held, and never presses anything.
    void letGo(std::optional<Qt::MouseButton> button, Qt::KeyboardModifiers stillHeld);
    // Moves a pop-up of the program onto the simulated screen as it is shown.
    void keepOnScreen(QWidget& popup) const;
    // Whether a window belongs to the desktop's own (the view's window and what it opens).
    bool isDesktopsOwn(const QWidget& window) const;
    core::Point screenPoint(const QPointF& view) const;
    bool isInStrip(const QPointF& view) const;
    // The placed item under a view point, with its index among its owner's items.
    std::optional<std::pair<platform::PlacedStatusItem, std::size_t>> itemAt(const QPointF& view) const;

    std::shared_ptr<platform::SimulatedPlatform> platform_;
    std::shared_ptr<Relay> relay_;
    platform::SimulatedDesktop::ObserverId observer_ = 0;
    QTimer momentTimer_;
    std::optional<std::chrono::nanoseconds> awaitedMoment_;
    bool dark_ = false;
    std::vector<platform::PlacedStatusItem> items_;
    std::vector<QRectF> itemRects_;
    std::vector<platform::SimulatedDesktop::Window> windows_;
    std::map<std::uint32_t, qint64> shownSince_;
    std::optional<QPointF> dragStart_;
};

} // namespace pellacor::demo
