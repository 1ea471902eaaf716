#pragma once

#include <QApplication>

namespace pellacor::bench {

// The one QApplication the widget benchmarks share, on the offscreen platform
// unless another is asked for, so they run without a display.
inline QApplication& offscreenApplication() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "pellacor_bench";
    static char* argv[] = {name, nullptr};
    static auto* application = new QApplication(argc, argv);
    return *application;
}

} // namespace pellacor::bench
