#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace pellacor::system {

// The names by which the private menu-bar framework is bound at run time.
struct MenuBarClientCoreNames {
    static constexpr std::string_view libraryPath =
        "/System/Library/PrivateFrameworks/MenuBarClientCore.framework/MenuBarClientCore";
    static constexpr std::string_view configurationClass = "MBAssessmentModeConfiguration";
    static constexpr std::string_view assertionClass = "MBAssessmentModeAssertion";
    static constexpr std::string_view rootClass = "NSObject";
    static constexpr std::string_view allocSelector = "alloc";
    static constexpr std::string_view initSelector = "initWithAllowedSystemItems:allowedBundleIdentifiers:";
    static constexpr std::string_view activateSelector = "activateWithConfiguration:completionHandler:";
    static constexpr std::string_view invalidateSelector = "invalidate";

    // Every system item number; all of them are always allowed.
    static constexpr std::array<std::int64_t, 64> allSystemItems = [] {
        std::array<std::int64_t, 64> numbers{};
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            numbers[i] = static_cast<std::int64_t>(i);
        }
        return numbers;
    }();
};

} // namespace pellacor::system
