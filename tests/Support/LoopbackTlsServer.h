#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <string>
#include <thread>
#include <vector>

namespace pellacor::testing {

// A certificate authority and one server certificate made in memory, for a
// test host name.
struct TestCertificates {
    // A fresh CA and a certificate it signed for `hostName`.
    static TestCertificates make(const std::string& hostName);

    std::string caPem; // what a client is told to trust
    std::shared_ptr<X509> serverCertificate;
    std::shared_ptr<EVP_PKEY> serverKey;
};

// An HTTPS server on 127.0.0.1 for one test, in a thread of its own. It takes
// at most `maxConnections` connections, serves for at most `lifetime` and
// then stops by itself; destroying it stops it at once. However slowly a
// client on a busy machine says its part, the server waits for it within
// that lifetime, and a client that leaves in the middle only ends its own
// connection (the server's thread takes no SIGPIPE).
class LoopbackTlsServer {
public:
    struct Reply {
        enum class Mode {
            respond,        // write `bytes` and close
            silent,         // accept the connection, never say anything
            stallAfterHead, // write `bytes` (a head), then say nothing more
            endlessChunked, // write `bytes` (a chunked head), then chunks until the client leaves
        };
        Mode mode = Mode::respond;
        std::string bytes;
    };

    LoopbackTlsServer(const TestCertificates& certificates, std::function<Reply(int request)> reply,
                      int maxConnections = 4, std::chrono::milliseconds lifetime = std::chrono::seconds(60));
    LoopbackTlsServer(const LoopbackTlsServer&) = delete;
    LoopbackTlsServer& operator=(const LoopbackTlsServer&) = delete;
    ~LoopbackTlsServer();

    int port() const { return port_; }
    // The request heads received, in order.
    std::vector<std::string> requests() const;

    // A plain response with the given status line, headers and body.
    static std::string response(const std::string& status, const std::vector<std::string>& headers,
                                const std::string& body);

private:
    void serve();
    void handle(int fd);
    bool stopping() const;

    std::shared_ptr<SSL_CTX> context_;
    std::function<Reply(int)> reply_;
    int maxConnections_;
    std::chrono::steady_clock::time_point deadline_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens.
int closedLoopbackPort();

} // namespace pellacor::testing
