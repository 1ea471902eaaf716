#include "MenuBarCore/Planning/SearchList.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;

namespace {

SearchCandidate candidate(const std::string& bundleID, int index = 0,
                          std::optional<int> ordinal = std::nullopt) {
    return {BelowBarEntry{bundleID, index, 1, ordinal}, Section::hidden};
}

// Names that reach every rank and every folding the filter knows.
const std::map<std::string, std::string> names = {
    {"com.example.prefix", "Notes Plus"},
    {"com.example.word", "Quick Notes"},
    {"com.example.inside", "Gridnotes"},
    {"org.notes.idonly", "Scribble"},
    {"com.example.cafe", "Le Café"},
    {"com.example.kata", "メモ帳"},
    {"com.example.hira", "かたつむり"},
    {"com.example.wide", "Ｑｕｉｃｋ Ｐａｄ"},
    {"com.example.half", "ﾌｪﾙﾝﾗｲﾄ"},
    {"com.example.fern", "フェルンライト"},
    {"com.example.empty", ""},
    {"org.ＮＯＴＥＳ.wide", "Tiles"},
    {"com.example.banana", "banana nana"},
};

std::string nameOf(const std::string& bundleID) {
    const auto found = names.find(bundleID);
    return found == names.end() ? bundleID : found->second;
}

} // namespace

// The prepared form is an optimisation only: for every query it answers what
// the plain filter answers over the same candidates and names.
TEST(SearchListPreparedTest, AnswersWhatThePlainFilterAnswers) {
    std::vector<SearchCandidate> candidates;
    for (const auto& [bundleID, name] : names) {
        candidates.push_back(candidate(bundleID));
    }
    // An application with two items, and one the name function does not know.
    candidates.push_back(candidate("com.example.word", 1, 2));
    candidates.push_back(candidate("com.example.unnamed"));
    const auto prepared = SearchList::prepare(candidates, nameOf);
    for (const char* query :
         {"",    "   ",   "- . !", "note",    "NOTE",    "ＮＯＴＥ",   "notes quick", "plus  notes",
          "zzz", "cafe",  "CAFÉ",  "めも",    "メモ",    "カタツムリ", "ｶﾀﾂﾑﾘ",       "ふぇ",
          "ﾌｪ",  "quick", "nana",  "unnamed", "example", "notes zzz",  "　notes　"}) {
        EXPECT_EQ(SearchList::filter(prepared, query), SearchList::filter(candidates, query, nameOf))
            << "query \"" << query << "\"";
    }
}

TEST(SearchListPreparedTest, AsksForEachApplicationsNameOnceAndKeepsTheCandidates) {
    const std::vector<SearchCandidate> candidates{
        candidate("com.example.fern", 0, 1), candidate("com.example.fern", 1, 2),
        candidate("com.example.kata"), candidate("com.example.fern", 2, 3)};
    std::map<std::string, int> asked;
    const auto prepared = SearchList::prepare(candidates, [&asked](const std::string& bundleID) {
        ++asked[bundleID];
        return nameOf(bundleID);
    });
    EXPECT_EQ(asked, (std::map<std::string, int>{{"com.example.fern", 1}, {"com.example.kata", 1}}));
    EXPECT_EQ(prepared.candidates, candidates);
    ASSERT_EQ(prepared.names.size(), candidates.size());
    EXPECT_EQ(prepared.names[3], SearchList::folded("フェルンライト"));
    EXPECT_EQ(prepared.bundleIDs[3], SearchList::folded("com.example.fern"));

    // Typing never asks for a name again.
    for (const char* query : {"ふ", "ふぇ", "ふぇる", "めも"}) {
        SearchList::filter(prepared, query);
    }
    EXPECT_EQ(asked.at("com.example.fern"), 1);
    EXPECT_EQ(SearchList::filter(prepared, "ふぇ"),
              (std::vector<SearchCandidate>{candidates[0], candidates[1], candidates[3]}));
}

TEST(SearchListPreparedTest, WithoutANameFunctionTheBundleIdentifierIsTheName) {
    const std::vector<SearchCandidate> candidates{candidate("com.example.prefix"),
                                                  candidate("org.notes.idonly")};
    const auto prepared = SearchList::prepare(candidates, nullptr);
    for (const char* query : {"com", "notes", "idonly", "prefix"}) {
        EXPECT_EQ(SearchList::filter(prepared, query), SearchList::filter(candidates, query, nullptr))
            << query;
    }
    EXPECT_EQ(SearchList::filter(SearchList::prepare({}, nameOf), "note"), std::vector<SearchCandidate>{});
}

} // namespace PELLACOR_TEST_FILE
