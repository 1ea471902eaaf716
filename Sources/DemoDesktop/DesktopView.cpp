#include "DemoDesktop/DesktopView.h"

#include "DemoDesktop/ItemPainter.h"
#include "DemoDesktop/KeyCodes.h"
#include "Platform/Simulated/MenuBarLayout.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <mutex>

namespace pellacor::demo {

namespace {

// The window's title bar, and a menu's rows.
constexpr double titleBarHeight = 28;
constexpr double menuRowHeight = 22;

std::uint32_t buttonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::RightButton:
        return platform::InputState::rightButton;
    case Qt::MiddleButton:
        return 2;
    default:
        return platform::InputState::leftButton;
    }
}

} // namespace

// Lets the desktop's observer, which may run on any thread and even after the
// view is gone, post a refresh to the view only while it lives.
struct DesktopView::Relay {
    std::mutex mutex;
    DesktopView* view = nullptr;
};

DesktopView::DesktopView(std::shared_ptr<platform::SimulatedPlatform> platform, QWidget* parent)
    : QWidget(parent), platform_(std::move(platform)), relay_(std::make_shared<Relay>()) {
    setObjectName("desktop-view");
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    relay_->view = this;
    momentTimer_.setSingleShot(true);
    momentTimer_.setTimerType(Qt::PreciseTimer);
    connect(&momentTimer_, &QTimer::timeout, this, &DesktopView::passTime);
    observer_ = platform_->desktop()->addObserver([relay = relay_](platform::SimulatedDesktop::Change) {
        std::lock_guard lock(relay->mutex);
        if (relay->view != nullptr) {
            QMetaObject::invokeMethod(relay->view, &DesktopView::refresh, Qt::QueuedConnection);
        }
    });
    refresh();
    // Every release and every pop-up of the process, wherever it is delivered.
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->installEventFilter(this);
    }
}

DesktopView::~DesktopView() {
    platform_->desktop()->removeObserver(observer_);
    std::lock_guard lock(relay_->mutex);
    relay_->view = nullptr;
}

QSize DesktopView::sizeHint() const {
    const auto frame = platform_->desktop()->mainScreen().frame.standardized();
    return {static_cast<int>(std::lround(frame.width())), static_cast<int>(std::lround(frame.height()))};
}

void DesktopView::setDarkAppearance(bool dark) {
    dark_ = dark;
    update();
}

core::Rect DesktopView::mainScreenTopDown() const {
    const auto screens = platform_->desktop()->screens();
    const auto main = screens.front().frame.standardized();
    return core::convertScreenSpace(main, main);
}

QRect DesktopView::screenOnRealScreen() const {
    const auto screen = mainScreenTopDown();
    return {globalPosition(screen.origin), QSize(static_cast<int>(std::lround(screen.width())),
                                                 static_cast<int>(std::lround(screen.height())))};
}

QPointF DesktopView::viewPoint(const core::Point& topDown) const {
    const auto screen = mainScreenTopDown();
    return {topDown.x - screen.minX(), topDown.y - screen.minY()};
}

core::Point DesktopView::topDownPoint(const QPointF& view) const {
    const auto screen = mainScreenTopDown();
    return {view.x() + screen.minX(), view.y() + screen.minY()};
}

core::Point DesktopView::screenPoint(const QPointF& view) const {
    const auto main = platform_->desktop()->screens().front().frame.standardized();
    return core::convertScreenSpace(topDownPoint(view), main);
}

bool DesktopView::isInStrip(const QPointF& view) const {
    return view.y() >= 0 && view.y() < platform_->desktop()->mainScreen().menuBarHeight;
}

void DesktopView::refresh() {
    const auto& desktop = *platform_->desktop();
    items_ = desktop.menuBarItems();
    windows_ = desktop.windows();
    // When each window was first drawn, for the report; the real clock, as
    // whoever reads the report compares it with when it sent its input.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    std::map<std::uint32_t, qint64> shownSince;
    for (const auto& window : windows_) {
        const auto known = shownSince_.find(window.number);
        shownSince.emplace(window.number, known == shownSince_.end() ? now : known->second);
    }
    shownSince_ = std::move(shownSince);
    itemRects_.clear();
    for (const auto& placed : items_) {
        const QPointF origin = viewPoint(placed.frame.origin);
        itemRects_.emplace_back(origin, QSizeF(placed.frame.width(), placed.frame.height()));
    }
    armMomentTimer();
    update();
    emit refreshed();
}

std::optional<qint64> DesktopView::drawnSince(std::uint32_t window) const {
    const auto found = shownSince_.find(window);
    return found == shownSince_.end() ? std::nullopt : std::optional<qint64>(found->second);
}

std::optional<QRectF> DesktopView::itemRect(std::string_view identifier) const {
    for (std::size_t i = 0; i < items_.size() && i < itemRects_.size(); ++i) {
        if (items_[i].item.identifier == identifier) {
            return itemRects_[i];
        }
    }
    return std::nullopt;
}

