// Any bytes as what another process sends the running program: the frame
// takes at most its limit, and a request or a reply decoded from the line
// encodes and decodes again to itself, so nothing it holds is lost or bent
// on the way.
#include "MenuBarCore/Integrations/InstanceReply.h"
#include "MenuBarCore/Integrations/InstanceRequest.h"
#include "MenuBarCore/Integrations/MessageFrame.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace pellacor::core;

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // Fed in two pieces, as a socket may hand them over.
    MessageFrame frame(1024);
    frame.append(bytes.substr(0, size / 2));
    frame.append(bytes.substr(size / 2));
    require(frame.message().size() < frame.limit());
    if (frame.state() == MessageFrame::State::complete) {
        require(bytes.substr(0, frame.message().size()) == frame.message());
    }

    if (const auto request = InstanceRequest::decode(bytes)) {
        require(InstanceRequest::decode(request->encoded()) == request);
    }
    if (const auto reply = InstanceReply::decode(bytes)) {
        require(InstanceReply::decode(reply->encoded()) == reply);
    }
    return 0;
}
