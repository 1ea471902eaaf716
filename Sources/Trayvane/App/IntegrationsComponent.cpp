#include "Trayvane/App/IntegrationsComponent.h"

#include "Trayvane/Integrations/CoordinatorTarget.h"
#include "Trayvane/Integrations/ExternalControl.h"
#include "Trayvane/Integrations/ProfileEditorLink.h"

#include <utility>

namespace pellacor::app {

IntegrationsComponent::IntegrationsComponent(std::weak_ptr<coordinator::Coordinator> coordinator,
                                             std::weak_ptr<ProfileEditor> editor,
                                             std::shared_ptr<SettingsStore> store)
    : externalControl_(std::make_shared<ExternalControl>(
          std::make_shared<CoordinatorTarget>(std::move(coordinator)),
          std::make_shared<ProfileEditorLink>(std::move(editor)), std::move(store))) {}

// Released without its termination (a test's), it leaves no way in behind.
IntegrationsComponent::~IntegrationsComponent() {
    takeDown();
}

void IntegrationsComponent::openEntryPoint(const std::vector<std::string>& waiting) {
    ExternalControl::publish(externalControl_);
    for (const auto& url : waiting) {
        externalControl_->open(url);
    }
}

bool IntegrationsComponent::isEntryPointOpen() const {
    return ExternalControl::shared() == externalControl_;
}

void IntegrationsComponent::open(const std::string& url) {
    externalControl_->open(url);
}

void IntegrationsComponent::takeDown() {
    if (isEntryPointOpen()) {
        ExternalControl::clearShared();
    }
}

} // namespace pellacor::app
