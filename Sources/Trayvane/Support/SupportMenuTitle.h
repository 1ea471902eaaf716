#pragma once

#include <string>

namespace pellacor::app {

// The menu titles of the support entries, each localized once and then shared.
struct SupportMenuTitle {
    static const std::string& feedback();
    static const std::string& update();
    static const std::string& updateChecking();
};

} // namespace pellacor::app
