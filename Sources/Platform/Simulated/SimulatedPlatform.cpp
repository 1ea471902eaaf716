#include "Platform/Simulated/SimulatedPlatform.h"

namespace pellacor::platform {

SimulatedPlatform::SimulatedPlatform(const Scenario& scenario)
    : desktop_(std::make_shared<SimulatedDesktop>(scenario.screens, scenario.applications)),
      runtimeLoader_(std::make_shared<SimulatedRuntimeLoader>()),
      restrictionService_(SimulatedRestrictionService::create(desktop_)) {
    restrictionService_->install(*runtimeLoader_);
    for (const auto& fault : scenario.loaderFaults) {
        runtimeLoader_->apply(fault);
    }
    const auto& behaviour = scenario.restriction;
    restrictionService_->setCompletionMode(behaviour.completion, behaviour.delay);
    restrictionService_->setCompletionError(behaviour.completionError);
    restrictionService_->setRefusesConfiguration(behaviour.refusesConfiguration);
    restrictionService_->setActivatesAfterInvalidation(behaviour.activatesAfterInvalidation);
}

PlatformServices SimulatedPlatform::services() const {
    PlatformServices services;
    services.runtimeLoader = runtimeLoader_;
    return services;
}

} // namespace pellacor::platform
