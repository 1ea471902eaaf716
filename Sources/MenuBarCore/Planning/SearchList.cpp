#include "MenuBarCore/Planning/SearchList.h"

#include "MenuBarCore/Planning/BelowBarList.h"
#include "MenuBarCore/Text/Text.h"

#include <algorithm>

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

std::vector<SearchCandidate> SearchList::filter(const std::vector<SearchCandidate>& candidates,
                                                std::string_view query, const NameFunction& name) {
    auto foldedQuery = folded(query);
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
    if (terms.empty()) {
        return candidates;
    }

    struct Ranked {
        int rank;
        std::size_t position;
    };
    std::vector<Ranked> kept;
    // Each candidate's name and identifier are folded once per call, however many terms there are.
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        auto& bundleID = candidates[i].entry.bundleID;
        auto foldedName = folded(name ? name(bundleID) : bundleID);
        auto foldedID = folded(bundleID);
        int worst = 0;
        for (auto& term : terms) {
            int r = rankOf(term, foldedName, foldedID);
            if (r < 0) {
                worst = -1;
                break;
            }
            worst = std::max(worst, r);
        }
        if (worst >= 0) {
            kept.push_back({worst, i});
        }
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const Ranked& a, const Ranked& b) { return a.rank < b.rank; });
    std::vector<SearchCandidate> out;
    out.reserve(kept.size());
    for (auto& k : kept) {
        out.push_back(candidates[k.position]);
    }
    return out;
}

} // namespace pellacor::core
