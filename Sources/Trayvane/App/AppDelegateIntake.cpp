// The URL entry point of the delegate: the external control built in
// start-up, published at its end, and the URLs the desktop delivers.
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/App/AppDelegate.h"
#include "Trayvane/Integrations/CoordinatorTarget.h"
#include "Trayvane/Integrations/ExternalControl.h"
#include "Trayvane/Integrations/ProfileEditorLink.h"

#include <algorithm>

namespace pellacor::app {

void AppDelegate::buildExternalControl() {
    // Not reachable from outside until start-up's end publishes it.
    externalControl_ = std::make_shared<ExternalControl>(
        std::make_shared<CoordinatorTarget>(coordinator_),
        std::make_shared<ProfileEditorLink>(settings_.profileEditor), settings_.settingsStore);
}

void AppDelegate::openUrlEntryPoint() {
    if (!externalControl_) {
        return;
    }
    ExternalControl::publish(externalControl_);
    auto taken = std::move(pendingURLs_);
    pendingURLs_.clear();
    for (const auto& url : taken) {
        externalControl_->open(url);
    }
}

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
    // Published from the end of start-up until termination begins.
    if (externalControl_ && ExternalControl::shared() == externalControl_) {
        for (const auto& url : urls) {
            externalControl_->open(url);
        }
        return;
    }
    pendingURLs_.insert(pendingURLs_.end(), urls.begin(), urls.end());
    if (pendingURLs_.size() > urlsPerDelivery) {
        pendingURLs_.resize(urlsPerDelivery);
    }
}

} // namespace pellacor::app
