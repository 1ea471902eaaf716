#pragma once

#include "Concurrency/MainExecutor.h"
#include "Trayvane/Integrations/InstanceServer.h"
#include "Trayvane/Integrations/IntentGate.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace pellacor::app {

// What the running program does with a request of another process: URLs go
// to the delegate's URL intake as the desktop's delivery of the scheme; an
// action or a profile question goes through the intent gate, as a shortcut
// of the system would, and its answer is the reply. Main thread.
class InstanceRequests {
public:
    // The delegate's intake: the URLs, and how many the other process was given.
    using OpenURLs = std::function<void(std::vector<std::string> urls, std::size_t received)>;

    InstanceRequests(concurrency::MainExecutor& executor, OpenURLs open, IntentGate::Clock clock);

    // The server's handler.
    void handle(const core::InstanceRequest& request, InstanceServer::Respond respond);
    InstanceServer::Handler handler();

private:
    static concurrency::Task<void> runAction(core::InstanceRequest::Run run, IntentGate::Clock clock,
                                             InstanceServer::Respond respond);
    static concurrency::Task<void> answerProfiles(core::InstanceRequest::Profiles query,
                                                  IntentGate::Clock clock, InstanceServer::Respond respond);

    concurrency::MainExecutor& executor_;
    OpenURLs open_;
    IntentGate::Clock clock_;
};

} // namespace pellacor::app
