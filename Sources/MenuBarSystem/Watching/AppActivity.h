#pragma once

#include <string>

namespace pellacor::system {

// Something that happened to a running application.
class AppActivity {
public:
    enum class Kind {
        launched,
        terminated,
        activated, // became the frontmost (active) application
    };

    static AppActivity launched(std::string bundleID) {
        return AppActivity(Kind::launched, std::move(bundleID));
    }
    static AppActivity terminated(std::string bundleID) {
        return AppActivity(Kind::terminated, std::move(bundleID));
    }
    static AppActivity activated(std::string bundleID) {
        return AppActivity(Kind::activated, std::move(bundleID));
    }

    Kind kind() const { return kind_; }
    const std::string& bundleID() const { return bundleID_; }

    // Same case and bundle identifier.
    bool operator==(const AppActivity&) const = default;

private:
    AppActivity(Kind kind, std::string bundleID) : kind_(kind), bundleID_(std::move(bundleID)) {}

    Kind kind_;
    std::string bundleID_;
};

// For logs: "launched(com.example.app)".
std::string toString(const AppActivity& activity);

} // namespace pellacor::system
