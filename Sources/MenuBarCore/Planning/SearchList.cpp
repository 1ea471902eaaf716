#include "MenuBarCore/Planning/SearchList.h"

#include "MenuBarCore/Planning/BelowBarList.h"
#include "MenuBarCore/Text/Text.h"

#include <algorithm>
#include <unordered_map>

namespace pellacor::core {

namespace {

bool isLetterOrNumber(char32_t c) {
    switch (Text::generalCategory(c)) {
    case Text::Category::uppercaseLetter:
    case Text::Category::lowercaseLetter:
    case Text::Category::titlecaseLetter:
    case Text::Category::modifierLetter:
    case Text::Category::otherLetter:
    case Text::Category::decimalNumber:
    case Text::Category::letterNumber:
    case Text::Category::otherNumber:
        return true;
    default:
        return false;
    }
}

bool startsWord(char32_t before) {
    if (Text::isWhitespaceOrNewline(before)) {
        return true;
    }
    switch (Text::generalCategory(before)) {
    case Text::Category::connectorPunctuation:
    case Text::Category::dashPunctuation:
    case Text::Category::openPunctuation:
    case Text::Category::closePunctuation:
    case Text::Category::initialPunctuation:
    case Text::Category::finalPunctuation:
    case Text::Category::otherPunctuation:
    case Text::Category::mathSymbol:
    case Text::Category::currencySymbol:
    case Text::Category::modifierSymbol:
    case Text::Category::otherSymbol:
        return true;
    default:
        return false;
    }
}

int rankOf(const std::u32string& term, const std::u32string& name, const std::u32string& bundleID) {
    if (name.starts_with(term)) {
        return 0;
    }
    if (!name.empty()) {
        auto at = name.find(term);
        if (at != std::u32string::npos) {
            for (; at != std::u32string::npos; at = name.find(term, at + 1)) {
                if (at > 0 && startsWord(name[at - 1])) {
                    return 1;
                }
            }
            return 2;
        }
    }
    if (bundleID.find(term) != std::u32string::npos) {
        return 3;
    }
    return -1;
}

} // namespace

std::vector<SearchCandidate> SearchList::candidates(const std::vector<ItemSnapshot>& items,
                                                    const Profile& profile, std::string_view selfBundleID) {
    auto rows = BelowBarList::numbered(items, selfBundleID, [](const AppKey&) { return true; });
    std::vector<SearchCandidate> out;
    out.reserve(rows.size());
    for (auto& row : rows) {
        auto section = profile.section(AppKey(row.bundleID));
        out.push_back(SearchCandidate{std::move(row), section});
    }
    return out;
}

std::u32string SearchList::folded(std::string_view text) {
    auto folded = Text::diacriticFolded(Text::caseFolded(Text::widthFolded(text)));
    return Text::codePoints(Text::katakanaToHiragana(folded));
}

namespace {

// The folded query cut at white space, without the terms that hold no letter or digit.
std::vector<std::u32string> termsOf(std::string_view query) {
    auto foldedQuery = SearchList::folded(query);
    std::vector<std::u32string> terms;
    std::u32string current;
    auto flush = [&] {
        if (!current.empty() && std::any_of(current.begin(), current.end(), isLetterOrNumber)) {
            terms.push_back(current);
        }
        current.clear();
    };
    for (char32_t c : foldedQuery) {
        if (Text::isWhitespaceOrNewline(c)) {
            flush();
        } else {
            current.push_back(c);
        }
    }
    flush();
    return terms;
}

// The weakest rank among the terms; -1 when a term does not match at all.
int candidateRank(const std::vector<std::u32string>& terms, const std::u32string& name,
                  const std::u32string& bundleID) {
    int worst = 0;
    for (const auto& term : terms) {
        const int r = rankOf(term, name, bundleID);
        if (r < 0) {
            return -1;
        }
        worst = std::max(worst, r);
    }
    return worst;
}

struct Ranked {
    int rank;
    std::size_t position;
};

std::vector<SearchCandidate> inRankOrder(const std::vector<SearchCandidate>& candidates,
                                         std::vector<Ranked> kept) {
    std::stable_sort(kept.begin(), kept.end(),
                     [](const Ranked& a, const Ranked& b) { return a.rank < b.rank; });
    std::vector<SearchCandidate> out;
    out.reserve(kept.size());
    for (const auto& k : kept) {
        out.push_back(candidates[k.position]);
    }
    return out;
}

} // namespace

std::vector<SearchCandidate> SearchList::filter(const std::vector<SearchCandidate>& candidates,
                                                std::string_view query, const NameFunction& name) {
    const auto terms = termsOf(query);
    if (terms.empty()) {
        return candidates;
    }
    std::vector<Ranked> kept;
    // Each candidate's name and identifier are folded once per call, however many terms there are.
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const auto& bundleID = candidates[i].entry.bundleID;
        const int rank = candidateRank(terms, folded(name ? name(bundleID) : bundleID), folded(bundleID));
        if (rank >= 0) {
            kept.push_back({rank, i});
        }
    }
    return inRankOrder(candidates, std::move(kept));
}

SearchList::Prepared SearchList::prepare(std::vector<SearchCandidate> candidates, const NameFunction& name) {
    Prepared prepared;
    prepared.names.reserve(candidates.size());
    prepared.bundleIDs.reserve(candidates.size());
    // One application's items share its folded texts.
    std::unordered_map<std::string, std::size_t> firstOf;
    for (const auto& candidate : candidates) {
        const auto& bundleID = candidate.entry.bundleID;
        const auto [at, added] = firstOf.try_emplace(bundleID, prepared.names.size());
        if (added) {
            prepared.names.push_back(folded(name ? name(bundleID) : bundleID));
            prepared.bundleIDs.push_back(folded(bundleID));
        } else {
            // Copied first: a reference into the vector would not survive its growth.
            std::u32string sameName = prepared.names[at->second];
            std::u32string sameID = prepared.bundleIDs[at->second];
            prepared.names.push_back(std::move(sameName));
            prepared.bundleIDs.push_back(std::move(sameID));
        }
    }
    prepared.candidates = std::move(candidates);
    return prepared;
}

std::vector<SearchCandidate> SearchList::filter(const Prepared& prepared, std::string_view query) {
    const auto terms = termsOf(query);
    if (terms.empty()) {
        return prepared.candidates;
    }
    std::vector<Ranked> kept;
    for (std::size_t i = 0; i < prepared.candidates.size(); ++i) {
        const int rank = candidateRank(terms, prepared.names[i], prepared.bundleIDs[i]);
        if (rank >= 0) {
            kept.push_back({rank, i});
        }
    }
    return inRankOrder(prepared.candidates, std::move(kept));
}

} // namespace pellacor::core
