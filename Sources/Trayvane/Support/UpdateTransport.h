#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellacor::app {

// How the update request reaches the network. The program uses the default:
// the system's trusted certificates and its proxy settings. A test points the
// request at a server of its own without changing the address it asks for:
// `connectTo` entries ("HOST:PORT:CONNECT-HOST:CONNECT-PORT") redirect the
// connection only, so the host name and the name sent in the handshake stay.
struct UpdateTransport {
    std::vector<std::string> connectTo;
    // PEM certificates to trust instead of the system's.
    std::optional<std::string> trustedCertificates;
    // Ignore every proxy setting of the environment.
    bool bypassProxies = false;
    // Set when the program quits: a request still waiting on a slow or silent
    // server gives up within about a second instead of holding the quit for
    // its whole time-out.
    std::shared_ptr<const std::atomic<bool>> abandoned;
};

} // namespace pellacor::app
