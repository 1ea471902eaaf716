#pragma once

#include "MenuBarCore/Planning/BelowBarEntry.h"
#include "MenuBarCore/Planning/SearchCandidate.h"
#include "Trayvane/Common/IconStore.h"
#include "Trayvane/Panels/SearchModel.h"
#include "Trayvane/Panels/SearchWindowing.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pellacor::app {

// The search panel's controller: opens the panel with the candidates, keeps
// an open panel's candidates current, closes it with a reason (each close
// logged once), and turns a press of a row into `onPress` after the panel has
// closed, unless an earlier press is still pending, in which case it beeps and
// leaves the panel as it is. Main thread only; the closures it hands the model
// and the window live no longer than it.
class SearchController {
public:
    // `icons` may be null (no prefetching); `beep` is the system's alert
    // sound, the application's beep when not given.
    SearchController(std::shared_ptr<SearchModel> model, std::shared_ptr<SearchWindowing> window,
                     std::shared_ptr<IconStore> icons, std::function<void()> beep = {});
    ~SearchController();
    SearchController(const SearchController&) = delete;
    SearchController& operator=(const SearchController&) = delete;

    // Called with the entry to press, after the panel has closed.
    std::function<void(const core::BelowBarEntry&)> onPress;
    // Called once the panel is open and key.
    std::function<void()> onOpen;
    // Whether an earlier press is still pending; not set counts as not busy.
    std::function<bool()> isBusy;

    // Opens the panel with these candidates, the query empty and the first row
    // selected; nothing while it is open.
    void show(std::vector<core::SearchCandidate> candidates);
    // Refreshes an open panel's candidates; nothing while closed.
    void update(std::vector<core::SearchCandidate> candidates);
    // Closes an open panel and logs the reason; nothing while closed.
    void close(const std::string& reason);

    bool isOpen() const { return isOpen_; }
    SearchModel& model() const { return *model_; }

private:
    void press(const core::BelowBarEntry& entry);
    void prefetch(const std::vector<core::SearchCandidate>& candidates);

    std::shared_ptr<SearchModel> model_;
    std::shared_ptr<SearchWindowing> window_;
    std::shared_ptr<IconStore> icons_;
    std::function<void()> beep_;
    bool isOpen_ = false;
};

} // namespace pellacor::app
