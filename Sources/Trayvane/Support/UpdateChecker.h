#pragma once

#include "Concurrency/SerialQueue.h"
#include "Concurrency/Task.h"
#include "MenuBarCore/Support/ProductInfo.h"
#include "MenuBarCore/Support/UpdateCheck.h"
#include "Trayvane/Support/UpdateTransport.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace pellacor::app {

// The program's one network request: an HTTPS GET of the answer document on
// the update host, turned into a fetch outcome. No redirect is followed, no
// cookie is kept or sent, nothing is cached, and the only thing it tells the
// server is the product name. One checker serves one check.
class UpdateChecker {
public:
    // `timeout` is the longest silence allowed while connecting or waiting for
    // data; the whole exchange may take twice as long. The request runs on
    // `queue` and its outcome comes back on the awaiting task's executor.
    UpdateChecker(std::string host, std::chrono::duration<double> timeout, UpdateTransport transport,
                  std::shared_ptr<concurrency::SerialQueue> queue);

    static constexpr std::string_view userAgent = core::ProductInfo::name;

    // Never fails: every failure is one of the two outcomes without a version.
    // An empty host gives `noAnswer` without a request.
    concurrency::Task<core::UpdateCheck::FetchOutcome> fetchLatestVersion() const;

    // The blocking exchange itself, on the calling thread.
    static core::UpdateCheck::FetchOutcome fetchBlocking(const std::string& url,
                                                         std::chrono::duration<double> timeout,
                                                         const UpdateTransport& transport);

private:
    static concurrency::Task<core::UpdateCheck::FetchOutcome>
    fetch(std::string host, std::chrono::duration<double> timeout, UpdateTransport transport,
          std::shared_ptr<concurrency::SerialQueue> queue);

    std::string host_;
    std::chrono::duration<double> timeout_;
    UpdateTransport transport_;
    std::shared_ptr<concurrency::SerialQueue> queue_;
};

} // namespace pellacor::app
