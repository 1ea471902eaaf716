#pragma once

#include <string>

namespace pellacor::core {

// A failed network request in the program's own terms, whatever HTTP client
// made it. `urlLoading` errors carry one of the codes below; `other` stands
// for a failure that did not come from loading an address at all.
struct NetworkError {
    enum class Domain { urlLoading, other };
    enum class Code {
        notConnectedToInternet,
        cannotFindHost,
        cannotConnectToHost,
        timedOut,
        dnsLookupFailed,
        internationalRoamingOff,
        dataNotAllowed,
        callIsActive,
        cancelled,
        secureConnectionFailed,
        badServerResponse,
        networkConnectionLost,
        unsupportedURL,
        unknown,
    };

    Domain domain = Domain::urlLoading;
    Code code = Code::unknown;
    std::string detail; // the client's own words, for a log; never compared

    friend bool operator==(const NetworkError& a, const NetworkError& b) {
        return a.domain == b.domain && a.code == b.code;
    }
};

} // namespace pellacor::core
