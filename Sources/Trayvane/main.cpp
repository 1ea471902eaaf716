// The program on the demo desktop. This is the one place that knows the
// platform is simulated: it builds the simulated computer (kept between runs
// under $XDG_STATE_HOME/pellacor/desktop) and the window that shows it, and
// hands the program the platform's interfaces through its entry point.
//
//   pellacor [--scenario FILE] [--update-connect-to HOST:PORT:ADDRESS:PORT] [URL…]
//
// One program runs per user. A process started while one runs hands its URLs
// (the desktop's delivery of the program's scheme, "pellacor://reveal") to
// it over the local socket of InstanceServer and ends with status 0; started
// with no URL it asks the running one to show itself again. Otherwise it
// becomes that program, and its own URLs run once start-up has ended.
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
#include "MenuBarCore/Integrations/InstanceRequest.h"
#include "MenuBarCore/Integrations/UrlComponents.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarSystem/Support/MainQueue.h"
#include "Platform/ProcessLauncher.h"
#include "Platform/Simulated/Scenario.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Trayvane/App/EntryPoint.h"
#include "Trayvane/App/PanelsComponent.h"
#include "Trayvane/App/QtTranslations.h"
#include "Trayvane/App/SignalPipe.h"
#include "Trayvane/Integrations/InstanceAddress.h"
#include "Trayvane/Integrations/InstanceClient.h"
#include "Trayvane/Integrations/InstanceRequests.h"
#include "Trayvane/Integrations/InstanceServer.h"
#include "Trayvane/MainMenu/MainMenuActions.h"
#include "Trayvane/Onboarding/PermissionGuideWindowController.h"
#include "Trayvane/SimulatedEnvironment.h"

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

using namespace pellacor;

namespace {

constexpr int usageStatus = 2;

void printUsage(std::FILE* to) {
    std::fprintf(
        to,
        "usage: pellacor [--scenario FILE] [--update-connect-to HOST:PORT:ADDRESS:PORT] [URL...]\n"
        "  --scenario FILE  start the demo desktop from this scenario (JSON) instead of the built-in one\n"
        "  --update-connect-to HOST:PORT:ADDRESS:PORT\n"
        "                   the update check connects to ADDRESS:PORT when it asks HOST:PORT (the\n"
        "                   name it asks for and checks stays HOST)\n"
        "  URL              a command of the program's scheme, such as pellacor://reveal?all=1; handed\n"
        "                   to the program that runs already, else run once this one has started\n");
}

// How long a process handing its URLs over waits for the running program's
// answer, and for a program that is busy or just starting to take it.
constexpr auto handOverLimit = std::chrono::seconds(5);
constexpr auto handOverPatience = std::chrono::seconds(10);

// Hands the URLs to the program that runs already, trying again while it is
// busy (and, with `waitForListener`, while no program of this user listens
// yet). Nothing when none runs; else the status this process ends with.
std::optional<int> handOver(const std::filesystem::path& socket, const std::vector<std::string>& urls,
                            bool waitForListener) {
    app::InstanceClient::Patience patience;
    patience.limit = handOverPatience;
    patience.waitForListener = waitForListener;
    const auto result =
        app::InstanceClient::askWaiting(socket, core::InstanceRequest::open(urls), handOverLimit, patience);
    if (std::holds_alternative<core::InstanceReply>(result)) {
        return 0;
    }
    switch (std::get<app::InstanceClient::Failure>(result)) {
    case app::InstanceClient::Failure::noInstance:
        return std::nullopt;
    case app::InstanceClient::Failure::stranger:
        // Told nothing; the socket is replaced once this process holds the lock.
        std::fprintf(stderr, "pellacor: %s is served by another user; nothing was handed to it\n",
                     socket.c_str());
        return std::nullopt;
    case app::InstanceClient::Failure::busy:
        std::fprintf(stderr,
                     "pellacor: the running program was busy with other connections for %lld s; the URLs "
                     "were not handed over\n",
                     static_cast<long long>(handOverPatience.count()));
        return 1;
    case app::InstanceClient::Failure::timedOut:
        std::fprintf(stderr, "pellacor: the running program did not answer in time\n");
        return 1;
    case app::InstanceClient::Failure::broken:
        std::fprintf(stderr, "pellacor: the running program broke off the connection\n");
        return 1;
    }
    return 1;
}

// What the command line asks for. `kept` are the arguments a relaunch
// starts with: the same, less the URLs, which ran once.
struct Arguments {
    std::optional<std::string> scenarioFile;
    std::vector<std::string> updateConnectTo;
    std::vector<std::string> urls;
    std::vector<const char*> kept;
};

// Either what a step made, or the status the process ends with at once.
template <typename T> using OrStatus = std::variant<T, int>;

OrStatus<Arguments> readArguments(int argc, char** argv) {
    Arguments arguments;
    arguments.kept.push_back(argv[0]);
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!argument.starts_with("-") && core::UrlComponents::schemeOf(argument)) {
            arguments.urls.push_back(argument);
            continue;
        }
        arguments.kept.push_back(argv[i]);
        if (argument == "--scenario" && i + 1 < argc) {
            arguments.kept.push_back(argv[i + 1]);
            arguments.scenarioFile = argv[++i];
        } else if (argument == "--update-connect-to" && i + 1 < argc) {
            arguments.kept.push_back(argv[i + 1]);
            arguments.updateConnectTo.emplace_back(argv[++i]);
        } else if (argument == "--help" || argument == "-h") {
            printUsage(stdout);
            return 0;
        } else if (argument.starts_with("--scenario=")) {
            arguments.scenarioFile = argument.substr(std::strlen("--scenario="));
        } else if (!argument.starts_with("-") || argument == "--scenario" ||
                   argument == "--update-connect-to") {
            printUsage(stderr);
            return usageStatus;
        }
        // Other options (Qt's own, such as -platform) are Qt's to read.
    }
    return arguments;
}

