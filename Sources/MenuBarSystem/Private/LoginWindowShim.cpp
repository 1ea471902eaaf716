#include "MenuBarSystem/Private/LoginWindowShim.h"

#include <string>

namespace pellacor::system {

std::optional<LoginWindowShim>
LoginWindowShim::load(const std::shared_ptr<platform::RuntimeLoader>& runtime) {
    if (!runtime) {
        return std::nullopt;
    }
    const auto library =
        runtime->openLibrary(std::string(libraryPath), platform::RuntimeLoader::BindingMode::now);
    if (!library) {
        return std::nullopt;
    }
    auto function = runtime->lookUpFunction(*library, std::string(switchSymbol));
    if (!function) {
        return std::nullopt;
    }
    return LoginWindowShim{std::move(function)};
}

} // namespace pellacor::system
