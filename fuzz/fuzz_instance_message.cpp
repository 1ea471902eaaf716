// Any bytes as what another process sends the running program: the frame
// takes at most its limit, and a request or a reply decoded from the line
// encodes and decodes again to itself, so nothing it holds is lost or bent
// on the way. A NUL byte ends nothing: a line that holds one is no message.
// And whatever a sender makes of the bytes (URLs, a profile text, a list of
// ids, a list of profiles in a reply, each grown towards the limit) fits in
// the frame that reads it, or is not made at all.
#include "MenuBarCore/Integrations/InstanceReply.h"
#include "MenuBarCore/Integrations/InstanceRequest.h"
#include "MenuBarCore/Integrations/MessageFrame.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace pellacor::core;

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The bytes repeated to about `size` bytes, so a short input reaches the limit.
std::string grown(std::string_view bytes, std::size_t size) {
    std::string text;
    if (bytes.empty()) {
        return text;
    }
    while (text.size() < size) {
        text.append(bytes.substr(0, size - text.size()));
    }
    return text;
}

// A line that goes out must be whole in the frame that reads it.
void requireFits(const std::string& line, std::size_t limit) {
    MessageFrame frame(limit);
    require(frame.append(line + "\n") == MessageFrame::State::complete);
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

    const bool holdsNul = bytes.find('\0') != std::string_view::npos;
    const auto request = InstanceRequest::decode(bytes);
    const auto reply = InstanceReply::decode(bytes);
    require(!holdsNul || (!request && !reply));
    if (request) {
        require(InstanceRequest::decode(request->encoded()) == request);
        require(!InstanceRequest::decode(request->encoded() + '\0' + std::string(bytes)));
        if (size < InstanceRequest::sizeLimit) {
            requireFits(request->encoded(), InstanceRequest::sizeLimit);
        }
    }
    if (reply) {
        require(InstanceReply::decode(reply->encoded()) == reply);
        require(!InstanceReply::decode(reply->encoded() + '\0' + std::string(bytes)));
    }

    // Texts grown to the limit are slow to encode, so one input in sixteen
    // grows them; its second byte says how far past the limit they reach.
    if (size < 2 || data[0] % 16 != 0) {
        return 0;
    }
    const std::size_t reach = InstanceRequest::sizeLimit - 256 + data[1] * 4;
    const std::string text = grown(bytes, reach);
    // In pieces of 64 bytes or more, so one run stays quick.
    const std::size_t piece = 64 + (size > 2 ? data[2] : 0) * 16;
    std::vector<std::string> urls;
    for (std::size_t at = 0; at < text.size(); at += piece) {
        urls.push_back(text.substr(at, piece));
    }
    requireFits(InstanceRequest::open(urls).encoded(), InstanceRequest::sizeLimit);
    if (const auto query = InstanceRequest::profiles({InstanceRequest::Profiles::Mode::matching, text, {}})) {
        requireFits(query->encoded(), InstanceRequest::sizeLimit);
    }
    const Uuid id = *Uuid::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    // About as many ids as the limit holds, one more or less with the reach.
    std::vector<Uuid> ids(reach / 39, id);
    if (const auto query =
            InstanceRequest::profiles({InstanceRequest::Profiles::Mode::identifiers, {}, ids})) {
        requireFits(query->encoded(), InstanceRequest::sizeLimit);
    }

    // Profiles named by pieces of the text, more than a reply holds.
    InstanceReply listed;
    listed.profiles = std::vector<ProfileEntity>();
    for (const auto& name : urls) {
        listed.profiles->push_back({id, name});
    }
    requireFits(listed.encoded(), InstanceReply::sizeLimit);
    return 0;
}