// The scenario comes first, so a bad file is refused before anything is made.
OrStatus<platform::Scenario> loadScenario(const std::optional<std::string>& file) {
    if (!file) {
        return platform::Scenario::defaultScenario();
    }
    auto loaded = platform::Scenario::load(*file);
    if (const auto* error = std::get_if<platform::ScenarioError>(&loaded)) {
        std::fprintf(stderr, "pellacor: %s\n", error->message.c_str());
        return usageStatus;
    }
    auto scenario = std::get<platform::Scenario>(std::move(loaded));
    // Without it the program would have no application for its items and
    // could show nothing on the bar.
    if (scenario.addProgramWhenMissing()) {
        std::fprintf(stderr, "pellacor: the scenario has no application %s; it is added, running\n",
                     std::string(core::bundleIdentifier).c_str());
    }
    return scenario;
}

// One program per user: the one that runs already takes the URLs, else this
// process claims the socket and becomes the program.
OrStatus<std::shared_ptr<app::InstanceServer>> claimInstance(const std::vector<std::string>& urls) {
    const auto folder = app::InstanceAddress::folder();
    if (!folder) {
        std::fprintf(stderr, "pellacor: no folder for the program's socket\n");
        return 1;
    }
    if (const auto problem = app::InstanceAddress::prepare(*folder)) {
        std::fprintf(stderr, "pellacor: %s\n", problem->c_str());
        return 1;
    }
    const auto socket = app::InstanceAddress::socketPath(*folder);
    if (const auto status = handOver(socket, urls, false)) {
        return *status;
    }
    app::InstanceServer::Options options;
    options.folder = *folder;
    auto claim = app::InstanceServer::claim(std::move(options));
    if (std::holds_alternative<app::InstanceServer::Taken>(claim)) {
        // Another process is becoming the program right now.
        if (const auto status = handOver(socket, urls, true)) {
            return *status;
        }
        std::fprintf(stderr, "pellacor: another pellacor is starting but does not listen\n");
        return 1;
    }
    if (const auto* error = std::get_if<std::string>(&claim)) {
        std::fprintf(stderr, "pellacor: %s\n", error->c_str());
        return 1;
    }
    return std::get<std::shared_ptr<app::InstanceServer>>(std::move(claim));
}

