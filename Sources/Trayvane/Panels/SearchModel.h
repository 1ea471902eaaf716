#pragma once

#include "MenuBarCore/Planning/BelowBarEntry.h"
#include "MenuBarCore/Planning/SearchCandidate.h"
#include "MenuBarCore/Planning/SearchList.h"
#include "MenuBarCore/Support/Observers.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace pellacor::app {

// What the search panel shows: the candidates with their applications' names,
// the query typed so far and the selected row of the results. Plain C++ (no
// Qt), so every rule here is tested without a display. Observers are told of
// each property that really changed, after the model is consistent again.
// Main thread only.
class SearchModel {
public:
    using NameFunction = std::function<std::string(const std::string& bundleID)>;
    // The observed properties.
    enum class Property { query, selection, candidates, names };

    // `name` gives an application's display name by bundle identifier; it is
    // asked once per application whenever the candidates change.
    explicit SearchModel(NameFunction name);

    const std::string& query() const { return query_; }
    // A different text puts the selection back on the first row, even when
    // the results stay the same; the same text changes nothing.
    void setQuery(std::string query);
    // An index into `results()`; 0 at first.
    int selection() const { return selection_; }
    void setSelection(int selection);
    const std::vector<core::SearchCandidate>& candidates() const { return candidates_; }
    // Replaces the candidates and looks up their applications' names afresh;
    // the selection and the query stay as they are.
    void setCandidates(std::vector<core::SearchCandidate> candidates);
    // Display name per bundle identifier of the current candidates.
    const std::map<std::string, std::string>& names() const { return names_; }

    // The candidates that match the query, best first, computed anew on every
    // read from the current query and candidates. The candidates' names were
    // folded when the candidates were set, so a read folds only the query.
    std::vector<core::SearchCandidate> results() const;
    // The name a row shows: the looked-up name, or the bundle identifier.
    std::string displayName(const std::string& bundleID) const;

    // Candidates re-read while the panel is open: nothing when the list is
    // unchanged; otherwise the selected item (by bundle identifier and index)
    // stays selected when it is still among the results, else the first row.
    void update(std::vector<core::SearchCandidate> candidates);
    // Moves the selection by `step` rows, stopping at the first and the last
    // (no wrap-around); 0 with no results.
    void move(int step);
    // Selects the first result equal to the candidate; nothing when it is not listed.
    void select(const core::SearchCandidate& candidate);
    // Hands the selected result's entry to `onPress`; nothing without one.
    void submit();

    std::function<void(const core::BelowBarEntry&)> onPress;
    std::function<void()> onCancel;

    core::Observers<Property> observers;

private:
    struct Changes {
        bool names = false;
        bool candidates = false;
        bool selection = false;
    };
    // Stores the candidates, their names and their folded form, telling nobody.
    Changes assign(std::vector<core::SearchCandidate> candidates);
    void announce(const Changes& changes);

    NameFunction name_;
    std::string query_;
    int selection_ = 0;
    std::vector<core::SearchCandidate> candidates_;
    std::map<std::string, std::string> names_;
    // The candidates with their names folded; rebuilt with them.
    core::SearchList::Prepared prepared_;
};

} // namespace pellacor::app
