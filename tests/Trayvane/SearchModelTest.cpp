#include "Trayvane/Panels/SearchModel.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::SearchModel;
using core::BelowBarEntry;
using core::SearchCandidate;
using core::Section;
using Property = SearchModel::Property;

namespace {

SearchCandidate candidate(const std::string& app, int index = 0, Section section = Section::hidden,
                          std::optional<int> ordinal = std::nullopt) {
    return {BelowBarEntry{"com.example." + app, index, 500 + index, ordinal}, section};
}

// The model over a name function that counts its calls, with every change it
// announces recorded together with what it then showed.
struct SearchModelTest : ::testing::Test {
    std::map<std::string, std::string> names{{"com.example.notes", "Notes Plus"},
                                             {"com.example.quick", "Quick Notes"},
                                             {"com.example.grid", "Gridnotes"},
                                             {"com.example.weather", "Weather"},
                                             {"com.example.fern", "フェルンライト"}};
    std::map<std::string, int> asked;
    SearchModel model{[this](const std::string& id) {
        ++asked[id];
        const auto found = names.find(id);
        return found == names.end() ? id : found->second;
    }};
    struct Seen {
        Property property;
        std::size_t results;
        int selection;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> seen;
    pellacor::core::Subscription seeing;
    std::vector<BelowBarEntry> pressed;

