// The URL intake of the delegate: the URLs the desktop delivers, run through
// the integrations' external control while its entry point is open, queued
// before start-up opens it.
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/App/AppDelegate.h"
#include "Trayvane/App/IntegrationsComponent.h"

#include <algorithm>

namespace pellacor::app {

void AppDelegate::open(std::vector<std::string> urls) {
    const std::size_t received = urls.size();
    open(std::move(urls), received);
}

void AppDelegate::open(std::vector<std::string> urls, std::size_t received) {
    received = std::max(received, urls.size());
    if (received > urlsPerDelivery) {
        core::Log::app().notice("外から（URL）一度に {} 本届いたので、頭の {} 本だけ動かします", received,
                                urlsPerDelivery);
    }
    if (urls.size() > urlsPerDelivery) {
        urls.resize(urlsPerDelivery);
    }
    // Open from the end of start-up until termination begins.
    if (integrations_ && integrations_->isEntryPointOpen()) {
        for (const auto& url : urls) {
            integrations_->open(url);
        }
        return;
    }
    pendingURLs_.insert(pendingURLs_.end(), urls.begin(), urls.end());
    if (pendingURLs_.size() > urlsPerDelivery) {
        pendingURLs_.resize(urlsPerDelivery);
    }
}

} // namespace pellacor::app
