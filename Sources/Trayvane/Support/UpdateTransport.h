#pragma once

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
};

} // namespace pellacor::app
