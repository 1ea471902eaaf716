#pragma once

namespace pellacor::system {

// The handle of one menu-bar restriction assertion. Used on the main thread only.
class RestrictionToken {
public:
    virtual ~RestrictionToken() = default;
    // Ends the assertion unless this token already did.
    virtual void invalidateOnce() = 0;
    // Sends the end again even though it was sent already: an activation the
    // framework confirms after it was ended may have come alive regardless.
    virtual void invalidateAgain() = 0;
};

} // namespace pellacor::system
