#include "Trayvane/App/EntryPoint.h"

#include <QApplication>
#include <QTimer>
#include <utility>

namespace pellacor::app {

int EntryPoint::run(AppDelegate::Environment environment, const std::function<void(AppDelegate*)>& running) {
    const auto& input = environment.platform.inputState;
    const bool held = modifierHeld(input ? input->modifierFlags() : 0);
    if (!environment.terminate) {
        environment.terminate = [] { QCoreApplication::quit(); };
    }
    auto delegate = AppDelegate::create(std::move(environment), held);

    // An accessory application: no Dock icon (Linux has no Dock), and no
    // window of its own keeps it running or ends it; it runs until asked to quit.
    QApplication::setQuitOnLastWindowClosed(false);

    AppDelegate* made = delegate.get();
    const auto terminating = QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp,
                                              [made] { made->applicationWillTerminate(); });
    // Launching has finished once the event loop runs.
    QTimer::singleShot(0, qApp, [made] { made->applicationDidFinishLaunching(); });
    if (running) {
        running(made);
    }
    QApplication::exec();
    QObject::disconnect(terminating);
    if (running) {
        running(nullptr);
    }
    delegate.reset();
    return 0;
}

} // namespace pellacor::app
