#pragma once

namespace pellacor::system {

// Whether a camera or an audio input device is in use by any process.
struct CaptureUse {
    bool camera = false;
    bool microphone = false;

    bool inUse() const { return camera || microphone; }
    // The camera alone reveals everything; a microphone in use never does.
    bool revealsAll() const { return camera; }

    bool operator==(const CaptureUse&) const = default;
};

} // namespace pellacor::system
