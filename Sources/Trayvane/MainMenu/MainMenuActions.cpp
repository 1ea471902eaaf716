#include "Trayvane/MainMenu/MainMenuActions.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QWidget>

namespace pellacor::app {

MainMenuActions::MainMenuActions(const MainMenu::Menu& menu, QObject* parent) : QObject(parent) {
    for (const auto& submenu : menu.submenus) {
        for (const auto& item : submenu.items) {
            if (item.isSeparator()) {
                continue;
            }
            auto* action = new QAction(QString::fromStdString(item.title), this);
            action->setObjectName(QString::fromStdString("mainMenu:" + MainMenu::methodName(item.action)));
            action->setShortcut(keySequence(item));
            action->setShortcutContext(Qt::WindowShortcut);
            const std::string name = item.action;
            connect(action, &QAction::triggered, this, [this, name] { perform(name); });
            // The delegate's commands are greyed until it wires them.
            action->setEnabled(MainMenu::target(item.action) != MainMenu::Target::delegate);
            actions_.push_back(action);
            byName_.emplace(item.action, action);
        }
    }
    qApp->installEventFilter(this);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            attach(window);
        }
    }
}

MainMenuActions::~MainMenuActions() {
    if (qApp) {
        qApp->removeEventFilter(this);
    }
}

void MainMenuActions::setDelegateAction(const std::string& action, std::function<void()> handler) {
    if (QAction* command = this->action(action)) {
        command->setEnabled(static_cast<bool>(handler));
    }
    delegateActions_.insert_or_assign(action, std::move(handler));
}

bool MainMenuActions::isProgramWindow(const QWidget* widget) {
    if (!widget || !widget->isWindow() || qobject_cast<const QMenu*>(widget)) {
        return false;
    }
    const Qt::WindowType type = widget->windowType();
    if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::Desktop) {
        return false;
    }
    return !widget->property(outsideProgramProperty).toBool();
}

void MainMenuActions::attach(QWidget* window) {
    if (!isProgramWindow(window)) {
        return;
    }
    for (QAction* action : actions_) {
        if (!window->actions().contains(action)) {
            window->addAction(action);
        }
    }
}

bool MainMenuActions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        attach(static_cast<QWidget*>(watched));
    }
    return QObject::eventFilter(watched, event);
}

QAction* MainMenuActions::action(const std::string& action) const {
    const auto found = byName_.find(action);
    return found == byName_.end() ? nullptr : found->second;
}

bool MainMenuActions::perform(const std::string& action) {
    const auto target = MainMenu::target(action);
    if (!target) {
        return false;
    }
    switch (*target) {
    case MainMenu::Target::focusedView:
        return performInFocusedView(action);
    case MainMenu::Target::window: {
        QWidget* window = QApplication::activeWindow();
        if (!isProgramWindow(window)) {
            return false;
        }
        window->close();
        return true;
    }
    case MainMenu::Target::application:
        QCoreApplication::quit();
        return true;
    case MainMenu::Target::delegate: {
        const auto handler = delegateActions_.find(action);
        if (handler == delegateActions_.end() || !handler->second) {
            return false;
        }
        handler->second();
        return true;
    }
    }
    return false;
}

bool MainMenuActions::performInFocusedView(const std::string& action) {
    QWidget* view = QApplication::focusWidget();
    if (!view || !isProgramWindow(view->window())) {
        return false;
    }
    // A label whose text can be selected (About's version line) has no slots
    // to call, and the menu's key equivalents reach it before its own keys do:
    // selecting all and copying are done for it, as a selectable text field
    // does them; it takes no other edit.
    if (auto* label = qobject_cast<QLabel*>(view);
        label != nullptr && (label->textInteractionFlags() & Qt::TextSelectableByMouse)) {
        if (action == "selectAll:") {
            label->setSelection(0, static_cast<int>(label->text().size()));
            return true;
        }
        if (action == "copy:" && label->hasSelectedText()) {
            QApplication::clipboard()->setText(label->selectedText());
            return true;
        }
        return false;
    }
    const std::string method = MainMenu::methodName(action);
    const QByteArray signature = QByteArray::fromStdString(method + "()");
    for (; view; view = view->isWindow() ? nullptr : view->parentWidget()) {
        if (view->metaObject()->indexOfMethod(signature.constData()) >= 0) {
            return QMetaObject::invokeMethod(view, method.c_str());
        }
    }
    return false;
}

QKeySequence MainMenuActions::keySequence(const MainMenu::Item& item) {
    if (item.keyEquivalent.size() != 1) {
        return {};
    }
    const auto c = static_cast<unsigned char>(item.keyEquivalent.front());
    if (c < 0x20 || c > 0x7e) {
        return {};
    }
    // Printable ASCII keys have their upper-case character's code.
    const auto key = static_cast<Qt::Key>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    Qt::KeyboardModifiers modifiers;
    if (item.modifierMask & MainMenu::commandMask) {
        modifiers |= Qt::ControlModifier;
    }
    if (item.modifierMask & MainMenu::shiftMask) {
        modifiers |= Qt::ShiftModifier;
    }
    return QKeySequence(QKeyCombination(modifiers, key));
}

} // namespace pellacor::app
