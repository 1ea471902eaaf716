// The program on the demo desktop. This is the one place that knows the
// platform is simulated: it builds the simulated computer (kept between runs
// under $XDG_STATE_HOME/pellacor/desktop) and the window that shows it, and
// hands the program the platform's interfaces through its entry point.
//
//   pellacor [--scenario FILE]
//
// SIGINT and SIGTERM end the program through its normal termination, as
// closing the desktop's window does. Two signals belong to the demo stand-in:
// SIGUSR1 presses the permission guide's relaunch button from outside (the
// program shuts down in termination's order, a new process of the same
// executable with the same arguments starts, then this one ends normally),
// and SIGUSR2 prints what the desktop stands at (see DesktopReport), as it is
// printed once more at exit.
#include "Concurrency/Qt/QtExecutor.h"
#include "DemoDesktop/DesktopReport.h"
#include "DemoDesktop/DesktopStateFolder.h"
#include "DemoDesktop/DesktopWindow.h"
#include "DemoDesktop/HotKeyRelay.h"
#include "DemoDesktop/KeyCodes.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarSystem/Support/MainQueue.h"
#include "Platform/ProcessLauncher.h"
#include "Platform/Simulated/Scenario.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Trayvane/App/EntryPoint.h"
#include "Trayvane/MainMenu/MainMenuActions.h"
#include "Trayvane/SimulatedEnvironment.h"

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <variant>

using namespace pellacor;

namespace {

constexpr int usageStatus = 2;
// What the signal handler tells the event loop.
constexpr char terminateRequest = 1;
constexpr char relaunchRequest = 2;
constexpr char reportRequest = 3;
int signalPipe[2] = {-1, -1};

// The handler only wakes the event loop; the work is done there.
void onSignal(int signal) {
    const char byte = signal == SIGUSR1   ? relaunchRequest
                      : signal == SIGUSR2 ? reportRequest
                                          : terminateRequest;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

bool installSignals() {
    // Not inherited by a relaunched program.
    if (::pipe2(signalPipe, O_CLOEXEC) != 0) {
        return false;
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0 &&
           ::sigaction(SIGUSR1, &action, nullptr) == 0 && ::sigaction(SIGUSR2, &action, nullptr) == 0;
}

void printUsage(std::FILE* to) {
    std::fprintf(
        to,
        "usage: pellacor [--scenario FILE]\n"
        "  --scenario FILE  start the demo desktop from this scenario (JSON) instead of the built-in one\n");
}

} // namespace

int main(int argc, char** argv) {
    // The scenario comes first, so a bad file is refused before anything is made.
    std::optional<std::string> scenarioFile;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--scenario" && i + 1 < argc) {
            scenarioFile = argv[++i];
        } else if (argument == "--help" || argument == "-h") {
            printUsage(stdout);
            return 0;
        } else if (argument.starts_with("--scenario=")) {
            scenarioFile = argument.substr(std::strlen("--scenario="));
        } else if (!argument.starts_with("-") || argument == "--scenario") {
            printUsage(stderr);
            return usageStatus;
        }
        // Other options (Qt's own, such as -platform) are Qt's to read.
    }
    platform::Scenario scenario = platform::Scenario::defaultScenario();
    if (scenarioFile) {
        auto loaded = platform::Scenario::load(*scenarioFile);
        if (const auto* error = std::get_if<platform::ScenarioError>(&loaded)) {
            std::fprintf(stderr, "pellacor: %s\n", error->message.c_str());
            return usageStatus;
        }
        scenario = std::get<platform::Scenario>(std::move(loaded));
        // Without it the program would have no application for its items and
        // could show nothing on the bar.
        if (scenario.addProgramWhenMissing()) {
            std::fprintf(stderr, "pellacor: the scenario has no application %s; it is added, running\n",
                         std::string(core::bundleIdentifier).c_str());
        }
    }
    const auto location = demo::DesktopStateFolder::location();
    if (!location) {
        std::fprintf(stderr, "pellacor: neither XDG_STATE_HOME nor HOME is an absolute path\n");
        return 1;
    }
    demo::DesktopStateFolder state(*location);
    if (!state.prepare(scenario)) {
        std::fprintf(stderr, "pellacor: cannot make the desktop's folders under %s\n", location->c_str());
        return 1;
    }