    SearchModelTest() {
        seeing = model.observers.observe([this](Property property) {
            seen.push_back({property, model.results().size(), model.selection()});
        });
        model.onPress = [this](const BelowBarEntry& entry) { pressed.push_back(entry); };
    }
    std::vector<Property> properties() const {
        std::vector<Property> result;
        for (const auto& s : seen) {
            result.push_back(s.property);
        }
        return result;
    }
    std::vector<std::string> resultIDs() const {
        std::vector<std::string> result;
        for (const auto& c : model.results()) {
            result.push_back(c.id());
        }
        return result;
    }
    // Notes Plus, Quick Notes, Gridnotes, Weather: "note" lists three of them.
    const std::vector<SearchCandidate> four{candidate("grid"), candidate("quick"), candidate("notes"),
                                            candidate("weather")};
};

} // namespace

TEST_F(SearchModelTest, StartsEmptyAndLooksUpEachApplicationsNameOncePerList) {
    EXPECT_EQ(model.query(), "");
    EXPECT_EQ(model.selection(), 0);
    EXPECT_TRUE(model.candidates().empty());
    EXPECT_TRUE(model.results().empty());

    model.setCandidates({candidate("fern", 0, Section::shown, 1), candidate("fern", 1, Section::shown, 2),
                         candidate("unknown")});
    EXPECT_EQ(asked, (std::map<std::string, int>{{"com.example.fern", 1}, {"com.example.unknown", 1}}));
    EXPECT_EQ(model.names().at("com.example.fern"), "フェルンライト");
    EXPECT_EQ(model.displayName("com.example.fern"), "フェルンライト");
    EXPECT_EQ(model.displayName("com.example.elsewhere"), "com.example.elsewhere") << "not a candidate";
    EXPECT_EQ(properties(), (std::vector<Property>{Property::names, Property::candidates}));
    EXPECT_EQ(seen.front().results, 3U) << "the names observer already sees the new list";

    // Typing folds nothing but the query: no name is asked for again.
    for (const char* typed : {"ふ", "ふぇ", "フェル"}) {
        model.setQuery(typed);
        EXPECT_EQ(model.results().size(), 2U) << typed;
    }
    EXPECT_EQ(asked.at("com.example.fern"), 1);

    seen.clear();
    model.setCandidates(model.candidates());
    EXPECT_TRUE(seen.empty()) << "an equal list and equal names announce nothing";
    EXPECT_EQ(asked.at("com.example.fern"), 2) << "names are looked up again with every list";
}

TEST_F(SearchModelTest, ResultsFollowTheQueryAndTheCandidatesOnEveryRead) {
    model.setCandidates(four);
    EXPECT_EQ(resultIDs().size(), 4U) << "an empty query lists everything in order";
    model.setQuery("note");
    EXPECT_EQ(resultIDs(),
              (std::vector<std::string>{"com.example.notes#0", "com.example.quick#0", "com.example.grid#0"}))
        << "best match first";
    model.setCandidates({candidate("weather"), candidate("quick")});
    EXPECT_EQ(resultIDs(), std::vector<std::string>{"com.example.quick#0"});
    model.setQuery("zzz");
    EXPECT_TRUE(model.results().empty());
}

TEST_F(SearchModelTest, AnyChangeOfTheQueryPutsTheSelectionOnTheFirstRow) {
    model.setCandidates(four);
    model.setSelection(2);
    seen.clear();
    // "" and "   " both list everything: the results stay, the selection still goes back.
    model.setQuery("   ");
    EXPECT_EQ(model.selection(), 0);
    EXPECT_EQ(seen, (std::vector<Seen>{{Property::query, 4, 0}, {Property::selection, 4, 0}}))
        << "the query's observers already see the selection reset";

    model.setSelection(3);
    seen.clear();
    model.setQuery("   ");
    EXPECT_EQ(model.selection(), 3) << "the same text changes nothing";
    EXPECT_TRUE(seen.empty());

    model.setSelection(0);
    seen.clear();
    model.setQuery("w");
    EXPECT_EQ(properties(), std::vector<Property>{Property::query})
        << "a selection already at 0 is not announced";
}

TEST_F(SearchModelTest, MoveStopsAtTheFirstAndTheLastRow) {
    model.setCandidates(four);
    model.setQuery("note"); // three results
    struct Case {
        int from;
        int step;
        int to;
    };
    for (const Case& c : {Case{0, -1, 0}, Case{0, 1, 1}, Case{1, 1, 2}, Case{2, 1, 2}, Case{0, 5, 2},
                          Case{2, -1, 1}, Case{2, -5, 0}, Case{1, -1, 0}, Case{1, 0, 1}, Case{7, -1, 2}}) {
        model.setSelection(c.from);
        model.move(c.step);
        EXPECT_EQ(model.selection(), c.to) << c.from << " by " << c.step;
    }
    model.setQuery("zzz");
    model.setSelection(2);
    model.move(1);
    EXPECT_EQ(model.selection(), 0) << "with no results the selection is 0";
}

TEST_F(SearchModelTest, SelectFindsTheCandidateAmongTheResultsOnly) {
    model.setCandidates(four);
    model.setQuery("note");
    model.select(candidate("grid"));
    EXPECT_EQ(model.selection(), 2);
    model.select(candidate("weather"));
    EXPECT_EQ(model.selection(), 2) << "filtered out: the selection stays";
    model.select(candidate("notes", 0, Section::shown));
    EXPECT_EQ(model.selection(), 2) << "another section is another candidate";
    model.select(candidate("notes"));
    EXPECT_EQ(model.selection(), 0);
}

TEST_F(SearchModelTest, SubmitPressesTheSelectedResultOnly) {
    model.setCandidates(four);
    model.setQuery("note");
    model.setSelection(1);
    model.submit();
    EXPECT_EQ(pressed, std::vector<BelowBarEntry>{candidate("quick").entry});

    pressed.clear();
    model.setSelection(3); // beyond the three results
    model.submit();
    model.setQuery("zzz");
    model.submit();
    EXPECT_TRUE(pressed.empty()) << "no result selected: Return does nothing";

    model.onPress = nullptr;
    model.setQuery("");
    model.submit(); // nobody to tell: nothing happens
}

TEST_F(SearchModelTest, ReReadCandidatesKeepTheSelectedItemByBundleIdentifierAndIndex) {
    model.setCandidates(four);
    model.setQuery("note");
    model.setSelection(2); // Gridnotes
    seen.clear();

    // Gridnotes now has a process id of its own and two items; Quick Notes is gone.
    auto grid0 = candidate("grid", 0, Section::hidden, 1);
    grid0.entry.pid = 9999;
    model.update({candidate("notes"), candidate("grid", 1, Section::hidden, 2), grid0, candidate("weather")});
    EXPECT_EQ(model.query(), "note") << "the query stays";
    ASSERT_EQ(model.results().size(), 3U);
    EXPECT_EQ(model.results()[static_cast<std::size_t>(model.selection())].id(), "com.example.grid#0");
    EXPECT_EQ(model.selection(), 2);
    EXPECT_EQ(properties(), (std::vector<Property>{Property::names, Property::candidates}))
        << "the same selection index";

    model.setSelection(1); // Gridnotes #1
    model.update({candidate("notes"), grid0});
    EXPECT_EQ(model.selection(), 0) << "no longer listed: the first row";

    model.setSelection(1);
    seen.clear();
    model.update({candidate("notes"), grid0});
    EXPECT_TRUE(seen.empty()) << "an equal list changes nothing, the selection included";
    EXPECT_EQ(model.selection(), 1);

    model.setSelection(5);
    model.update({candidate("quick"), candidate("grid")});
    EXPECT_EQ(model.selection(), 0) << "a selection outside the results remembers nothing";

    model.setSelection(1); // Gridnotes
    seen.clear();
    model.update({candidate("notes"), candidate("quick"), candidate("grid")});
    EXPECT_EQ(model.selection(), 2) << "Gridnotes moved down a row";
    EXPECT_EQ(seen.back(), (Seen{Property::selection, 3, 2}));
    EXPECT_EQ(properties(),
              (std::vector<Property>{Property::names, Property::candidates, Property::selection}));
    for (const auto& s : seen) {
        EXPECT_EQ(s.selection, 2) << "every observer sees the final selection";
    }
}

} // namespace PELLACOR_TEST_FILE
