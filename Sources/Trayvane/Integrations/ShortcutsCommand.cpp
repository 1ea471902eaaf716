#include "Trayvane/Integrations/ShortcutsCommand.h"

#include "MenuBarCore/Integrations/IntentProblem.h"
#include "Trayvane/Integrations/Intents/CollapseIntent.h"
#include "Trayvane/Integrations/Intents/PauseIntent.h"
#include "Trayvane/Integrations/Intents/ResumeIntent.h"
#include "Trayvane/Integrations/Intents/RevealIntent.h"
#include "Trayvane/Integrations/Intents/SwitchProfileIntent.h"
#include "Trayvane/Integrations/TrayvaneShortcuts.h"

#include <algorithm>

namespace pellacor::app {

using core::ExternalCommand;
using core::InstanceReply;
using core::InstanceRequest;
using core::IntentProblem;

namespace {

constexpr const IntentDescription* allIntents[] = {
    &RevealIntent::description, &CollapseIntent::description, &SwitchProfileIntent::description,
    &PauseIntent::description,  &ResumeIntent::description,
};

// A request to the program is one message of at most 64 KiB.
constexpr const char* tooLongText = "the text is too long to send (a request holds at most 64 KiB)";
constexpr const char* tooManyIDs = "too many ids to send (a request holds at most 64 KiB)";

void printProfiles(std::ostream& out, const std::vector<core::ProfileEntity>& profiles) {
    for (const auto& profile : profiles) {
        out << profile.id.uuidString() << '\t' << profile.title() << '\n';
    }
}

} // namespace

void ShortcutsCommand::printUsage(std::ostream& to) {
    to << "usage: pellacor-shortcuts phrases\n"
          "       pellacor-shortcuts intents\n"
          "       pellacor-shortcuts profiles [TEXT]\n"
          "       pellacor-shortcuts profiles --id ID [--id ID...]\n"
          "       pellacor-shortcuts run reveal [--all] | collapse | pause | resume\n"
          "       pellacor-shortcuts run switch-profile ID | NAME | --next\n"
          "  phrases   the ready-made shortcuts: phrase, short title, symbol, action\n"
          "  intents   the actions: name, title, parameter, summary\n"
          "  profiles  the profiles (id and name) whose name contains TEXT, all without it;\n"
          "            with --id, those with the ids\n"
          "  run       runs an action in the running program, waiting up to 30 s for it\n"
          "exit status: 0 done, 1 not done (the reason on standard error), 2 usage error\n";
}

int ShortcutsCommand::usage(const std::string& why) {
    err_ << "pellacor-shortcuts: " << why << '\n';
    printUsage(err_);
    return usageError;
}

int ShortcutsCommand::run(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return usage("no command given");
    }
    const std::string& command = arguments.front();
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    if (command == "--help" || command == "-h" || command == "help") {
        printUsage(out_);
        return succeeded;
    }
    if (command == "phrases" || command == "intents") {
        if (!rest.empty()) {
            return usage(command + " takes no arguments");
        }
        return command == "phrases" ? phrases() : intents();
    }
    if (command == "profiles") {
        return profiles(rest);
    }
    if (command == "run") {
        return action(rest);
    }
    return usage("unknown command: " + command);
}

int ShortcutsCommand::phrases() {
    for (const auto& shortcut : TrayvaneShortcuts::appShortcuts()) {
        out_ << shortcut.phrase() << '\t' << shortcut.shortTitle << '\t' << shortcut.systemImageName << '\t'
             << shortcut.intent->action << '\n';
    }
    return succeeded;
}

int ShortcutsCommand::intents() {
    for (const auto* intent : allIntents) {
        out_ << intent->action << '\t' << intent->title << '\t';
        if (const auto& parameter = intent->parameter) {
            out_ << parameter->name << ": " << parameter->type << " \"" << parameter->title << "\"";
            if (parameter->defaultValue) {
                out_ << " = " << *parameter->defaultValue;
            }
        } else {
            out_ << '-';
        }
        out_ << '\t' << intent->summary.value_or("-") << '\n';
    }
    return succeeded;
}

std::optional<InstanceReply> ShortcutsCommand::askOrSay(const InstanceRequest& request) {
    if (addressProblem_) {
        if (const auto problem = addressProblem_()) {
            err_ << "pellacor-shortcuts: " << *problem << '\n';
            return std::nullopt;
        }
    }
    const auto result = ask_(request);
    if (const auto* failure = std::get_if<InstanceClient::Failure>(&result)) {
        switch (*failure) {
        case InstanceClient::Failure::broken:
            err_ << "pellacor-shortcuts: the program broke off the connection\n";
            break;
        case InstanceClient::Failure::stranger:
            err_ << "pellacor-shortcuts: " << socketName_
                 << " is served by another user, so nothing was sent; the program itself did not answer\n";
            break;
        case InstanceClient::Failure::busy:
            err_ << "pellacor-shortcuts: the program was busy with other connections and turned the request "
                    "away until the wait ran out\n";
            break;
        case InstanceClient::Failure::noInstance:
        case InstanceClient::Failure::timedOut:
            // Nobody listened within the wait, or the answer did not come in time.
            err_ << IntentProblem::message(IntentProblem::Case::notReady) << '\n';
            break;
        }
        return std::nullopt;
    }
    const auto& reply = std::get<InstanceReply>(result);
    if (reply.problem) {
        err_ << IntentProblem::message(*reply.problem) << '\n';
        return std::nullopt;
    }
    if (reply.refused) {
        err_ << "pellacor-shortcuts: the program did not understand the request\n";
        return std::nullopt;
    }
    return reply;
}