    // Taken before Qt removes its own options from the arguments.
    const auto launcher = platform::ProcessLauncher::ownProgram(argc, argv);

    QApplication application(argc, argv);
    QApplication::setApplicationName("Pellacor");
    concurrency::QtExecutor executor;
    auto platform = std::make_shared<platform::SimulatedPlatform>(scenario);
    // The desktop's notifications are the main thread's, whichever thread changed it.
    app::AppDelegate::Environment environment = app::simulatedEnvironment(executor, *platform);
    // Keys the person holds as the program starts are the simulated user's.
    platform->input()->setModifierFlags(
        platform->input()->modifierFlags() |
        demo::KeyCodes::modifierFlags(QGuiApplication::queryKeyboardModifiers()));
    // The program's own bundle starts anew as a new process of this executable.
    // The grants given meanwhile are kept first, so the new process finds them.
    platform->workspaceOpener()->setProgramStarter(
        [&launcher, &state,
         weak = std::weak_ptr<platform::SimulatedPlatform>(platform)]() -> std::optional<std::int64_t> {
            if (const auto strong = weak.lock()) {
                state.save(*strong);
            }
            const auto started = launcher.start();
            if (!started.started()) {
                return started.error;
            }
            return std::nullopt;
        });
    if (!installSignals()) {
        std::fprintf(stderr, "pellacor: cannot watch for termination signals\n");
        return 1;
    }
    demo::DesktopWindow window(platform);
    // The desktop around the program is none of the program's windows.
    window.setProperty(app::MainMenuActions::outsideProgramProperty, true);
    window.setWindowTitle(QStringLiteral("Pellacor — demo desktop"));
    QObject::connect(&window, &demo::DesktopWindow::closed, &application, [] { QApplication::quit(); });
    // The program's hot keys work whichever window has the keyboard.
    demo::HotKeyRelay hotKeys(platform);
    application.installEventFilter(&hotKeys);
    QObject::connect(&window.controls(), &demo::ControlsPanel::shiftAtNextLaunchChanged, &application,
                     [&state](bool held) {
                         if (!state.setShiftAtNextLaunch(held)) {
                             std::fprintf(stderr, "pellacor: cannot keep the wish for the next launch\n");
                         }
                     });
    const auto report = [&platform, &window] {
        const std::string text = demo::DesktopReport::of(*platform, window.view());
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
    };

    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    app::AppDelegate* program = nullptr;
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &application, [&program, &report] {
        char byte = 0;
        if (::read(signalPipe[0], &byte, 1) != 1) {
            return;
        }
        if (byte == reportRequest) {
            report();
            return;
        }
        if (byte == relaunchRequest) {
            // One new instance, however often it is asked for before this one ends.
            if (program != nullptr) {
                program->permissionGuide().model().relaunch();
            }
            return;
        }
        QApplication::quit();
    });
    window.show();

    environment.place = [&window](core::Point topDown) { return window.view().globalPosition(topDown); };
    const int status =
        app::EntryPoint::run(std::move(environment), [&program](app::AppDelegate* made) { program = made; });
    // The program's process ends here, and with it, as on the real system,
    // every restriction it held: one still activating when the run loop
    // stopped could not be ended a second time. One it never ended at all is
    // a fault of its termination, and said.
    if (const int left = platform->restrictionService()->holderEnded(); left > 0) {
        std::fprintf(stderr, "pellacor: the program ended with %d restriction(s) still in force\n", left);
    }
    report();
    if (!state.save(*platform)) {
        std::fprintf(stderr, "pellacor: cannot save the desktop's grants\n");
    }
    return status;
}
