#include "Trayvane/StatusItem/ControlMenuView.h"

#include "Trayvane/Theme/QtText.h"

#include <QAction>
#include <QKeySequence>

namespace pellacor::app {

namespace {

void add(QMenu& menu, const std::vector<ControlMenuEntry>& entries, const ControlMenuView::Chosen& chosen) {
    for (const auto& entry : entries) {
        if (entry.isSeparator) {
            menu.addSeparator();
            continue;
        }
        if (!entry.submenu.empty()) {
            QMenu* submenu = menu.addMenu(qtTitle(entry.title));
            submenu->setFont(menu.font());
            add(*submenu, entry.submenu, chosen);
            continue;
        }
        QAction* action = menu.addAction(qtTitle(entry.title));
        action->setEnabled(entry.isEnabled());
        if (entry.isChecked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        if (!entry.keyEquivalent.empty()) {
            // The system's Command key is Control here.
            action->setShortcut(
                QKeySequence(QStringLiteral("Ctrl+") + qtText(entry.keyEquivalent).toUpper()));
        }
        QObject::connect(action, &QAction::triggered, action, [chosen, entry] {
            if (chosen) {
                chosen(entry);
            }
        });
    }
}

} // namespace

void ControlMenuView::populate(QMenu& menu, const std::vector<ControlMenuEntry>& entries,
                               const Chosen& chosen) {
    menu.clear();
    // The submenus of the last opening are children of the menu, not its actions.
    for (QMenu* old : menu.findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
        delete old;
    }
    add(menu, entries, chosen);
}

} // namespace pellacor::app
