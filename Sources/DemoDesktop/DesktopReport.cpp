#include "DemoDesktop/DesktopReport.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QWidget>
#include <algorithm>
#include <fmt/format.h>
#include <fmt/ranges.h>
#include <vector>

namespace pellacor::demo {

namespace {

// A name as one word of the line: the words are split at spaces.
std::string escaped(const QString& name) {
    std::string word;
    for (const char c : name.toStdString()) {
        if (c == ' ') {
            word += "%20";
        } else if (c == '%') {
            word += "%25";
        } else {
            word += c;
        }
    }
    return word;
}

// Qt names some of the pieces it makes inside its own widgets ("qt_…"); they
// are no controls of the program's.
bool named(const QObject& object) {
    return !object.objectName().isEmpty() && !object.objectName().startsWith(QLatin1String("qt_"));
}

std::string control(const QString& name, QPoint at) {
    return fmt::format("{}@{},{}", escaped(name), at.x(), at.y());
}

// The entries of an open menu are actions, not widgets; a script picks them
// by the name the program gave them all the same.
void addEntries(const QMenu& menu, std::vector<std::string>& controls) {
    for (QAction* action : menu.actions()) {
        if (!named(*action) || !action->isVisible() || !action->isEnabled() || action->isSeparator()) {
            continue;
        }
        const QRect rect = menu.actionGeometry(action);
        if (!rect.isEmpty()) {
            controls.push_back(control(action->objectName(), menu.mapToGlobal(rect.center())));
        }
    }
}

// Every named, visible and enabled widget of the visible windows, at the
// centre of the part of it that can be seen.
std::vector<std::string> controls() {
    std::vector<std::string> found;
    if (QApplication::instance() == nullptr) {
        return found;
    }
    QWidgetList windows = QApplication::topLevelWidgets();
    // The application keeps its windows in no order: the line gives them by name.
    std::stable_sort(windows.begin(), windows.end(),
                     [](const QWidget* a, const QWidget* b) { return a->objectName() < b->objectName(); });
    for (QWidget* window : windows) {
        if (!window->isVisible()) {
            continue;
        }
        QList<QWidget*> widgets{window};
        widgets.append(window->findChildren<QWidget*>());
        for (QWidget* widget : widgets) {
            // A window inside this one (a menu, a sheet) is told as a window of its own.
            if (widget->window() != window || !widget->isVisible() || !widget->isEnabled()) {
                continue;
            }
            if (named(*widget)) {
                const QRect seen = widget->visibleRegion().boundingRect();
                if (!seen.isEmpty()) {
                    found.push_back(control(widget->objectName(), widget->mapToGlobal(seen.center())));
                }
            }
            if (const auto* menu = qobject_cast<const QMenu*>(widget); menu != nullptr && widget == window) {
                addEntries(*menu, found);
            }
        }
    }
    return found;
}

} // namespace

std::string DesktopReport::of(const platform::SimulatedPlatform& platform, const DesktopView& view) {
    std::vector<std::string> bar;
    for (const auto& placed : platform.desktop()->menuBarItems()) {
        const QPoint at = view.globalPosition({placed.frame.midX(), placed.frame.midY()});
        bar.push_back(fmt::format("{}@{},{}", placed.ownerBundleIdentifier.value_or("?"), at.x(), at.y()));
    }
    std::string restriction = "none";
    if (const auto held = platform.desktop()->restriction()) {
        restriction = held->allowedBundleIdentifiers.empty()
                          ? std::string("(system items only)")
                          : fmt::format("{}", fmt::join(held->allowedBundleIdentifiers, ","));
    }
    std::vector<std::string> menus;
    for (const auto& window : view.drawnWindows()) {
        if (window.layer != platform::SimulatedDesktop::menuLayer) {
            continue;
        }
        const auto owner = platform.desktop()->application(window.ownerProcessIdentifier);
        const QPoint at = view.globalPosition({window.bounds.midX(), window.bounds.midY()});
        menus.push_back(fmt::format("{}@{},{}:{}",
                                    owner && owner->bundleIdentifier ? *owner->bundleIdentifier : "?", at.x(),
                                    at.y(), view.drawnSince(window.number).value_or(0)));
    }
    const auto named = controls();
    return fmt::format("desktop bar: {}\ndesktop restriction: {}\ndesktop menus: {}\ndesktop controls: "
                       "{}\ndesktop hot keys: {}\n",
                       fmt::join(bar, " "), restriction,
                       menus.empty() ? "none" : fmt::format("{}", fmt::join(menus, " ")),
                       named.empty() ? "none" : fmt::format("{}", fmt::join(named, " ")),
                       platform.hotkeyManager()->registeredHotKeys().size());
}

} // namespace pellacor::demo
