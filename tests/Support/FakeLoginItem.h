#pragma once

#include "MenuBarSystem/Login/LoginItemControlling.h"

#include <vector>

namespace pellacor::testing {

// A login item whose status and registration answer a test sets; it records
// every registration asked for and every opening of the settings.
class FakeLoginItem final : public system::LoginItemControlling {
public:
    using Result = system::SystemResult<system::LoginItemStatus>;

    system::LoginItemStatus currentStatus = system::LoginItemStatus::notRegistered;
    // What `setEnabled` answers; an `ok` answer becomes the status too.
    Result answer = Result::ok(system::LoginItemStatus::enabled);

    std::vector<bool> setEnabledCalls;
    int settingsOpened = 0;

    system::LoginItemStatus status() const override { return currentStatus; }
    Result setEnabled(bool on) override {
        setEnabledCalls.push_back(on);
        if (auto status = answer.value()) {
            currentStatus = *status;
        }
        return answer;
    }
    void openSystemSettings() override { ++settingsOpened; }
};

} // namespace pellacor::testing
