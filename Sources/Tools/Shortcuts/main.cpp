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
    const auto ask = [&folder](const core::InstanceRequest& request) -> app::InstanceClient::Result {
        if (!folder) {
            return app::InstanceClient::Failure::noInstance;
        }
        using std::chrono::duration_cast;
        using std::chrono::milliseconds;
        const auto wait = duration_cast<milliseconds>(app::IntentGate::waitLimit);
        // The program may itself wait that long for its external control.
        const auto reply = wait + std::chrono::seconds(5);
        return app::InstanceClient::askWaiting(app::InstanceAddress::socketPath(*folder), request, reply,
                                               wait,
                                               duration_cast<milliseconds>(app::IntentGate::pollInterval));
    };
    app::ShortcutsCommand command(ask, std::cout, std::cerr);
    return command.run(arguments);
}
