#include "Trayvane/Integrations/InstanceRequests.h"

#include "Concurrency/TaskHandle.h"
#include "Trayvane/Integrations/Intents/CollapseIntent.h"
#include "Trayvane/Integrations/Intents/PauseIntent.h"
#include "Trayvane/Integrations/Intents/ResumeIntent.h"
#include "Trayvane/Integrations/Intents/RevealIntent.h"
#include "Trayvane/Integrations/Intents/SwitchProfileIntent.h"
#include "Trayvane/Integrations/ProfileQuery.h"

#include <algorithm>

namespace pellacor::app {

using core::ExternalCommand;
using core::InstanceReply;
using core::InstanceRequest;

InstanceRequests::InstanceRequests(concurrency::MainExecutor& executor, OpenURLs open,
                                   IntentGate::Clock clock)
    : state_(std::make_shared<State>(State{executor, std::move(open), std::move(clock)})) {}

InstanceServer::Handler InstanceRequests::handler() const {
    return [weak = std::weak_ptr<State>(state_)](const InstanceRequest& request,
                                                 InstanceServer::Respond respond) {
        const auto state = weak.lock();
        if (!state) {
            // The program is ending: nobody is left to take the request in.
            respond(InstanceReply::failed(core::IntentProblem::Case::notReady));
            return;
        }
        handle(*state, request, std::move(respond));
    };
}

void InstanceRequests::handle(const InstanceRequest& request, InstanceServer::Respond respond) {
    handle(*state_, request, std::move(respond));
}

void InstanceRequests::handle(State& state, const InstanceRequest& request, InstanceServer::Respond respond) {
    if (const auto* open = std::get_if<InstanceRequest::Open>(&request.value())) {
        if (state.open) {
            state.open(open->urls, open->received);
        }
        // Taken in, which is all the other process waits for: what each URL
        // did is the log's to tell, as for the desktop's own delivery.
        respond(InstanceReply::done());
    } else if (const auto* run = std::get_if<InstanceRequest::Run>(&request.value())) {
        concurrency::spawn(state.executor, runAction(*run, state.clock, std::move(respond)),
                           "shortcut action");
    } else if (const auto* query = std::get_if<InstanceRequest::Profiles>(&request.value())) {
        concurrency::spawn(state.executor, answerProfiles(*query, state.clock, std::move(respond)),
                           "shortcut profiles");
    }
}

concurrency::Task<void> InstanceRequests::runAction(InstanceRequest::Run run, IntentGate::Clock clock,
                                                    InstanceServer::Respond respond) {
    IntentGate::Result result;
    switch (run.action) {
    case ExternalCommand::Case::reveal:
        result = co_await RevealIntent{run.all}.perform(std::move(clock));
        break;
    case ExternalCommand::Case::collapse:
        result = co_await CollapseIntent{}.perform(std::move(clock));
        break;
    case ExternalCommand::Case::pause:
        result = co_await PauseIntent{}.perform(std::move(clock));
        break;
    case ExternalCommand::Case::resume:
        result = co_await ResumeIntent{}.perform(std::move(clock));
        break;
    case ExternalCommand::Case::switchProfile: {
        // A request always names the profile; the name is not needed to switch.
        SwitchProfileIntent intent{{run.profile.value_or(core::Uuid{}), {}}};
        result = co_await intent.perform(std::move(clock));
        break;
    }
    }
    respond(result ? InstanceReply::failed(*result) : InstanceReply::done());
}

concurrency::Task<void> InstanceRequests::answerProfiles(InstanceRequest::Profiles query,
                                                         IntentGate::Clock clock,
                                                         InstanceServer::Respond respond) {
    const auto choices = co_await ProfileQuery::choices(std::move(clock));
    if (!choices) {
        respond(InstanceReply::failed(core::IntentProblem::Case::notReady));
        co_return;
    }
    InstanceReply reply;
    switch (query.mode) {
    case InstanceRequest::Profiles::Mode::suggested:
        reply.profiles = ProfileQuery::all(*choices);
        break;
    case InstanceRequest::Profiles::Mode::matching:
        reply.profiles = ProfileQuery::matching(*choices, query.text);
        break;
    case InstanceRequest::Profiles::Mode::identifiers:
        reply.profiles = ProfileQuery::withIDs(*choices, query.ids);
        break;
    }
    const auto active =
        std::find_if(choices->begin(), choices->end(), [](const ProfileChoice& c) { return c.isActive; });
    if (active != choices->end()) {
        reply.activeProfile = active->id;
    }
    respond(reply);
}

} // namespace pellacor::app
