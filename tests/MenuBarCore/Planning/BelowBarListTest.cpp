#include <gtest/gtest.h>

#include "MenuBarCore/Planning/BelowBarList.h"
#include "MenuBarCore/Planning/SearchList.h"

using namespace pellacor::core;

namespace {

ItemSnapshot item(const std::string& owner, int index, std::int32_t pid = 100) {
    return ItemSnapshot(owner, pid, std::nullopt, std::nullopt, std::nullopt, index, std::nullopt);
}

Profile profile(std::map<AppKey, Section> sections, Section newItems = Section::shown,
                std::vector<AppKey> order = {}) {
    return Profile(Uuid::random(), "P", std::move(sections), std::move(order), newItems);
}

std::vector<std::string> ids(const std::vector<BelowBarEntry>& rows) {
    std::vector<std::string> out;
    for (auto& r : rows) {
        out.push_back(r.id());
    }
    return out;
}

std::vector<std::string> owners(const std::vector<ItemSnapshot>& items) {
    std::vector<std::string> out;
    for (auto& i : items) {
        out.push_back(i.ownerBundleID() + "#" + std::to_string(i.indexInOwner()));
    }
    return out;
}

const std::string self = "app.trayvane.pellacor";

} // namespace

TEST(BelowBarListTest, NumberedKeepsFirstOfEachKeyAndNumbersPerApplication) {
    std::vector<ItemSnapshot> items = {
        item("com.example.a", 0), item("com.example.b", 0, 0), item("com.example.a", 1),
        item("com.example.a", 0, 999), // duplicate key: dropped, first wins
        item("com.example.a", 2),     item(self, 0),        item("com.apple.clock", 0),
        item("", 0),
    };
    auto rows = BelowBarList::numbered(items, "  " + self + "\n", [](const AppKey&) { return true; });
    ASSERT_EQ(ids(rows), (std::vector<std::string>{"com.example.a#0", "com.example.b#0", "com.example.a#1",
                                                   "com.example.a#2"}));
    EXPECT_EQ(rows[0].ordinal, 1);
    EXPECT_EQ(rows[2].ordinal, 2);
    EXPECT_EQ(rows[3].ordinal, 3);
    EXPECT_EQ(rows[0].pid, 100);
    EXPECT_EQ(rows[1].ordinal, std::nullopt);
    EXPECT_EQ(rows[1].pid, std::nullopt); // process id 0 means unknown
}

TEST(BelowBarListTest, EntriesAndCandidatesFollowSections) {
    auto p = profile({{AppKey("com.example.shown"), Section::shown},
                      {AppKey("com.example.hidden"), Section::hidden},
                      {AppKey("com.example.never"), Section::alwaysHidden}},
                     Section::hidden);
    std::vector<ItemSnapshot> items = {item("com.example.shown", 0), item("com.example.hidden", 0),
                                       item("com.example.never", 0), item("com.example.new", 0)};
    EXPECT_EQ(ids(BelowBarList::entries(items, p, self, {})),
              (std::vector<std::string>{"com.example.hidden#0", "com.example.new#0"}));
    EXPECT_EQ(ids(BelowBarList::entries(items, p, self, {AppKey("com.example.shown"), AppKey("com.example.never")})),
              (std::vector<std::string>{"com.example.shown#0", "com.example.hidden#0", "com.example.new#0"}));

    auto candidates = SearchList::candidates(items, p, self);
    ASSERT_EQ(candidates.size(), 4u);
    EXPECT_EQ(candidates[2].section, Section::alwaysHidden);
    EXPECT_EQ(candidates[3].section, Section::hidden); // no entry: the new-item section
    EXPECT_EQ(candidates[3].id(), "com.example.new#0");
}

TEST(BelowBarListTest, WithRememberedAddsMissingRunningApplications) {
    std::vector<ItemSnapshot> items = {item("com.example.read", 0)};
    std::map<AppKey, std::vector<ItemSnapshot>> remembered = {
        {AppKey("com.example.zeta"), {item("com.example.zeta", 0, 7), item("com.example.zeta", 1, 7)}},
        {AppKey("com.example.empty"), {}},
        {AppKey("com.example.stopped"), {item("com.example.stopped", 0)}},
        {AppKey("com.example.read"), {item("com.example.read", 5)}},
    };
    std::set<AppKey> table = {AppKey("com.example.alpha"), AppKey("com.apple.weather")};
    std::set<std::string> running = {"com.example.read", "com.example.zeta", "com.example.empty",
                                     "com.example.alpha", "com.apple.weather"};
    auto out = BelowBarList::withRemembered(items, remembered, table, running);
    EXPECT_EQ(owners(out), (std::vector<std::string>{"com.example.alpha#0", "com.example.zeta#0",
                                                     "com.example.zeta#1", "com.example.read#0"}));
    EXPECT_EQ(out[0].ownerPID(), 0); // placeholder
    EXPECT_FALSE(out[0].axIdentifier());
    EXPECT_FALSE(out[0].frame());
    EXPECT_EQ(out[1].ownerPID(), 7);
}

