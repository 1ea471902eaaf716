#pragma once

#include "MenuBarCore/Integrations/InstanceRequest.h"
#include "Trayvane/Integrations/InstanceClient.h"

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace pellacor::app {

// The command-line stand-in for the system's shortcuts (pellacor-shortcuts):
// lists the ready-made phrases and the actions, lists or matches the
// profiles, and runs an action against the running program, waiting for it
// to start as a shortcut would.
//
//   pellacor-shortcuts phrases | intents
//   pellacor-shortcuts profiles [TEXT] | profiles --id ID [--id ID...]
//   pellacor-shortcuts run reveal [--all] | collapse | pause | resume
//   pellacor-shortcuts run switch-profile ID | NAME | --next
//
// Ends with 0 when done, 1 with the problem's text on standard error, 2 for
// a usage error (a profile text or list of ids too long for one request
// among them).
class ShortcutsCommand {
public:
    static constexpr int succeeded = 0;
    static constexpr int failed = 1;
    static constexpr int usageError = 2;

    // One request to the running program and its reply (waiting for it as the gate does).
    using Ask = std::function<InstanceClient::Result(const core::InstanceRequest&)>;

    // Why the program's address may not be used (its folder is another
    // user's, say); nothing when it may. Asked before the first request.
    using AddressProblem = std::function<std::optional<std::string>()>;

    // `socketName` names the program's socket in what the command tells.
    ShortcutsCommand(Ask ask, std::ostream& out, std::ostream& err,
                     std::string socketName = "the program's socket", AddressProblem addressProblem = {})
        : ask_(std::move(ask)), out_(out), err_(err), socketName_(std::move(socketName)),
          addressProblem_(std::move(addressProblem)) {}

    // The arguments after the program's name; answers the exit status.
    int run(const std::vector<std::string>& arguments);

    static void printUsage(std::ostream& to);

private:
    int phrases();
    int intents();
    int profiles(const std::vector<std::string>& arguments);
    int action(const std::vector<std::string>& arguments);
    int switchProfile(const std::vector<std::string>& arguments);
    // Asks; on a failure or a problem says so and answers nothing.
    std::optional<core::InstanceReply> askOrSay(const core::InstanceRequest& request);
    int usage(const std::string& why);

    Ask ask_;
    std::ostream& out_;
    std::ostream& err_;
    std::string socketName_;
    AddressProblem addressProblem_;
};

} // namespace pellacor::app
