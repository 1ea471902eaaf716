// pellacor-shortcuts: the stand-in for the system's shortcuts. It reaches the
// running program over its local socket; see ShortcutsCommand for what it does.
#include "Trayvane/Integrations/InstanceAddress.h"
#include "Trayvane/Integrations/InstanceClient.h"
#include "Trayvane/Integrations/IntentGate.h"
#include "Trayvane/Integrations/ShortcutsCommand.h"

#include <chrono>
#include <iostream>
#include <string>
#include <vector>

using namespace pellacor;

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto folder = app::InstanceAddress::folder();
    const auto socket = folder ? app::InstanceAddress::socketPath(*folder) : std::filesystem::path();
    const auto ask = [&](const core::InstanceRequest& request) -> app::InstanceClient::Result {
        if (!folder) {
            return app::InstanceClient::Failure::noInstance;
        }
        using std::chrono::duration_cast;
        using std::chrono::milliseconds;
        app::InstanceClient::Patience patience;
        patience.limit = duration_cast<milliseconds>(app::IntentGate::waitLimit);
        patience.interval = duration_cast<milliseconds>(app::IntentGate::pollInterval);
        // The program may itself wait that long for its external control.
        const auto reply = patience.limit + std::chrono::seconds(5);
        return app::InstanceClient::askWaiting(socket, request, reply, patience);
    };
    // The folder is judged as the program judges it, before anything is sent.
    const auto problem = [&]() -> std::optional<std::string> {
        return folder ? app::InstanceAddress::prepare(*folder) : std::nullopt;
    };
    app::ShortcutsCommand command(ask, std::cout, std::cerr, socket.string(), problem);
    return command.run(arguments);
}
