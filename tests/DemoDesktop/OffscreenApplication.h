#pragma once

#include <QApplication>
#include <QStyleHints>

namespace pellacor::testing {

// One application object for every widget test of the executable, on the
// offscreen platform unless another is asked for. It is never destroyed: Qt's
// own statics are gone by the time a static object's destructor would run.
// The text caret does not blink in these tests: a picture of a window with a
// text field, taken at any moment, shows the caret as every other picture of
// it does.
inline QApplication& offscreenApplication() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "DemoDesktopTests";
    static char* argv[] = {name, nullptr};
    static auto* application = [] {
        auto* made = new QApplication(argc, argv);
        QGuiApplication::styleHints()->setCursorFlashTime(0);
        return made;
    }();
    return *application;
}

} // namespace pellacor::testing
