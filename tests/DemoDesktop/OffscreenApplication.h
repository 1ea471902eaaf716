#pragma once

#include <QApplication>

namespace pellacor::testing {

// One application object for every widget test of the executable, on the
// offscreen platform unless another is asked for. It is never destroyed: Qt's
// own statics are gone by the time a static object's destructor would run.
inline QApplication& offscreenApplication() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "DemoDesktopTests";
    static char* argv[] = {name, nullptr};
    static auto* application = new QApplication(argc, argv);
    return *application;
}

} // namespace pellacor::testing
