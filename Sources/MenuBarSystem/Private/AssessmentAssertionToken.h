#pragma once

#include "MenuBarSystem/Private/RestrictionToken.h"
#include "Platform/RuntimeLoader.h"

#include <memory>

namespace pellacor::system {

// The token of one assertion object of the private framework. Releasing it
// ends the assertion once, like an explicit invalidation. Main thread only.
class AssessmentAssertionToken final : public RestrictionToken {
public:
    AssessmentAssertionToken(std::shared_ptr<platform::RuntimeLoader> runtime,
                             platform::RuntimeObjectRef assertion);
    ~AssessmentAssertionToken() override;
    AssessmentAssertionToken(const AssessmentAssertionToken&) = delete;
    AssessmentAssertionToken& operator=(const AssessmentAssertionToken&) = delete;

    void invalidateOnce() override;
    void invalidateAgain() override;

private:
    void send();

    std::shared_ptr<platform::RuntimeLoader> runtime_;
    platform::RuntimeObjectRef assertion_;
    bool invalidated_ = false;
};

} // namespace pellacor::system
