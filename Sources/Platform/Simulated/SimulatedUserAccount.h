#pragma once

#include "Platform/UserAccount.h"

#include <string>

namespace pellacor::platform {

// The simulated computer's logged-in user, as its scenario says.
class SimulatedUserAccount final : public UserAccount {
public:
    SimulatedUserAccount(std::string fullName, std::string accountName)
        : fullName_(std::move(fullName)), accountName_(std::move(accountName)) {}

    std::string fullUserName() const override { return fullName_.empty() ? accountName_ : fullName_; }
    std::string userName() const override { return accountName_; }

private:
    std::string fullName_;
    std::string accountName_;
};

} // namespace pellacor::platform
