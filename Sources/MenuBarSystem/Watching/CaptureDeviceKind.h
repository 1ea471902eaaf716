#pragma once

namespace pellacor::system {

// The kinds of capture device, in the order in which they are gone through.
enum class CaptureDeviceKind { camera, microphone };

} // namespace pellacor::system
