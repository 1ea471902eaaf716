#include "Trayvane/Panels/SearchModel.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace pellacor::app {

SearchModel::SearchModel(NameFunction name) : name_(std::move(name)) {}

void SearchModel::setQuery(std::string query) {
    if (query == query_) {
        return;
    }
    query_ = std::move(query);
    const bool selectionChanged = selection_ != 0;
    selection_ = 0;
    observers.notify(Property::query);
    if (selectionChanged) {
        observers.notify(Property::selection);
    }
}

void SearchModel::setSelection(int selection) {
    observers.assign(selection_, selection, Property::selection);
}

void SearchModel::setCandidates(std::vector<core::SearchCandidate> candidates) {
    const Changes changes = assign(std::move(candidates));
    announce(changes);
}

SearchModel::Changes SearchModel::assign(std::vector<core::SearchCandidate> candidates) {
    std::map<std::string, std::string> names;
    for (const auto& candidate : candidates) {
        const std::string& bundleID = candidate.entry.bundleID;
        if (!names.contains(bundleID)) {
            names.emplace(bundleID, name_ ? name_(bundleID) : bundleID);
        }
    }
    Changes changes;
    changes.names = names != names_;
    changes.candidates = candidates != candidates_;
    names_ = std::move(names);
    candidates_ = std::move(candidates);
    // Folded here, once per list, with the names just looked up.
    prepared_ = core::SearchList::prepare(
        candidates_, [this](const std::string& bundleID) { return displayName(bundleID); });
    return changes;
}

void SearchModel::announce(const Changes& changes) {
    // Names first, then the candidates, then the selection; each observer
    // already sees the model as a whole.
    if (changes.names) {
        observers.notify(Property::names);
    }
    if (changes.candidates) {
        observers.notify(Property::candidates);
    }
    if (changes.selection) {
        observers.notify(Property::selection);
    }
}

std::vector<core::SearchCandidate> SearchModel::results() const {
    return core::SearchList::filter(prepared_, query_);
}

std::string SearchModel::displayName(const std::string& bundleID) const {
    const auto found = names_.find(bundleID);
    return found == names_.end() ? bundleID : found->second;
}

void SearchModel::update(std::vector<core::SearchCandidate> candidates) {
    if (candidates == candidates_) {
        return;
    }
    std::optional<std::string> remembered;
    if (const auto before = results();
        selection_ >= 0 && static_cast<std::size_t>(selection_) < before.size()) {
        remembered = before[static_cast<std::size_t>(selection_)].entry.id();
    }
    Changes changes = assign(std::move(candidates));
    int selection = 0;
    if (remembered) {
        const auto after = results();
        const auto found = std::find_if(after.begin(), after.end(), [&remembered](const auto& candidate) {
            return candidate.entry.id() == *remembered;
        });
        if (found != after.end()) {
            selection = static_cast<int>(found - after.begin());
        }
    }
    changes.selection = selection != selection_;
    selection_ = selection;
    announce(changes);
}

void SearchModel::move(int step) {
    const auto count = static_cast<int>(results().size());
    if (count == 0) {
        setSelection(0);
        return;
    }
    const int target = selection_ + step;
    setSelection(target < 1 ? 0 : std::min(target, count - 1));
}

void SearchModel::select(const core::SearchCandidate& candidate) {
    const auto listed = results();
    const auto found = std::find(listed.begin(), listed.end(), candidate);
    if (found != listed.end()) {
        setSelection(static_cast<int>(found - listed.begin()));
    }
}

void SearchModel::submit() {
    const auto listed = results();
    if (selection_ < 0 || static_cast<std::size_t>(selection_) >= listed.size() || !onPress) {
        return;
    }
    onPress(listed[static_cast<std::size_t>(selection_)].entry);
}

} // namespace pellacor::app
