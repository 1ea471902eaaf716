#include "Support/LoopbackTlsServer.h"

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <pthread.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace pellacor::testing {

namespace {

std::shared_ptr<EVP_PKEY> newKey() {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    if (key == nullptr) {
        throw std::runtime_error("no key");
    }
    return {key, EVP_PKEY_free};
}

void addExtension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (extension == nullptr) {
        throw std::runtime_error("bad extension");
    }
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

std::shared_ptr<X509> newCertificate(const std::string& commonName, EVP_PKEY* key, X509* issuer,
                                     EVP_PKEY* issuerKey, long serial) {
    std::shared_ptr<X509> certificate(X509_new(), X509_free);
    X509* x = certificate.get();
    X509_set_version(x, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(x), serial);
    X509_gmtime_adj(X509_getm_notBefore(x), -3600);
    X509_gmtime_adj(X509_getm_notAfter(x), 86400);
    X509_set_pubkey(x, key);
    X509_NAME* name = X509_get_subject_name(x);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0);
    X509* signer = issuer != nullptr ? issuer : x;
    X509_set_issuer_name(x, X509_get_subject_name(signer));
    if (issuer == nullptr) {
        addExtension(x, signer, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(x, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
        addExtension(x, signer, NID_subject_key_identifier, "hash");
    } else {
        addExtension(x, signer, NID_basic_constraints, "CA:FALSE");
        addExtension(x, signer, NID_subject_alt_name, ("DNS:" + commonName).c_str());
        addExtension(x, signer, NID_ext_key_usage, "serverAuth");
    }
    X509_sign(x, issuerKey != nullptr ? issuerKey : key, EVP_sha256());
    return certificate;
}

std::string pemOf(X509* certificate) {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), BIO_free);
    PEM_write_bio_X509(bio.get(), certificate);
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    return {data, static_cast<std::size_t>(length)};
}

// Waits until the peer closes the connection or the server stops.
void waitForClose(int fd, const std::function<bool()>& stopping) {
    while (!stopping()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) > 0) {
            char byte = 0;
            if (::recv(fd, &byte, 1, MSG_PEEK) <= 0) {
                return;
            }
            char sink[4096];
            if (::recv(fd, sink, sizeof sink, 0) <= 0) {
                return;
            }
        }
    }
}

// Runs one step of the TLS exchange (an accept, a read or a write) until it is
// done, as long as the server runs: the socket gives up a wait after a short
// while so that a stop is seen, and on a loaded machine the client may well
// take longer than that to say its part. Its result when done or failed;
// 0 when the server stopped first.
int untilDone(SSL* ssl, const std::function<bool()>& stopping, const std::function<int()>& step) {
    while (!stopping()) {
        const int result = step();
        if (result > 0) {
            return result;
        }
        const int error = SSL_get_error(ssl, result);
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) {
            return result;
        }
    }
    return 0;
}

} // namespace

TestCertificates TestCertificates::make(const std::string& hostName) {
    static long serial = 1;
    auto caKey = newKey();
    auto ca = newCertificate("Pellacor Test CA", caKey.get(), nullptr, nullptr, serial++);
    TestCertificates out;
    out.serverKey = newKey();
    out.serverCertificate = newCertificate(hostName, out.serverKey.get(), ca.get(), caKey.get(), serial++);
    out.caPem = pemOf(ca.get());
    return out;
}

LoopbackTlsServer::LoopbackTlsServer(const TestCertificates& certificates, std::function<Reply(int)> reply,
                                     int maxConnections, std::chrono::milliseconds lifetime)
    : context_(SSL_CTX_new(TLS_server_method()), SSL_CTX_free), reply_(std::move(reply)),
      maxConnections_(maxConnections), deadline_(std::chrono::steady_clock::now() + lifetime) {
    SSL_CTX_use_certificate(context_.get(), certificates.serverCertificate.get());
    SSL_CTX_use_PrivateKey(context_.get(), certificates.serverKey.get());
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 8) != 0) {
        throw std::runtime_error("cannot listen");
    }
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] {
        // A client that leaves in the middle (a handshake it aborts, an answer
        // it stops reading) turns the server's next write into SIGPIPE, which
        // would end the whole test program: on this thread it stays blocked,
        // and the write fails with EPIPE instead.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        serve();
    });
}

LoopbackTlsServer::~LoopbackTlsServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

std::vector<std::string> LoopbackTlsServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool LoopbackTlsServer::stopping() const {
    return stop_ || std::chrono::steady_clock::now() >= deadline_;
}

std::string LoopbackTlsServer::response(const std::string& status, const std::vector<std::string>& headers,
                                        const std::string& body) {
    std::string out = "HTTP/1.1 " + status + "\r\n";
    for (const auto& header : headers) {
        out += header + "\r\n";
    }
    out += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    return out;
}

void LoopbackTlsServer::serve() {
    int connections = 0;
    while (!stopping() && connections < maxConnections_) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) {
            continue;
        }
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        ++connections;
        handle(fd);
        ::close(fd);
    }
}

void LoopbackTlsServer::handle(int fd) {
    const auto stopping = [this] { return this->stopping(); };
    timeval wait{0, 200'000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    int index = 0;
    {
        std::lock_guard lock(mutex_);
        index = static_cast<int>(requests_.size());
    }
    // The reply is chosen by the request's number; a silent one never starts
    // the handshake.
    Reply reply = reply_(index);
    if (reply.mode == Reply::Mode::silent) {
        {
            std::lock_guard lock(mutex_);
            requests_.emplace_back();
        }
        waitForClose(fd, stopping);
        return;
    }
    std::unique_ptr<SSL, decltype(&SSL_free)> ssl(SSL_new(context_.get()), SSL_free);
    SSL_set_fd(ssl.get(), fd);
    SSL* const tls = ssl.get();
    if (untilDone(tls, stopping, [tls] { return SSL_accept(tls); }) != 1) {
        return;
    }
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536 && !stopping()) {
        const int n = untilDone(tls, stopping, [&] { return SSL_read(tls, buffer, sizeof buffer); });
        if (n <= 0) {
            return;
        }
        head.append(buffer, static_cast<std::size_t>(n));
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(head);
    }
    const auto write = [&](const std::string& bytes) {
        return untilDone(tls, stopping,
                         [&] { return SSL_write(tls, bytes.data(), static_cast<int>(bytes.size())); }) > 0;
    };
    if (!reply.bytes.empty() && !write(reply.bytes)) {
        return;
    }
    switch (reply.mode) {
    case Reply::Mode::respond:
        SSL_shutdown(tls);
        return;
    case Reply::Mode::stallAfterHead:
    case Reply::Mode::silent:
        waitForClose(fd, stopping);
        return;
    case Reply::Mode::endlessChunked: {
        const std::string chunk = "1000\r\n" + std::string(4096, ' ') + "\r\n";
        while (!stopping()) {
            if (!write(chunk)) {
                return;
            }
        }
        return;
    }
    }
}

int closedLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        // No free port to borrow: port 1 is as good as closed on loopback.
        ::close(fd);
        return 1;
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

} // namespace pellacor::testing
