#pragma once

#include "Concurrency/MainExecutor.h"
#include "Trayvane/Integrations/InstanceServer.h"
#include "Trayvane/Integrations/IntentGate.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pellacor::app {

// What the running program does with a request of another process: URLs go
// to the delegate's URL intake as the desktop's delivery of the scheme; an
// action or a profile question goes through the intent gate, as a shortcut
// of the system would, and its answer is the reply. The server's handler
// holds what it needs weakly: a request that arrives after this object went
// is answered "not ready" and reaches nothing. Main thread.
class InstanceRequests {
public:
    // The delegate's intake: the URLs, and how many the other process was given.
    using OpenURLs = std::function<void(std::vector<std::string> urls, std::size_t received)>;

    InstanceRequests(concurrency::MainExecutor& executor, OpenURLs open, IntentGate::Clock clock);

    void handle(const core::InstanceRequest& request, InstanceServer::Respond respond);
    // The server's handler; safe to call after this object has gone.
    InstanceServer::Handler handler() const;

private:
    static concurrency::Task<void> runAction(core::InstanceRequest::Run run, IntentGate::Clock clock,
                                             InstanceServer::Respond respond);
    static concurrency::Task<void> answerProfiles(core::InstanceRequest::Profiles query,
                                                  IntentGate::Clock clock, InstanceServer::Respond respond);

    struct State {
        concurrency::MainExecutor& executor;
        OpenURLs open;
        IntentGate::Clock clock;
    };
    static void handle(State& state, const core::InstanceRequest& request, InstanceServer::Respond respond);

    std::shared_ptr<State> state_;
};

} // namespace pellacor::app