int ShortcutsCommand::profiles(const std::vector<std::string>& arguments) {
    InstanceRequest::Profiles query;
    if (!arguments.empty() && arguments.front() == "--id") {
        query.mode = InstanceRequest::Profiles::Mode::identifiers;
        for (std::size_t i = 0; i < arguments.size(); i += 2) {
            if (arguments[i] != "--id" || i + 1 >= arguments.size()) {
                return usage("profiles --id takes an id after each --id");
            }
            const auto id = core::Uuid::parse(arguments[i + 1]);
            if (!id) {
                return usage("not a profile id: " + arguments[i + 1]);
            }
            query.ids.push_back(*id);
        }
    } else if (arguments.size() > 1) {
        return usage("profiles takes one text (quote it when it has spaces)");
    } else if (arguments.size() == 1 && arguments.front().starts_with("-")) {
        return usage("unknown option: " + arguments.front());
    } else {
        query.mode = InstanceRequest::Profiles::Mode::matching;
        query.text = arguments.empty() ? std::string() : arguments.front();
    }
    const bool byIDs = query.mode == InstanceRequest::Profiles::Mode::identifiers;
    const auto request = InstanceRequest::profiles(std::move(query));
    if (!request) {
        return usage(byIDs ? tooManyIDs : tooLongText);
    }
    const auto reply = askOrSay(*request);
    if (!reply) {
        return failed;
    }
    printProfiles(out_, reply->profiles.value_or(std::vector<core::ProfileEntity>{}));
    return succeeded;
}

int ShortcutsCommand::action(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return usage("run needs an action: reveal, collapse, switch-profile, pause or resume");
    }
    const std::string& name = arguments.front();
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    if (name == "switch-profile") {
        return switchProfile(rest);
    }
    std::optional<ExternalCommand::Case> which;
    bool all = false;
    if (name == "reveal") {
        which = ExternalCommand::Case::reveal;
        if (rest.size() == 1 && rest.front() == "--all") {
            all = true;
        } else if (!rest.empty()) {
            return usage("run reveal takes only --all");
        }
    } else if (name == "collapse" || name == "pause" || name == "resume") {
        which = InstanceRequest::action(name);
        if (!rest.empty()) {
            return usage("run " + name + " takes no arguments");
        }
    } else {
        return usage("unknown action: " + name);
    }
    return askOrSay(InstanceRequest::run(*which, all)) ? succeeded : failed;
}

int ShortcutsCommand::switchProfile(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) {
        return usage("run switch-profile takes one profile: its id, its name or --next");
    }
    const std::string& wanted = arguments.front();
    std::optional<core::Uuid> id = core::Uuid::parse(wanted);
    if (!id) {
        InstanceRequest::Profiles query;
        query.mode = InstanceRequest::Profiles::Mode::matching;
        if (wanted == "--next") {
            query.text.clear();
        } else if (wanted.starts_with("-")) {
            return usage("unknown option: " + wanted);
        } else {
            query.text = wanted;
        }
        const auto request = InstanceRequest::profiles(query);
        if (!request) {
            return usage(tooLongText);
        }
        const auto reply = askOrSay(*request);
        if (!reply) {
            return failed;
        }
        const auto profiles = reply->profiles.value_or(std::vector<core::ProfileEntity>{});
        if (profiles.empty()) {
            err_ << IntentProblem::message(IntentProblem::Case::unknownProfile) << '\n';
            return failed;
        }
        if (wanted == "--next") {
            // The one after the active profile, in choice order, round to the first.
            const auto active = std::find_if(profiles.begin(), profiles.end(), [&](const auto& profile) {
                return reply->activeProfile && profile.id == *reply->activeProfile;
            });
            const auto next =
                active == profiles.end() || active + 1 == profiles.end() ? profiles.begin() : active + 1;
            id = next->id;
        } else if (profiles.size() > 1) {
            err_ << "pellacor-shortcuts: several profiles match \"" << wanted << "\"; give one's id:\n";
            printProfiles(err_, profiles);
            return usageError;
        } else {
            id = profiles.front().id;
        }
    }
    return askOrSay(InstanceRequest::run(ExternalCommand::Case::switchProfile, false, id)) ? succeeded
                                                                                           : failed;
}

} // namespace pellacor::app
