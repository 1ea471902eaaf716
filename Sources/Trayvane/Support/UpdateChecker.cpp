#include "Trayvane/Support/UpdateChecker.h"

#include <cstddef>
#include <curl/curl.h>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace pellacor::app {

using core::NetworkError;
using core::UpdateCheck;
using Outcome = UpdateCheck::FetchOutcome;
using Clock = std::chrono::steady_clock;

namespace {

// What one exchange has seen so far; the callbacks run on the request's thread.
struct Exchange {
    std::string body;
    bool headSeen = false; // a final (non-1xx) response head has ended
    bool refused = false;  // we stopped the transfer: a status or a body we do not take
    bool idledOut = false; // nothing moved for longer than the idle time-out
    Clock::duration idle{};
    Clock::time_point lastActivity = Clock::now();
    curl_off_t lastDown = 0;
    curl_off_t lastUp = 0;
    CURL* handle = nullptr;
    const std::atomic<bool>* abandoned = nullptr;
};

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& exchange = *static_cast<Exchange*>(user);
    const std::size_t length = size * count;
    exchange.lastActivity = Clock::now();
    const std::string_view line(data, length);
    if (line == "\r\n" || line == "\n") {
        long status = 0;
        curl_easy_getinfo(exchange.handle, CURLINFO_RESPONSE_CODE, &status);
        if (status >= 200) {
            exchange.headSeen = true;
            // Anything but 200 is no answer, and its body is never read.
            if (status != 200) {
                exchange.refused = true;
                return 0;
            }
        }
    }
    return length;
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& exchange = *static_cast<Exchange*>(user);
    const std::size_t length = size * count;
    exchange.lastActivity = Clock::now();
    // The cap holds while reading, so an endless answer costs at most this much.
    if (exchange.body.size() + length > UpdateCheck::maxBodyBytes) {
        exchange.refused = true;
        return 0;
    }
    exchange.body.append(data, length);
    return length;
}

int onProgress(void* user, curl_off_t, curl_off_t down, curl_off_t, curl_off_t up) {
    auto& exchange = *static_cast<Exchange*>(user);
    if (exchange.abandoned != nullptr && exchange.abandoned->load()) {
        return 1;
    }
    const auto now = Clock::now();
    if (down != exchange.lastDown || up != exchange.lastUp) {
        exchange.lastDown = down;
        exchange.lastUp = up;
        exchange.lastActivity = now;
    }
    if (now - exchange.lastActivity > exchange.idle) {
        exchange.idledOut = true;
        return 1;
    }
    return 0;
}

// libcurl's failures before a response head, in the program's own kinds.
NetworkError::Code codeOf(CURLcode code) {
    using Code = NetworkError::Code;
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return Code::cannotFindHost;
    case CURLE_COULDNT_CONNECT:
        return Code::cannotConnectToHost;
    case CURLE_OPERATION_TIMEDOUT:
        return Code::timedOut;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_USE_SSL_FAILED:
        return Code::secureConnectionFailed;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
        return Code::unsupportedURL;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_GOT_NOTHING:
        return Code::badServerResponse;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
        return Code::networkConnectionLost;
    case CURLE_ABORTED_BY_CALLBACK:
        return Code::cancelled;
    default:
        return Code::unknown;
    }
}

void initialiseOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct HandleDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

curl_slist* append(curl_slist* list, const std::string& line) {
    curl_slist* next = curl_slist_append(list, line.c_str());
    return next != nullptr ? next : list;
}

long milliseconds(std::chrono::duration<double> d) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    return ms < 1 ? 1L : static_cast<long>(ms);
}

// Exactly these three headers beside the Host line curl writes itself: the
// user agent is the product name alone, and no Accept-Encoding is offered.
std::unique_ptr<curl_slist, ListDeleter> requestHeaders() {
    curl_slist* list = nullptr;
    list = append(list, "Accept: application/json");
    list = append(list, "User-Agent: " + std::string(UpdateChecker::userAgent));
    list = append(list, "Accept-Language: *");
    return std::unique_ptr<curl_slist, ListDeleter>(list);
}

std::unique_ptr<curl_slist, ListDeleter> connectTargets(const UpdateTransport& transport) {
    curl_slist* targets = nullptr;
    for (const auto& entry : transport.connectTo) {
        targets = append(targets, entry);
    }
    return std::unique_ptr<curl_slist, ListDeleter>(targets);
}

// A plain HTTPS GET of `url` that follows no redirect.
void setRequest(CURL* h, const std::string& url, curl_slist* headers) {
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    // A handle of its own per check, with no cookie engine and no connection
    // shared with anything: nothing of one check reaches the next.
    curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L);
}

