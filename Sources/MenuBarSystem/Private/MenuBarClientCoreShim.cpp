#include "MenuBarSystem/Private/MenuBarClientCoreShim.h"

#include "MenuBarSystem/Private/AssessmentAssertionToken.h"
#include "MenuBarSystem/Private/MenuBarClientCoreNames.h"

namespace pellacor::system {

namespace {

using Names = MenuBarClientCoreNames;

bool hasArguments(const std::optional<platform::RuntimeMethod>& method, unsigned count) {
    return method && method->argumentCount == count;
}

} // namespace

std::shared_ptr<MenuBarClientCoreShim>
MenuBarClientCoreShim::load(std::shared_ptr<platform::RuntimeLoader> runtime) {
    if (!runtime) {
        return nullptr;
    }
    // The handle is never closed: the classes must stay as long as the process.
    if (!runtime->openLibrary(std::string(Names::libraryPath), platform::RuntimeLoader::BindingMode::now)) {
        return nullptr;
    }
    auto configurationClass = runtime->lookUpClass(std::string(Names::configurationClass));
    auto assertionClass = runtime->lookUpClass(std::string(Names::assertionClass));
    if (!configurationClass || !assertionClass ||
        !runtime->isSubclass(assertionClass, std::string(Names::rootClass))) {
        return nullptr;
    }
    const std::string allocSelector(Names::allocSelector);
    const std::string initSelector(Names::initSelector);
    const std::string activateSelector(Names::activateSelector);
    const std::string invalidateSelector(Names::invalidateSelector);

    // Argument counts include the receiver and the selector.
    auto alloc = runtime->classMethod(configurationClass, allocSelector);
    auto initialize = runtime->instanceMethod(configurationClass, initSelector);
    auto activate = runtime->instanceMethod(assertionClass, activateSelector);
    auto invalidate = runtime->instanceMethod(assertionClass, invalidateSelector);
    if (!hasArguments(alloc, 2) || !hasArguments(initialize, 4) || !hasArguments(activate, 4) ||
        !hasArguments(invalidate, 2)) {
        return nullptr;
    }
    if (!alloc->implementation || !initialize->implementation || !activate->implementation) {
        return nullptr;
    }

    std::shared_ptr<MenuBarClientCoreShim> shim(new MenuBarClientCoreShim());
    shim->runtime_ = std::move(runtime);
    shim->configurationClass_ = std::move(configurationClass);
    shim->assertionClass_ = std::move(assertionClass);
    shim->alloc_ = std::move(alloc->implementation);
    shim->initialize_ = std::move(initialize->implementation);
    shim->activateIMP_ = std::move(activate->implementation);
    shim->allocSelector_ = allocSelector;
    shim->initSelector_ = initSelector;
    shim->activateSelector_ = activateSelector;
    return shim;
}

platform::RuntimeObjectRef
MenuBarClientCoreShim::makeConfiguration(const std::vector<std::string>& allowedBundleIDs) const {
    auto allocated = alloc_(configurationClass_, allocSelector_, {});
    if (!allocated) {
        return nullptr;
    }
    std::vector<std::int64_t> systemItems(Names::allSystemItems.begin(), Names::allSystemItems.end());
    return initialize_(allocated, initSelector_, {std::move(systemItems), allowedBundleIDs});
}

std::shared_ptr<RestrictionToken>
MenuBarClientCoreShim::activate(const std::vector<std::string>& allowedBundleIDs, Completion onCompletion) {
    auto configuration = makeConfiguration(allowedBundleIDs);
    if (!configuration) {
        return nullptr;
    }
    auto assertion = runtime_->createInstance(assertionClass_);
    if (!assertion) {
        return nullptr;
    }
    // The block's first word is the activation's error (0 when the assertion
    // took effect); a failed activation must not pass for a restriction in
    // force. The second word carries nothing the program relies on.
    platform::CompletionBlock block = [onCompletion = std::move(onCompletion)](std::uint64_t error,
                                                                               std::uint64_t) {
        if (onCompletion) {
            onCompletion(error);
        }
    };
    activateIMP_(assertion, activateSelector_, {configuration, std::move(block)});
    return std::make_shared<AssessmentAssertionToken>(runtime_, std::move(assertion));
}

} // namespace pellacor::system