void saveDesktop(const demo::DesktopStateFolder& state, const platform::SimulatedPlatform& platform) {
    if (!state.save(platform)) {
        std::fprintf(stderr, "pellacor: cannot save the desktop's grants and login item in %s\n",
                     state.settingsFile().c_str());
    }
}

// The program's own bundle starts anew as a new process of this executable.
// The grants given meanwhile are kept first, so the new process finds them.
void installProgramStarter(const std::shared_ptr<platform::SimulatedPlatform>& platform,
                           const platform::ProcessLauncher& launcher, const demo::DesktopStateFolder& state,
                           std::shared_ptr<app::InstanceServer>& instance) {
    platform->workspaceOpener()->setProgramStarter(
        [&launcher, &state, &instance,
         weak = std::weak_ptr<platform::SimulatedPlatform>(platform)]() -> std::optional<std::int64_t> {
            if (const auto strong = weak.lock()) {
                saveDesktop(state, *strong);
            }
            // The new process becomes the program: this one stops listening first.
            instance.reset();
            const auto started = launcher.start();
            if (!started.started()) {
                return started.error;
            }
            return std::nullopt;
        });
}

// The window that shows the simulated desktop, and what the desktop relays
// to the program: its hot keys, its wish for the next launch.
void setUpDesktopWindow(QApplication& application, demo::DesktopWindow& window, demo::HotKeyRelay& hotKeys,
                        demo::DesktopStateFolder& state) {
    // The desktop around the program is none of the program's windows.
    window.setProperty(app::MainMenuActions::outsideProgramProperty, true);
    window.setWindowTitle(QStringLiteral("Pellacor — demo desktop"));
    QObject::connect(&window, &demo::DesktopWindow::closed, &application, [] { QApplication::quit(); });
    // The program's hot keys work whichever window has the keyboard.
    application.installEventFilter(&hotKeys);
    QObject::connect(&window.controls(), &demo::ControlsPanel::shiftAtNextLaunchChanged, &application,
                     [&state](bool held) {
                         if (!state.setShiftAtNextLaunch(held)) {
                             std::fprintf(stderr, "pellacor: cannot keep the wish for the next launch\n");
                         }
                     });
}

// SIGUSR2 prints the report, SIGUSR1 presses the permission guide's relaunch
// button, SIGINT and SIGTERM quit.
void watchSignals(QApplication& application, QSocketNotifier& notifier, app::AppDelegate* const& program,
                  const std::function<void()>& report) {
    QObject::connect(&notifier, &QSocketNotifier::activated, &application, [&program, report] {
        const auto signal = app::SignalPipe::next();
        if (!signal) {
            return;
        }
        if (*signal == SIGUSR2) {
            report();
            return;
        }
        if (*signal == SIGUSR1) {
            // One new instance, however often it is asked for before this one ends.
            if (program != nullptr && program->hasLaunched()) {
                program->panels().permissionGuide().model().relaunch();
            }
            return;
        }
        QApplication::quit();
    });
}

// The process's end, as on the real system, ends every restriction it held:
// one still activating when the run loop stopped could not be ended a second
// time. One it never ended at all is a fault of its termination, and said.
void reportEnd(const platform::SimulatedPlatform& platform, const std::function<void()>& report) {
    if (const int left = platform.restrictionService()->holderEnded(); left > 0) {
        std::fprintf(stderr, "pellacor: the program ended with %d restriction(s) still in force\n", left);
    }
    report();
}

