#include "MenuBarSystem/Private/AssessmentAssertionToken.h"

#include "MenuBarSystem/Private/MenuBarClientCoreNames.h"

#include <string>

namespace pellacor::system {

AssessmentAssertionToken::AssessmentAssertionToken(std::shared_ptr<platform::RuntimeLoader> runtime,
                                                   platform::RuntimeObjectRef assertion)
    : runtime_(std::move(runtime)), assertion_(std::move(assertion)) {}

AssessmentAssertionToken::~AssessmentAssertionToken() {
    invalidateOnce();
}

void AssessmentAssertionToken::invalidateOnce() {
    if (invalidated_) {
        return;
    }
    invalidated_ = true;
    send();
}

void AssessmentAssertionToken::invalidateAgain() {
    send();
}

void AssessmentAssertionToken::send() {
    const std::string selector(MenuBarClientCoreNames::invalidateSelector);
    // An assertion without the method gets nothing: there is nothing else to send.
    if (auto implementation = runtime_->methodImplementation(assertion_, selector)) {
        implementation(assertion_, selector, {});
    }
}

} // namespace pellacor::system
