#pragma once

#include <string_view>

namespace pellacor::core {

// Facts about the program itself that several layers need.
inline constexpr std::string_view bundleIdentifier = "app.trayvane.pellacor";
inline constexpr std::string_view makerName = "Trayvane";
inline constexpr std::string_view updateHost = "updates.pellacor.app";
inline constexpr std::string_view makerWebHost = "pellacor.app";
inline constexpr std::string_view supportAddress = "support@pellacor.app";

} // namespace pellacor::core
