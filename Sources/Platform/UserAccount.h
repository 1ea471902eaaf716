#pragma once

#include <string>

namespace pellacor::platform {

// The logged-in user as the system's account database describes them. Any thread.
class UserAccount {
public:
    virtual ~UserAccount() = default;

    // The user's full name; the account name when the database holds none.
    virtual std::string fullUserName() const = 0;
    // The short account name.
    virtual std::string userName() const = 0;

protected:
    UserAccount() = default;
    UserAccount(const UserAccount&) = default;
    UserAccount& operator=(const UserAccount&) = default;
};

} // namespace pellacor::platform