void setLimits(CURL* h, std::chrono::duration<double> timeout) {
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, milliseconds(timeout));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, milliseconds(timeout * 2));
}

void setCallbacks(CURL* h, Exchange& exchange) {
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &exchange);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &exchange);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &exchange);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
}

// Only what the transport asks for: another address to connect to, other
// certificates to trust, no proxy.
void setTransport(CURL* h, const UpdateTransport& transport, curl_slist* connectTo) {
    if (!transport.connectTo.empty()) {
        curl_easy_setopt(h, CURLOPT_CONNECT_TO, connectTo);
    }
    if (transport.trustedCertificates) {
        curl_blob blob{};
        blob.data = const_cast<char*>(transport.trustedCertificates->data());
        blob.len = transport.trustedCertificates->size();
        blob.flags = CURL_BLOB_COPY;
        curl_easy_setopt(h, CURLOPT_CAINFO_BLOB, &blob);
        curl_easy_setopt(h, CURLOPT_CAPATH, nullptr);
    }
    if (transport.bypassProxies) {
        curl_easy_setopt(h, CURLOPT_PROXY, "");
        curl_easy_setopt(h, CURLOPT_NOPROXY, "*");
    }
}

// After the head every failure is no answer; before it, only the connection
// failures say the server was out of reach.
Outcome failureOutcome(CURLcode result, const Exchange& exchange) {
    if (exchange.headSeen || exchange.refused) {
        return Outcome::noAnswer();
    }
    NetworkError error;
    error.code = exchange.idledOut ? NetworkError::Code::timedOut : codeOf(result);
    error.detail = curl_easy_strerror(result);
    return UpdateCheck::isUnreachable(error) ? Outcome::unreachable() : Outcome::noAnswer();
}

// A finished exchange: a version only from a 200 that reads as the answer document.
Outcome answerOutcome(CURL* h, const Exchange& exchange) {
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status != 200) {
        return Outcome::noAnswer();
    }
    char* type = nullptr;
    curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &type);
    const std::optional<std::string> contentType =
        type != nullptr ? std::optional<std::string>(type) : std::nullopt;
    if (!UpdateCheck::looksLikeUpdateResponse(contentType, exchange.body)) {
        return Outcome::noAnswer();
    }
    const auto version = UpdateCheck::parse(exchange.body);
    return version ? Outcome::version(*version) : Outcome::noAnswer();
}

} // namespace

UpdateChecker::UpdateChecker(std::string host, std::chrono::duration<double> timeout,
                             UpdateTransport transport, std::shared_ptr<concurrency::SerialQueue> queue)
    : host_(std::move(host)), timeout_(timeout), transport_(std::move(transport)), queue_(std::move(queue)) {}

concurrency::Task<Outcome> UpdateChecker::fetchLatestVersion() const {
    return fetch(host_, timeout_, transport_, queue_);
}

concurrency::Task<Outcome> UpdateChecker::fetch(std::string host, std::chrono::duration<double> timeout,
                                                UpdateTransport transport,
                                                std::shared_ptr<concurrency::SerialQueue> queue) {
    const auto url = UpdateCheck::url(host);
    if (!url || !queue) {
        co_return Outcome::noAnswer();
    }
    auto job = [address = *url, timeout, transport] { return fetchBlocking(address, timeout, transport); };
    auto outcome = co_await queue->run(std::move(job));
    co_return outcome;
}

Outcome UpdateChecker::fetchBlocking(const std::string& url, std::chrono::duration<double> timeout,
                                     const UpdateTransport& transport) {
    initialiseOnce();
    std::unique_ptr<CURL, HandleDeleter> handle(curl_easy_init());
    if (!handle) {
        return Outcome::noAnswer();
    }
    CURL* h = handle.get();
    Exchange exchange;
    exchange.handle = h;
    exchange.idle = std::chrono::duration_cast<Clock::duration>(timeout);
    exchange.abandoned = transport.abandoned.get();
    if (exchange.abandoned != nullptr && exchange.abandoned->load()) {
        return Outcome::noAnswer();
    }
    // Both lists stay with the handle until the exchange is over.
    const std::unique_ptr<curl_slist, ListDeleter> headers = requestHeaders();
    const std::unique_ptr<curl_slist, ListDeleter> connectTo = connectTargets(transport);
    setRequest(h, url, headers.get());
    setLimits(h, timeout);
    setCallbacks(h, exchange);
    setTransport(h, transport, connectTo.get());

    const CURLcode result = curl_easy_perform(h);
    if (result != CURLE_OK) {
        return failureOutcome(result, exchange);
    }
    return answerOutcome(h, exchange);
}

} // namespace pellacor::app
