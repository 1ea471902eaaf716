#include "MenuBarCore/Planning/BelowBarList.h"

#include "MenuBarCore/Planning/SearchList.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <optional>

namespace PELLACOR_TEST_FILE {

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
        item("com.example.a", 0),   item("com.example.b", 0, 0),
        item("com.example.a", 1),   item("com.example.a", 0, 999), // duplicate key: dropped, first wins
        item("com.example.a", 2),   item(self, 0),
        item("com.apple.clock", 0), item("", 0),
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
    EXPECT_EQ(ids(BelowBarList::entries(items, p, self,
                                        {AppKey("com.example.shown"), AppKey("com.example.never")})),
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
    std::vector<AppKey> order = {AppKey("com.example.o1"), AppKey("com.example.o2"),
                                 AppKey("com.example.o1")};
    std::map<AppKey, int> firstSeen = {{AppKey("com.example.u1"), 1}, {AppKey("com.example.u2"), 2}};
    auto out = BelowBarList::stableOrder(items, order, firstSeen);
    EXPECT_EQ(owners(out),
              (std::vector<std::string>{"com.example.o1#0", "com.example.o1#0", "com.example.o2#0",
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
    auto c =
        candidatesFor({"com.example.inside", "com.example.word", "com.example.prefix", "com.example.hyphen",
                       "com.example.dot", "com.example.idonly", "com.example.prefix2", "com.example.none"});
    // org.notes.idonly matches only through its bundle identifier.
    auto c2 =
        candidatesFor({"com.example.inside", "com.example.word", "com.example.prefix", "com.example.hyphen",
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

namespace {

struct Snap {
    std::string owner;
    int index = 0;
    std::int32_t pid = 100;
};

std::vector<ItemSnapshot> snapshots(const std::vector<Snap>& snaps) {
    std::vector<ItemSnapshot> out;
    for (auto& s : snaps) {
        out.push_back(item(s.owner, s.index, s.pid));
    }
    return out;
}

// "id/pid/ordinal", "-" for an absent value.
std::vector<std::string> rowTexts(const std::vector<BelowBarEntry>& rows) {
    std::vector<std::string> out;
    for (auto& r : rows) {
        out.push_back(r.id() + "/" + (r.pid ? std::to_string(*r.pid) : "-") + "/" +
                      (r.ordinal ? std::to_string(*r.ordinal) : "-"));
    }
    return out;
}

// "owner#index@pid" in list order.
std::vector<std::string> snapTexts(const std::vector<ItemSnapshot>& items) {
    std::vector<std::string> out;
    for (auto& i : items) {
        out.push_back(i.ownerBundleID() + "#" + std::to_string(i.indexInOwner()) + "@" +
                      std::to_string(i.ownerPID()));
    }
    return out;
}

} // namespace

TEST(BelowBarListTest, RowsAndOrdinalsTable) {
    const struct Case {
        const char* what;
        std::vector<Snap> items;
        std::string self;
        std::vector<std::string> expected;
    } cases[] = {
        {"a single item has no ordinal", {{"a", 0}}, self, {"a#0/100/-"}},
        {"ordinals follow list order, not the index, and skip other owners",
         {{"a", 2}, {"b", 0}, {"a", 0}, {"a", 1}},
         self,
         {"a#2/100/1", "b#0/100/-", "a#0/100/2", "a#1/100/3"}},
        {"a repeated key is one row, and counts once", {{"a", 0}, {"a", 0, 5}}, self, {"a#0/100/-"}},
        {"process id 0 gives a row without pid", {{"a", 0, 0}, {"a", 1, 7}}, self, {"a#0/-/1", "a#1/7/2"}},
        {"the program's items are left out, its identifier trimmed first",
         {{self, 0}, {"a", 0}, {self, 1}},
         " \t" + self + " \n",
         {"a#0/100/-"}},
        {"the program's identifier is compared exactly",
         {{"App.Trayvane.Pellacor", 0}},
         self,
         {"App.Trayvane.Pellacor#0/100/-"}},
        {"Apple's and owner-less items never count",
         {{"com.apple.clock", 0}, {"", 0}, {"a", 3}, {"com.apple.clock", 1}},
         self,
         {"a#3/100/-"}},
        {"an identifier that only looks like Apple's is listed",
         {{"com.applesauce.x", 0}},
         self,
         {"com.applesauce.x#0/100/-"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(
            rowTexts(BelowBarList::numbered(snapshots(c.items), c.self, [](const AppKey&) { return true; })),
            c.expected);
    }
}

TEST(BelowBarListTest, SectionsTable) {
    const std::optional<Section> noEntry;
    const struct Case {
        std::optional<Section> section;
        Section newItems;
        bool underNotch;
        bool belowBar;
    } cases[] = {
        {Section::hidden, Section::shown, false, true},
        {Section::hidden, Section::shown, true, true},
        {Section::shown, Section::hidden, false, false},
        {Section::shown, Section::hidden, true, true},
        {Section::alwaysHidden, Section::shown, false, false},
        {Section::alwaysHidden, Section::shown, true, false},
        {noEntry, Section::hidden, false, true},
        {noEntry, Section::shown, false, false},
        {noEntry, Section::shown, true, true},
        {noEntry, Section::alwaysHidden, true, false},
    };
    const AppKey app("com.example.a");
    const std::vector<ItemSnapshot> items = {item("com.example.a", 0), item("com.example.a", 1)};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "entry " << (c.section ? static_cast<int>(*c.section) : -1) << ", new items "
                     << static_cast<int>(c.newItems) << ", notch " << c.underNotch);
        std::map<AppKey, Section> sections;
        if (c.section) {
            sections.emplace(app, *c.section);
        }
        const auto p = profile(sections, c.newItems);
        const std::set<AppKey> overflow = c.underNotch ? std::set<AppKey>{app} : std::set<AppKey>{};
        EXPECT_EQ(BelowBarList::entries(items, p, self, overflow).size(), c.belowBar ? 2u : 0u);

        // Every section is searchable, paired with the section the application has.
        const auto candidates = SearchList::candidates(items, p, self);
        ASSERT_EQ(candidates.size(), 2u);
        EXPECT_EQ(candidates[1].section, c.section.value_or(c.newItems));
        EXPECT_EQ(candidates[1].entry.ordinal, 2);
    }
}

TEST(BelowBarListTest, PlaceholdersTable) {
    using Remembered = std::map<AppKey, std::vector<ItemSnapshot>>;
    const struct Case {
        const char* what;
        std::vector<Snap> items;
        Remembered remembered;
        std::set<AppKey> table;
        std::set<std::string> running;
        std::vector<std::string> expected;
    } cases[] = {
        {"a running table application missing from the read gets one placeholder first",
         {{"b", 0, 9}, {"b", 1, 9}},
         {},
         {AppKey("a")},
         {"a", "b"},
         {"a#0@0", "b#0@9", "b#1@9"}},
        {"one that is not running adds nothing", {{"b", 0, 9}}, {}, {AppKey("a")}, {"b"}, {"b#0@9"}},
        {"Apple's applications add nothing",
         {},
         {{AppKey("com.apple.weather"), {item("com.apple.weather", 0)}}},
         {AppKey("com.apple.clock")},
         {"com.apple.weather", "com.apple.clock"},
         {}},
        {"an identifier that only looks like Apple's gets its placeholder",
         {},
         {},
         {AppKey("com.applesauce.x")},
         {"com.applesauce.x"},
         {"com.applesauce.x#0@0"}},
        {"remembered snapshots in their stored order instead of a placeholder",
         {},
         {{AppKey("a"), {item("a", 2, 4), item("a", 0, 4)}}},
         {AppKey("a")},
         {"a"},
         {"a#2@4", "a#0@4"}},
        {"remembered with an empty list adds nothing", {}, {{AppKey("a"), {}}}, {AppKey("a")}, {"a"}, {}},
        {"an application in the read adds nothing from memory",
         {{"a", 0, 9}},
         {{AppKey("a"), {item("a", 1, 4)}}},
         {},
         {"a"},
         {"a#0@9"}},
        {"the missing ones in bundle-identifier order, table and memory together",
         {{"m", 0, 9}},
         {{AppKey("z"), {item("z", 0, 3)}}, {AppKey("c"), {item("c", 1, 2)}}},
         {AppKey("x"), AppKey("b")},
         {"b", "c", "m", "x", "z"},
         {"b#0@0", "c#1@2", "x#0@0", "z#0@3", "m#0@9"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(
            snapTexts(BelowBarList::withRemembered(snapshots(c.items), c.remembered, c.table, c.running)),
            c.expected);
    }

    // A placeholder carries nothing but its owner.
    const auto out = BelowBarList::withRemembered({}, {}, {AppKey("com.example.a")}, {"com.example.a"});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0],
              ItemSnapshot("com.example.a", 0, std::nullopt, std::nullopt, std::nullopt, 0, std::nullopt));
    EXPECT_FALSE(out[0].isApple());
}

TEST(BelowBarListTest, StableOrderTiesTable) {
    constexpr int greatest = std::numeric_limits<int>::max();
    const struct Case {
        const char* what;
        std::vector<Snap> items; // the pid tells the items apart
        std::vector<std::string> order;
        std::map<std::string, int> firstSeen;
        std::vector<int> expected;
    } cases[] = {
        {"listed applications in their order; a repeat keeps its first place",
         {{"a", 0, 1}, {"b", 0, 2}, {"c", 0, 3}},
         {"b", "a", "b", "c"},
         {},
         {2, 1, 3}},
        {"listed before unlisted, whatever the first-seen ranks",
         {{"a", 0, 1}, {"b", 0, 2}},
         {"b"},
         {{"a", 0}, {"b", 9}},
         {2, 1}},
        {"among unlisted, the first seen first",
         {{"c", 0, 1}, {"d", 0, 2}},
         {},
         {{"c", 1}, {"d", 0}},
         {2, 1}},
        {"equal first-seen ranks: by bundle identifier",
         {{"d", 0, 1}, {"c", 0, 2}},
         {},
         {{"c", 3}, {"d", 3}},
         {2, 1}},
        {"without a rank after those with one, then by bundle identifier",
         {{"z", 0, 1}, {"y", 0, 2}, {"x", 0, 3}},
         {},
         {{"z", 7}},
         {1, 3, 2}},
        {"a rank of the greatest integer ties with none",
         {{"b", 0, 1}, {"a", 0, 2}},
         {},
         {{"b", greatest}},
         {2, 1}},
        {"bundle identifiers compare as plain strings",
         {{"com.example.b", 0, 1}, {"Com.example.a", 0, 2}, {"com.example.B", 0, 3}},
         {},
         {},
         {2, 3, 1}},
        {"within an application by index, equal indexes by input position",
         {{"a", 2, 1}, {"a", 0, 2}, {"a", 1, 3}, {"a", 0, 4}},
         {},
         {},
         {2, 4, 3, 1}},
        {"an application's items stay together behind a listed one",
         {{"u", 1, 1}, {"l", 0, 2}, {"u", 0, 3}, {"l", 0, 4}},
         {"l"},
         {},
         {2, 4, 3, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<AppKey> order;
        for (auto& o : c.order) {
            order.emplace_back(o);
        }
        std::map<AppKey, int> firstSeen;
        for (auto& [app, rank] : c.firstSeen) {
            firstSeen.emplace(AppKey(app), rank);
        }
        std::vector<int> pids;
        for (auto& i : BelowBarList::stableOrder(snapshots(c.items), order, firstSeen)) {
            pids.push_back(i.ownerPID());
        }
        EXPECT_EQ(pids, c.expected);
    }
}

namespace {

// The rank `filter` gives one candidate for a one-term query. The candidate
// goes first, before four references of ranks 0 to 3 built on the plain
// `term`; equal ranks keep input order, so it lands right before the
// reference of its own rank, at that position.
std::optional<std::size_t> rankFor(const std::string& name, const std::string& bundleID,
                                   const std::string& query, const std::string& term) {
    const std::map<std::string, std::string> names = {
        {bundleID, name},         {"ref.zero", term + "zz"}, {"ref.one", "zz " + term},
        {"ref.two", "zz" + term}, {"ref." + term, "qq"},
    };
    auto c = candidatesFor({bundleID, "ref.zero", "ref.one", "ref.two", "ref." + term});
    auto out = filtered(c, query, names);
    auto refs = out;
    std::erase(refs, bundleID);
    EXPECT_EQ(refs, (std::vector<std::string>{"ref.zero", "ref.one", "ref.two", "ref." + term}))
        << "the references for " << term;
    auto at = std::find(out.begin(), out.end(), bundleID);
    if (at == out.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(at - out.begin());
}

} // namespace

TEST(SearchListTest, RanksTable) {
    const std::optional<std::size_t> dropped;
    const struct Case {
        const char* what;
        std::string name;
        std::string bundleID;
        std::string query;
        std::string term;
        std::optional<std::size_t> rank;
    } cases[] = {
        {"the name begins with the term", "Notes Plus", "com.example.x", "note", "note", 0},
        {"after a space", "Quick Notes", "com.example.x", "note", "note", 1},
        {"after a hyphen", "Sticky-notes", "com.example.x", "note", "note", 1},
        {"after a dot", "pad.notes", "com.example.x", "note", "note", 1},
        {"after a symbol", "Pad+notes", "com.example.x", "note", "note", 1},
        {"after a bracket", "Pad (notes)", "com.example.x", "note", "note", 1},
        {"inside a word", "Gridnotes", "com.example.x", "note", "note", 2},
        {"a word start after an inner occurrence", "banana nana", "com.example.x", "nana", "nana", 1},
        {"an occurrence overlapping the one before", "xa-a-a", "com.example.x", "a-a", "a-a", 1},
        {"only the bundle identifier", "Scribble", "org.notes.x", "note", "note", 3},
        {"the bundle identifier is folded too", "Scribble", "org.ＮＯＴＥＳ.x", "Note", "note", 3},
        {"an empty name, through the bundle identifier", "", "org.notes.x", "note", "note", 3},
        {"no match at all", "Weather", "com.example.x", "note", "note", dropped},
        {"full-width capitals in the query", "notes", "com.example.x", "ＮＯＴＥ", "note", 0},
        {"a full-width name", "Ｑｕｉｃｋ Ｎｏｔｅｓ", "com.example.x", "note", "note", 1},
        {"accents in the query", "cafe tools", "com.example.x", "CAFÉ", "cafe", 0},
        {"accents in the name", "Le Café", "com.example.x", "cafe", "cafe", 1},
        {"a decomposed accent", "Cafe\u0301", "com.example.x", "café", "cafe", 0},
        {"a katakana query, a hiragana name", "かたつむり", "com.example.x", "カタツムリ", "かたつむり", 0},
        {"a half-width katakana query", "かたつむり", "com.example.x", "ｶﾀﾂﾑﾘ", "かたつむり", 0},
        {"a hiragana query, a katakana name", "メモ帳", "com.example.x", "めも", "めも", 0},
        {"katakana after a space", "ノート メモ", "com.example.x", "めも", "めも", 1},
        {"katakana inside a word", "ノートメモ", "com.example.x", "メモ", "めも", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(rankFor(c.name, c.bundleID, c.query, c.term), c.rank);
    }
}

TEST(SearchListTest, TermsWithoutLettersAreDroppedAndEveryOtherTermMustMatch) {
    std::map<std::string, std::string> names = {
        {"com.example.a", "Gridnotes"}, {"com.example.b", "Notes Plus"}, {"com.example.c", "Weather"}};
    auto c = candidatesFor({"com.example.a", "com.example.b", "com.example.c"});
    const std::vector<std::string> byNotes = {"com.example.b", "com.example.a"};
    EXPECT_EQ(filtered(c, "notes", names), byNotes);
    EXPECT_EQ(filtered(c, " - notes ！ ", names), byNotes) << "punctuation terms count for nothing";
    EXPECT_EQ(filtered(c, "notes　plus", names), (std::vector<std::string>{"com.example.b"}))
        << "split at the ideographic space";
    EXPECT_EQ(filtered(c, "notes zzz", names), (std::vector<std::string>{}));
    EXPECT_EQ(filtered(c, "grid plus", names), (std::vector<std::string>{}));
}

} // namespace PELLACOR_TEST_FILE
