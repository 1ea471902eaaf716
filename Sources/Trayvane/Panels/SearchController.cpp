#include "Trayvane/Panels/SearchController.h"

#include "MenuBarCore/Support/Log.h"

#include <QApplication>

namespace pellacor::app {

SearchController::SearchController(std::shared_ptr<SearchModel> model,
                                   std::shared_ptr<SearchWindowing> window, std::shared_ptr<IconStore> icons,
                                   std::function<void()> beep)
    : model_(std::move(model)), window_(std::move(window)), icons_(std::move(icons)), beep_(std::move(beep)) {
    if (!beep_) {
        beep_ = [] { QApplication::beep(); };
    }
    model_->onPress = [this](const core::BelowBarEntry& entry) { press(entry); };
    model_->onCancel = [this] { close("Esc"); };
    window_->onDismissedByUser = [this](const std::string& reason) { close(reason); };
}

SearchController::~SearchController() {
    model_->onPress = nullptr;
    model_->onCancel = nullptr;
    window_->onDismissedByUser = nullptr;
}

void SearchController::show(std::vector<core::SearchCandidate> candidates) {
    if (isOpen_) {
        return;
    }
    model_->setQuery("");
    const std::size_t count = candidates.size();
    model_->setCandidates(std::move(candidates));
    model_->setSelection(0);
    prefetch(model_->candidates());
    isOpen_ = true;
    const bool key = window_->present(model_);
    core::Log::app().info("検索の窓を出しました（候補 {} 個・キー {}・位置 {}）", count, key,
                          window_->frameDescription());
    if (!key) {
        core::Log::app().error("検索の窓がキーになれませんでした。閉じます");
        close("キーになれない");
        return;
    }
    if (onOpen) {
        onOpen();
    }
}

void SearchController::update(std::vector<core::SearchCandidate> candidates) {
    if (!isOpen_) {
        return;
    }
    model_->update(std::move(candidates));
    prefetch(model_->candidates());
}

void SearchController::close(const std::string& reason) {
    if (!isOpen_) {
        return;
    }
    isOpen_ = false;
    window_->dismiss();
    model_->setQuery("");
    model_->setSelection(0);
    core::Log::app().info("検索の窓を閉じました（{}）", reason);
}

void SearchController::press(const core::BelowBarEntry& entry) {
    if (!isOpen_) {
        return;
    }
    if (isBusy && isBusy()) {
        core::Log::app().notice("前に押したのを待っているので、検索の窓を残します（{}）", entry.bundleID);
        beep_();
        return;
    }
    // Copied: closing clears the query, and with it the results the entry may come from.
    const core::BelowBarEntry pressed = entry;
    close("押した");
    if (onPress) {
        onPress(pressed);
    }
}

void SearchController::prefetch(const std::vector<core::SearchCandidate>& candidates) {
    if (!icons_) {
        return;
    }
    std::vector<std::string> bundleIDs;
    bundleIDs.reserve(candidates.size());
    for (const auto& candidate : candidates) {
        bundleIDs.push_back(candidate.entry.bundleID);
    }
    icons_->prefetch(bundleIDs);
}

} // namespace pellacor::app