void DesktopView::passTime() {
    platform_->desktop()->passTime();
    refresh();
}

bool DesktopView::closeMenusOnEscape(platform::SimulatedPlatform& platform) {
    const auto own = platform.processInfo()->processIdentifier();
    const auto windows = platform.desktop()->windows();
    const bool open = std::any_of(windows.begin(), windows.end(), [own](const auto& window) {
        return window.layer == platform::SimulatedDesktop::menuLayer && window.ownerProcessIdentifier != own;
    });
    if (open) {
        platform.desktop()->closeMenus();
    }
    return open;
}

void DesktopView::armMomentTimer() {
    const auto& desktop = *platform_->desktop();
    const auto next = desktop.nextMoment();
    awaitedMoment_ = next;
    if (!next) {
        momentTimer_.stop();
        return;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - desktop.now());
    momentTimer_.start(
        static_cast<int>(std::clamp<std::int64_t>(wait.count(), 0, std::int64_t{24} * 3600 * 1000)));
}

std::optional<std::pair<platform::PlacedStatusItem, std::size_t>>
DesktopView::itemAt(const QPointF& view) const {
    for (std::size_t i = 0; i < items_.size() && i < itemRects_.size(); ++i) {
        if (!itemRects_[i].contains(view)) {
            continue;
        }
        const auto& placed = items_[i];
        const auto app = platform_->desktop()->application(placed.ownerProcessIdentifier);
        if (!app) {
            return std::nullopt;
        }
        for (std::size_t index = 0; index < app->statusItems.size(); ++index) {
            if (platform::MenuBarLayout::frameOf(items_, *app, index) == placed.frame) {
                return std::make_pair(placed, index);
            }
        }
        return std::nullopt;
    }
    return std::nullopt;
}

void DesktopView::feedModifiers(Qt::KeyboardModifiers modifiers) {
    platform_->input()->setModifierFlags(KeyCodes::modifierFlags(modifiers));
}

bool DesktopView::eventFilter(QObject* watched, QEvent* event) {
    // Widgets only: a window system's event reaches the window before its
    // widget, and the view takes its own input itself.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget == this) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::MouseMove:
        // Over a window of the program the pointer is still on the simulated screen.
        if (isVisible() && !isDesktopsOwn(*widget->window())) {
            const QPointF global = static_cast<const QMouseEvent*>(event)->globalPosition();
            if (screenOnRealScreen().contains(global.toPoint())) {
                platform_->input()->moveMouse(screenPoint(mapFromGlobal(global)));
            }
        }
        break;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        letGo(mouse->button(), mouse->modifiers());
        break;
    }
    case QEvent::KeyRelease:
        // Qt tells a modifier key's release with the state after it.
        letGo(std::nullopt, static_cast<const QKeyEvent*>(event)->modifiers());
        break;
    case QEvent::Show:
        if (widget->isWindow() && widget->windowType() == Qt::Popup && !isDesktopsOwn(*widget)) {
            keepOnScreen(*widget);
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void DesktopView::letGo(std::optional<Qt::MouseButton> button, Qt::KeyboardModifiers stillHeld) {
    auto& input = *platform_->input();
    if (button) {
        input.releaseMouseButton(buttonOf(*button));
    }
    const std::uint64_t known =
        KeyCodes::modifierFlags(Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
    const std::uint64_t gone = known & ~KeyCodes::modifierFlags(stillHeld);
    if (const std::uint64_t held = input.modifierFlags(); (held & gone) != 0) {
        input.setModifierFlags(held & ~gone);
    }
}

bool DesktopView::isDesktopsOwn(const QWidget& window) const {
    // A pop-up's parent is the widget it opened from (a submenu's, its menu).
    for (const QWidget* at = &window; at != nullptr; at = at->window()->parentWidget()) {
        if (at->window() == this->window()) {
            return true;
        }
    }
    return false;
}

void DesktopView::keepOnScreen(QWidget& popup) const {
    // A view on no screen puts the simulated screen nowhere on the real one.
    if (!isVisible()) {
        return;
    }
    const QRect screen = screenOnRealScreen();
    std::optional<QRect> parentMenu;
    if (const QWidget* parent = popup.parentWidget();
        parent != nullptr && parent->isVisible() && parent->window()->windowType() == Qt::Popup) {
        parentMenu = parent->window()->geometry();
    }
    const QRect kept = keptOnScreen(popup.geometry(), screen, parentMenu);
    if (kept.topLeft() != popup.geometry().topLeft()) {
        popup.move(kept.topLeft());
    }
}

QRect DesktopView::keptOnScreen(const QRect& popup, const QRect& screen,
                                const std::optional<QRect>& parentMenu) {
    core::Rect wanted(popup.x(), popup.y(), popup.width(), popup.height());
    const core::Rect bounds(screen.x(), screen.y(), screen.width(), screen.height());
    if (parentMenu && wanted.maxX() > bounds.maxX()) {
        wanted = core::Rect(parentMenu->x() - wanted.width(), wanted.minY(), wanted.width(), wanted.height());
    }
    const core::Rect kept = wanted.keptWithin(bounds);
    return {static_cast<int>(std::lround(kept.minX())), static_cast<int>(std::lround(kept.minY())),
            popup.width(), popup.height()};
}

void DesktopView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const QPointF at = event->position();
    const std::uint32_t button = buttonOf(event->button());
    feedModifiers(event->modifiers());
    auto& input = *platform_->input();
    input.moveMouse(screenPoint(at));
    input.pressMouseButton(button);
    const bool command = event->modifiers().testFlag(Qt::ControlModifier);
    if (button == platform::InputState::leftButton && command && isInStrip(at)) {
        dragStart_ = at;
        return;
    }
    if (isInStrip(at)) {
        if (auto hit = itemAt(at)) {
            platform_->desktop()->pressItem(hit->first.ownerProcessIdentifier, hit->second,
                                            std::chrono::nanoseconds::zero(), button);
            refresh();
            return;
        }
    }
    // A click outside every menu closes the open ones, as it does on the real bar.
    const auto topDown = topDownPoint(at);
    const bool onMenu = std::any_of(windows_.begin(), windows_.end(), [&](const auto& window) {
        return window.layer == platform::SimulatedDesktop::menuLayer && window.bounds.contains(topDown);
    });
    if (!onMenu) {
        platform_->desktop()->closeMenus();
    }
}

void DesktopView::mouseMoveEvent(QMouseEvent* event) {
    feedModifiers(event->modifiers());
    platform_->input()->moveMouse(screenPoint(event->position()));
}

void DesktopView::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    feedModifiers(event->modifiers());
    auto& input = *platform_->input();
    input.moveMouse(screenPoint(at));
    input.releaseMouseButton(buttonOf(event->button()));
    if (dragStart_ && event->button() == Qt::LeftButton) {
        const QPointF start = *dragStart_;
        dragStart_.reset();
        if (isInStrip(at)) {
            platform_->desktop()->commandDragItem(topDownPoint(start), topDownPoint(at));
        }
    }
}