TEST(BelowBarListTest, StableOrder) {
    std::vector<ItemSnapshot> items = {item("com.example.u2", 0), item("com.example.o2", 1),
                                       item("com.example.u1", 0), item("com.example.o1", 0),
                                       item("com.example.o2", 0), item("com.example.ub", 0),
                                       item("com.example.ua", 0), item("com.example.o1", 0, 5)};
    std::vector<AppKey> order = {AppKey("com.example.o1"), AppKey("com.example.o2"), AppKey("com.example.o1")};
    std::map<AppKey, int> firstSeen = {{AppKey("com.example.u1"), 1}, {AppKey("com.example.u2"), 2}};
    auto out = BelowBarList::stableOrder(items, order, firstSeen);
    EXPECT_EQ(owners(out), (std::vector<std::string>{"com.example.o1#0", "com.example.o1#0", "com.example.o2#0",
                                                     "com.example.o2#1", "com.example.u1#0", "com.example.u2#0",
                                                     "com.example.ua#0", "com.example.ub#0"}));
    EXPECT_EQ(out[0].ownerPID(), 100); // equal index: input position decides
    EXPECT_EQ(out[1].ownerPID(), 5);
}

namespace {

std::vector<SearchCandidate> candidatesFor(const std::vector<std::string>& bundleIDs) {
    std::vector<SearchCandidate> out;
    for (auto& b : bundleIDs) {
        out.push_back(SearchCandidate{BelowBarEntry{b, 0, 1, std::nullopt}, Section::hidden});
    }
    return out;
}

std::vector<std::string> filtered(const std::vector<SearchCandidate>& c, const std::string& query,
                                  const std::map<std::string, std::string>& names) {
    std::vector<std::string> out;
    for (auto& r : SearchList::filter(c, query, [&](const std::string& id) {
             auto it = names.find(id);
             return it == names.end() ? id : it->second;
         })) {
        out.push_back(r.entry.bundleID);
    }
    return out;
}

} // namespace

TEST(SearchListTest, RanksByWeakestTermThenInputOrder) {
    std::map<std::string, std::string> names = {
        {"com.example.inside", "Gridnotes"},   {"com.example.word", "Quick Notes"},
        {"com.example.prefix", "Notes Plus"},  {"com.example.hyphen", "Sticky-notes"},
        {"com.example.dot", "pad.notes"},      {"com.example.idonly", "Scribble"},
        {"com.example.prefix2", "notebook x"}, {"com.example.none", "Weather"},
    };
    auto c = candidatesFor({"com.example.inside", "com.example.word", "com.example.prefix", "com.example.hyphen",
                            "com.example.dot", "com.example.idonly", "com.example.prefix2", "com.example.none"});
    // org.notes.idonly matches only through its bundle identifier.
    auto c2 = candidatesFor({"com.example.inside", "com.example.word", "com.example.prefix", "com.example.hyphen",
                             "com.example.dot", "org.notes.idonly", "com.example.prefix2", "com.example.none"});
    names["org.notes.idonly"] = "Scribble";
    EXPECT_EQ(filtered(c2, "note", names),
              (std::vector<std::string>{"com.example.prefix", "com.example.prefix2", "com.example.word",
                                        "com.example.hyphen", "com.example.dot", "com.example.inside",
                                        "org.notes.idonly"}));
    // Two terms: both must match; the weaker rank decides.
    EXPECT_EQ(filtered(c, "notes quick", names), (std::vector<std::string>{"com.example.word"}));
    EXPECT_EQ(filtered(c, "plus  notes", names), (std::vector<std::string>{"com.example.prefix"}));
    EXPECT_EQ(filtered(c, "zzz", names), (std::vector<std::string>{}));
}

TEST(SearchListTest, QueriesWithoutLettersKeepEverything) {
    auto c = candidatesFor({"com.example.b", "com.example.a"});
    for (const char* q : {"", "   ", "- . !", "\t\n", "　"}) {
        EXPECT_EQ(SearchList::filter(c, q, nullptr), c) << q;
    }
}

TEST(SearchListTest, FoldsCaseAccentsWidthAndKana) {
    std::map<std::string, std::string> names = {
        {"com.example.cafe", "café tools"},
        {"com.example.hira", "かたつむり"},
        {"com.example.kata", "メモ帳"},
        {"com.example.upper", "PROFILE Switcher"},
    };
    auto c = candidatesFor({"com.example.cafe", "com.example.hira", "com.example.kata", "com.example.upper"});
    struct Case {
        const char* query;
        std::vector<std::string> expected;
    } cases[] = {
        {"CAFE", {"com.example.cafe"}},
        {"Café", {"com.example.cafe"}},
        {"ｃａｆｅ", {"com.example.cafe"}},
        {"カタツムリ", {"com.example.hira"}},
        {"ｶﾀﾂﾑﾘ", {"com.example.hira"}},
        {"めも", {"com.example.kata"}},
        {"Ｐｒｏｆｉｌｅ", {"com.example.upper"}},
        {"switcher", {"com.example.upper"}},
    };
    for (auto& k : cases) {
        EXPECT_EQ(filtered(c, k.query, names), k.expected) << k.query;
    }
}

TEST(SearchListTest, WordStartLooksPastAnEarlierInnerOccurrence) {
    // The first occurrence is inside a word; a later one follows a space.
    std::map<std::string, std::string> names = {{"com.example.x", "banana nana"}};
    auto c = candidatesFor({"com.example.x"});
    ASSERT_EQ(filtered(c, "nana", names).size(), 1u);
    auto onlyInner = candidatesFor({"com.example.y", "com.example.x"});
    names["com.example.y"] = "bananas";
    auto ranked = filtered(onlyInner, "nana", names);
    // x ranks 1 (word start), y ranks 2 (inside): x first despite input order.
    EXPECT_EQ(ranked, (std::vector<std::string>{"com.example.x", "com.example.y"}));
}
