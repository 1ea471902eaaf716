#pragma once

#include "Trayvane/MainMenu/MainMenu.h"

#include <QKeySequence>
#include <QObject>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QAction;
class QWidget;

namespace pellacor::app {

// The main menu's commands where Linux has no application menu bar: one
// action per command, added to every top-level window of the program (those
// shown already and every one shown later, menus and tooltips excepted), with
// its key equivalent as a shortcut of the window. So the keys work in every
// window of the program, and nowhere else: a window marked with
// `outsideProgramProperty` (the demo desktop's own view) gets none.
//
// An action goes where the menu's responder chain would send it
// (`MainMenu::target`): editing to the focused view, closing to the active
// window, quitting to the application, the rest to the application delegate,
// which wires them with `setDelegateAction`; until it does they are disabled
// and do nothing.
// Main thread; one instance for the run.
class MainMenuActions final : public QObject {
    Q_OBJECT

public:
    static constexpr const char* outsideProgramProperty = "pellacorOutsideProgram";

    // Builds the actions and starts adding them to the program's windows.
    explicit MainMenuActions(const MainMenu::Menu& menu, QObject* parent = nullptr);
    ~MainMenuActions() override;

    // The delegate's handler for one of its actions ("openSettings:").
    void setDelegateAction(const std::string& action, std::function<void()> handler);
    // Sends the action as its command would; false when nothing took it.
    bool perform(const std::string& action);

    // Adds the actions to a window now (shown windows get them on their own).
    void attach(QWidget* window);
    static bool isProgramWindow(const QWidget* widget);

    // The command's action, named "mainMenu:<method>" ("mainMenu:openSettings").
    QAction* action(const std::string& action) const;
    const std::vector<QAction*>& actions() const { return actions_; }

    // Command is the Control key here, as everywhere in the program.
    static QKeySequence keySequence(const MainMenu::Item& item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool performInFocusedView(const std::string& action);

    std::vector<QAction*> actions_;
    std::map<std::string, QAction*> byName_;
    std::map<std::string, std::function<void()>> delegateActions_;
};

} // namespace pellacor::app