void DesktopView::keyPressEvent(QKeyEvent* event) {
    feedModifiers(event->modifiers());
    if (event->key() == Qt::Key_Escape && closeMenusOnEscape(*platform_)) {
        event->accept();
        return;
    }
    if (auto code = KeyCodes::virtualKeyCode(event->key())) {
        platform_->input()->pressKey(*code, KeyCodes::hotKeyModifiers(event->modifiers()));
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void DesktopView::keyReleaseEvent(QKeyEvent* event) {
    feedModifiers(event->modifiers());
    QWidget::keyReleaseEvent(event);
}

void DesktopView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const auto& desktop = *platform_->desktop();
    const auto screen = desktop.mainScreen();
    const double stripHeight = screen.menuBarHeight;
    const ItemPainter items(dark_);

    // The wallpaper.
    QLinearGradient wallpaper(0, 0, width(), height());
    wallpaper.setColorAt(0, dark_ ? QColor(24, 32, 58) : QColor(122, 164, 214));
    wallpaper.setColorAt(1, dark_ ? QColor(58, 30, 70) : QColor(214, 170, 196));
    painter.fillRect(rect(), wallpaper);

    // The windows of the simulated applications, back to front; the program
    // shows its own as real windows.
    const auto own = platform_->processInfo()->processIdentifier();
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
        if (!it->isOnScreen || it->ownerProcessIdentifier == own) {
            continue;
        }
        const auto app = desktop.application(it->ownerProcessIdentifier);
        const QRectF bounds(viewPoint(it->bounds.origin), QSizeF(it->bounds.width(), it->bounds.height()));
        if (it->layer == platform::SimulatedDesktop::menuLayer) {
            items.paintMenu(painter, bounds, app ? app->localizedName : std::string(), menuRowHeight);
        } else {
            items.paintWindow(painter, bounds, app ? app->localizedName : std::string(), titleBarHeight);
        }
    }

    // The strip, the application menus at its left, the housing and the items.
    const QRectF strip(0, 0, width(), stripHeight);
    painter.fillRect(strip, items.stripColour());
    std::string active;
    for (const auto& app : desktop.runningApplications()) {
        if (app.isActive) {
            active = app.localizedName;
        }
    }
    items.paintApplicationMenus(painter, strip, active);
    if (screen.cameraHousingWidth && *screen.cameraHousingWidth > 0) {
        const double w = *screen.cameraHousingWidth;
        items.paintHousing(painter, QRectF(width() / 2.0 - w / 2, 0, w, stripHeight));
    }
    for (std::size_t i = 0; i < items_.size() && i < itemRects_.size(); ++i) {
        const auto app = desktop.application(items_[i].ownerProcessIdentifier);
        items.paintItem(painter, itemRects_[i], items_[i], app ? *app : platform::SimulatedApplication{});
    }
}

} // namespace pellacor::demo
