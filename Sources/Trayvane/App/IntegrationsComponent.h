#pragma once

#include <memory>
#include <string>
#include <vector>

namespace pellacor::coordinator {
class Coordinator;
} // namespace pellacor::coordinator

namespace pellacor::app {

class ExternalControl;
class ProfileEditor;
class SettingsStore;

// The way in from outside the program's windows: the external control that
// carries out the URL commands and the shortcuts, over the coordinator and
// the profile editor (both weakly) and the state document. It is reachable
// from outside only while published: from the end of start-up
// (`openEntryPoint`) until termination begins (`takeDown`), or until this
// goes. Main thread.
class IntegrationsComponent {
public:
    IntegrationsComponent(std::weak_ptr<coordinator::Coordinator> coordinator,
                          std::weak_ptr<ProfileEditor> editor, std::shared_ptr<SettingsStore> store);
    ~IntegrationsComponent();
    IntegrationsComponent(const IntegrationsComponent&) = delete;
    IntegrationsComponent& operator=(const IntegrationsComponent&) = delete;

    // Publishes the external control, then runs the URLs that waited for it, in arrival order.
    void openEntryPoint(const std::vector<std::string>& waiting);
    bool isEntryPointOpen() const;
    // Runs one URL of the program's scheme.
    void open(const std::string& url);
    // URLs arriving from now on wait and never run; shortcuts end in "not ready".
    void takeDown();

    const std::shared_ptr<ExternalControl>& externalControl() const { return externalControl_; }

private:
    std::shared_ptr<ExternalControl> externalControl_;
};

} // namespace pellacor::app
