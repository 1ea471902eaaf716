#pragma once

#include "MenuBarCore/Model/ItemSnapshot.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Planning/SearchCandidate.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::core {

// The search panel's list: every pressable item, filtered and ranked by a query
// against the application's display name.
class SearchList {
public:
    SearchList() = delete;

    using NameFunction = std::function<std::string(const std::string& bundleID)>;

    // The candidates with each one's display name and bundle identifier already
    // folded, so that a query typed key by key folds only itself.
    struct Prepared {
        std::vector<SearchCandidate> candidates;
        // Parallel to `candidates`.
        std::vector<std::u32string> names;
        std::vector<std::u32string> bundleIDs;
    };

    static std::vector<SearchCandidate> candidates(const std::vector<ItemSnapshot>& items,
                                                   const Profile& profile, std::string_view selfBundleID);

    // Keeps the candidates that match every term of the query and orders them by
    // their weakest term: name prefix (0), word start in the name (1), inside the
    // name (2), inside the bundle identifier (3); ties keep their input order.
    static std::vector<SearchCandidate> filter(const std::vector<SearchCandidate>& candidates,
                                               std::string_view query, const NameFunction& name);

    // Folds every candidate's name (by `name`) and bundle identifier once; an
    // application's name is asked for and folded once however many items it has.
    static Prepared prepare(std::vector<SearchCandidate> candidates, const NameFunction& name);
    // The same answer as `filter` over the candidates and the name function
    // they were prepared with.
    static std::vector<SearchCandidate> filter(const Prepared& prepared, std::string_view query);

    // Case, diacritics and width folded, katakana turned into hiragana: the form in
    // which queries and names are compared.
    static std::u32string folded(std::string_view text);
};

} // namespace pellacor::core