// The program on the simulated desktop, from the application object to the
// end of its event loop; answers the process's status.
int runOnDesktop(int argc, char** argv, const Arguments& arguments, const platform::Scenario& scenario,
                 demo::DesktopStateFolder& state, std::shared_ptr<app::InstanceServer> instance) {
    // Taken before Qt removes its own options from the arguments.
    const auto launcher =
        platform::ProcessLauncher::ownProgram(static_cast<int>(arguments.kept.size()), arguments.kept.data());
    QApplication application(argc, argv);
    QApplication::setApplicationName("Pellacor");
    // Qt's own words (the file dialogs', the standard buttons') in the program's language.
    if (!app::QtTranslations::useProgramLanguage()) {
        std::fprintf(stderr,
                     "pellacor: Qt's Japanese translations are not in %s (Debian's qt6-translations-l10n); "
                     "Qt's own words stay English\n",
                     app::QtTranslations::folder().c_str());
    }
    concurrency::QtExecutor executor;
    auto platform = std::make_shared<platform::SimulatedPlatform>(scenario);
    // The desktop's notifications are the main thread's, whichever thread changed it.
    app::AppDelegate::Environment environment = app::simulatedEnvironment(executor, *platform);
    // Keys the person holds as the program starts are the simulated user's.
    platform->input()->setModifierFlags(
        platform->input()->modifierFlags() |
        demo::KeyCodes::modifierFlags(QGuiApplication::queryKeyboardModifiers()));
    installProgramStarter(platform, launcher, state, instance);
    if (!app::SignalPipe::install({SIGINT, SIGTERM, SIGUSR1, SIGUSR2})) {
        std::fprintf(stderr, "pellacor: cannot watch for termination signals\n");
        return 1;
    }
    demo::DesktopWindow window(platform);
    demo::HotKeyRelay hotKeys(platform);
    setUpDesktopWindow(application, window, hotKeys, state);
    const auto report = [&platform, &window] {
        const std::string text = demo::DesktopReport::of(*platform, window.view());
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
    };
    QSocketNotifier signalNotifier(app::SignalPipe::readEnd(), QSocketNotifier::Read);
    app::AppDelegate* program = nullptr;
    watchSignals(application, signalNotifier, program, report);
    window.show();

    // The other processes' requests reach the delegate once it is made; its
    // URL intake queues them until start-up has ended.
    app::InstanceRequests requests(
        executor,
        [&program](std::vector<std::string> handed, std::size_t received) {
            if (program == nullptr) {
                return;
            }
            if (received == 0) {
                program->applicationShouldHandleReopen(false);
            } else {
                program->open(std::move(handed), received);
            }
        },
        app::IntentGate::clockOf(executor));
    instance->start(executor, requests.handler());

    environment.place = [&window](core::Point topDown) { return window.view().globalPosition(topDown); };
    environment.updateTransport.connectTo = arguments.updateConnectTo;
    const int status =
        app::EntryPoint::run(std::move(environment), [&program, &arguments](app::AppDelegate* made) {
            program = made;
            if (made != nullptr && !arguments.urls.empty()) {
                made->open(arguments.urls);
            }
        });
    // Nobody is served once the program has ended.
    instance.reset();
    reportEnd(*platform, report);
    saveDesktop(state, *platform);
    return status;
}

} // namespace

// The steps: the arguments, the instance, the desktop, the program.
int main(int argc, char** argv) {
    auto read = readArguments(argc, argv);
    if (const auto* status = std::get_if<int>(&read)) {
        return *status;
    }
    const auto& arguments = std::get<Arguments>(read);
    auto loaded = loadScenario(arguments.scenarioFile);
    if (const auto* status = std::get_if<int>(&loaded)) {
        return *status;
    }
    const auto location = demo::DesktopStateFolder::location();
    if (!location) {
        std::fprintf(stderr, "pellacor: neither XDG_STATE_HOME nor HOME is an absolute path\n");
        return 1;
    }
    auto claimed = claimInstance(arguments.urls);
    if (const auto* status = std::get_if<int>(&claimed)) {
        return *status;
    }
    auto& scenario = std::get<platform::Scenario>(loaded);
    demo::DesktopStateFolder state(*location);
    if (std::string problem; !state.prepare(scenario, &problem)) {
        std::fprintf(stderr, "pellacor: cannot prepare the desktop's state under %s: %s\n", location->c_str(),
                     problem.c_str());
        return 1;
    }
    return runOnDesktop(argc, argv, arguments, scenario, state,
                        std::get<std::shared_ptr<app::InstanceServer>>(std::move(claimed)));
}
