#pragma once

#include "Platform/RuntimeLoader.h"

#include <memory>
#include <optional>
#include <string_view>

namespace pellacor::system {

// The private login framework's function that sends the user to the login
// window: no arguments, a signed 32-bit status, 0 on success.
struct LoginWindowShim {
    static constexpr std::string_view libraryPath = "/System/Library/PrivateFrameworks/login.framework/login";
    static constexpr std::string_view switchSymbol = "SACSwitchToLoginWindow";

    // Callable from any thread.
    platform::RuntimeLoader::StatusFunction switchFn;

    // Opens the library with immediate binding (the handle stays open for the
    // life of the process) and looks up the function; nothing when either is
    // missing, or without a loader.
    static std::optional<LoginWindowShim> load(const std::shared_ptr<platform::RuntimeLoader>& runtime);
};

} // namespace pellacor::system
