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

    static std::vector<SearchCandidate> candidates(const std::vector<ItemSnapshot>& items,
                                                   const Profile& profile, std::string_view selfBundleID);

    // Keeps the candidates that match every term of the query and orders them by
    // their weakest term: name prefix (0), word start in the name (1), inside the
    // name (2), inside the bundle identifier (3); ties keep their input order.
    static std::vector<SearchCandidate> filter(const std::vector<SearchCandidate>& candidates,
                                               std::string_view query, const NameFunction& name);

    // Case, diacritics and width folded, katakana turned into hiragana: the form in
    // which queries and names are compared.
    static std::u32string folded(std::string_view text);
};

} // namespace pellacor::core
