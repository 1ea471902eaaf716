#pragma once

#include <string>
#include <vector>

namespace pellacor::app {

// The permission guide's fixed texts, each looked up once in the current locale.
struct PermissionGuideText {
    struct Step {
        int number = 0;
        std::string text;
        bool operator==(const Step&) const = default;
    };

    static const std::string& title();
    static const std::string& why();
    static const std::string& safe();
    static const std::string& waiting();
    static const std::string& grantedButStuck();
    // The four steps to the switch in System Settings, numbered 1 to 4.
    static const std::vector<Step>& steps();
};

} // namespace pellacor::app
