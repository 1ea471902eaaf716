#pragma once

#include "MenuBarSystem/Private/RestrictionBackend.h"
#include "Platform/RuntimeLoader.h"

#include <memory>
#include <string>

namespace pellacor::system {

// The bridge to the private menu-bar framework, bound at run time: it makes a
// configuration of every system item plus the allowed bundle identifiers,
// creates an assertion and activates it. Main thread only.
class MenuBarClientCoreShim final : public RestrictionBackend {
public:
    // Binds the framework; null when the library, a class, a method, an
    // implementation is missing or a method takes another number of arguments.
    static std::shared_ptr<MenuBarClientCoreShim> load(std::shared_ptr<platform::RuntimeLoader> runtime);

    std::shared_ptr<RestrictionToken> activate(const std::vector<std::string>& allowedBundleIDs,
                                               Completion onCompletion) override;

private:
    MenuBarClientCoreShim() = default;

    platform::RuntimeObjectRef makeConfiguration(const std::vector<std::string>& allowedBundleIDs) const;

    std::shared_ptr<platform::RuntimeLoader> runtime_;
    platform::RuntimeObjectRef configurationClass_;
    platform::RuntimeObjectRef assertionClass_;
    platform::Implementation alloc_;
    platform::Implementation initialize_;
    platform::Implementation activateIMP_;
    std::string allocSelector_;
    std::string initSelector_;
    std::string activateSelector_;
};

} // namespace pellacor::system
