#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/OffMain.h"
#include "Concurrency/Sleep.h"
#include "Concurrency/Task.h"
#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Support/UpdateCheck.h"
#include "MenuBarSystem/Safety/HangWatchdog.h"
#include "MenuBarSystem/Safety/HealthCheck.h"
#include "Platform/PlatformServices.h"
#include "Trayvane/App/LayoutFolderPanel.h"
#include "Trayvane/Composition/CoordinatorComposition.h"
#include "Trayvane/Integrations/RuleApps.h"
#include "Trayvane/Support/UpdateTransport.h"

#include <QPoint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace pellacor::app {

// What the process hands the program: the main executor, the platform's
// interfaces and the facts of the main bundle. Whoever runs the program
// fills it; nothing else in the program learns which platform lies below.
// Every component is made from it.
struct ProgramEnvironment {
    concurrency::MainExecutor* executor = nullptr;
    platform::PlatformServices platform;
    // The identifier the main bundle reports; nothing when it reports none.
    std::optional<std::string> bundleIdentifier;
    // Where the main bundle lies, and the folder that stands for "/Applications".
    std::filesystem::path bundleURL;
    std::filesystem::path applicationsFolder = system::HealthCheck::applicationsFolderPath;
    // Where a point of the screens, top-down (origin at the first screen's
    // top left, y down), lies on the real screen: the program's menus,
    // panels and windows go there. The identity unless given.
    std::function<QPoint(core::Point)> place;
    // The state document; the default file when empty.
    std::filesystem::path stateFile;
    // Ends the application through its normal termination; the application's own quit unless given.
    std::function<void()> terminate;

    // The watchdog's timing and effects, and whether start-up starts it (a
    // test that keeps its process may leave it stopped); an unset `post`
    // pings the executor for as long as the engine lives.
    system::HangWatchdog::Environment watchdog;
    bool startWatchdog = true;
    // Where icons are rendered; unset: the icon store's utility queue.
    concurrency::OffMain iconRuns;
    // The queues of the services' blocking work (the program's own unless
    // given), where the presser's calls run (on its queue unless given), and
    // a look at the composed services before the coordinator is built from
    // them, for a test that wraps them.
    std::optional<CoordinatorComposition::Queues> queues;
    concurrency::OffMain presserRuns;
    std::function<void(CoordinatorComposition&)> composed;
    // The panel that asks for the layout folder; unset: the real file dialog.
    LayoutFolderPanel::Runner layoutFolderPanel;
    // The sleep of the timed waits (the permission guide's grace delay, the
    // rules' quiet time after application events); the runtime's unless given.
    concurrency::Sleep sleep;
    // The open panel that picks an application for a new rule; unset: the real file dialog.
    RuleApps::Panel applicationPanel;
    // Hands a URL (a mail draft, the download page) to the desktop's
    // handler; true only says it was handed on. Unset: the desktop's own.
    std::function<bool(const std::string& url)> openURL;
    // Puts plain text on the clipboard in place of what was there; unset: Qt's clipboard.
    std::function<void(const std::string& text)> copyText;
    // How the update check reaches its host; the system's way unless given.
    UpdateTransport updateTransport;
    // The update check's fetch; unset: one request to the update host over `updateTransport`.
    std::function<concurrency::Task<core::UpdateCheck::FetchOutcome>()> updateFetch;

    // `given` with the program's own `place`, sleep, file dialogs, URL
    // handler and clipboard wherever it leaves them unset. The watchdog's
    // `post` and the update fetch are completed by the engine and the
    // support windows, which own what those hold.
    static ProgramEnvironment completed(ProgramEnvironment given);
};

} // namespace pellacor::app
