#include "Trayvane/Help/HelpPage.h"

#include "Trayvane/Help/HelpTopic.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::HelpPage;
using core::HelpDocument;

namespace {

using Row = HelpPage::Row;
using Font = HelpPage::Font;
using Rule = HelpPage::Rule;

HelpDocument::Section item(std::string group, std::string title,
                           std::vector<HelpDocument::Block> blocks = {}) {
    return {std::move(group), std::move(title), std::move(blocks)};
}

} // namespace

TEST(HelpPageTest, GroupRowsStartEachRunOfItemsWithOneGroup) {
    const HelpDocument document{
        "題", {item("A", "一"), item("A", "二"), item("B", "三"), item("A", "四")}, {}};
    const auto page = HelpPage::of(document);
    std::vector<std::pair<std::string, bool>> rows;
    for (const auto& row : page.rows) {
        rows.emplace_back(row.title, row.isGroup);
    }
    const std::vector<std::pair<std::string, bool>> expected{
        {"A", true}, {"一", false}, {"二", false}, {"B", true}, {"三", false}, {"A", true}, {"四", false}};
    EXPECT_EQ(rows, expected) << "A, A, B, A: three group rows";
    EXPECT_EQ(page.itemCount(), 4U);

    // Every row points at its own heading's paragraph.
    for (const auto& row : page.rows) {
        const auto at = std::find_if(page.paragraphs.begin(), page.paragraphs.end(),
                                     [&](const auto& paragraph) { return paragraph.start == row.start; });
        ASSERT_NE(at, page.paragraphs.end()) << row.title;
        EXPECT_EQ(at->text, row.title);
        EXPECT_EQ(at->font, row.isGroup ? Font::group : Font::item);
    }
}

TEST(HelpPageTest, HeadingsCarryTheirRulesAndSpacing) {
    const HelpDocument document{"", {item("A", "一"), item("A", "二"), item("B", "三")}, {}};
    const auto page = HelpPage::of(document);
    struct Expected {
        std::string text;
        Font font;
        double after;
        double before;
        Rule rule;
    };
    const std::vector<Expected> expected{
        {"", Font::title, 16, 0, Rule::none}, // the title paragraph even when empty
        {"A", Font::group, 4, 0, Rule::group}, {"一", Font::item, 8, 10, Rule::none},
        {"二", Font::item, 8, 0, Rule::item},  {"B", Font::group, 4, 0, Rule::group},
        {"三", Font::item, 8, 10, Rule::none},
    };
    ASSERT_EQ(page.paragraphs.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& paragraph = page.paragraphs[i];
        EXPECT_EQ(paragraph.text, expected[i].text) << i;
        EXPECT_EQ(paragraph.font, expected[i].font) << i;
        EXPECT_EQ(paragraph.spacingAfter, expected[i].after) << i;
        EXPECT_EQ(paragraph.spacingBefore, expected[i].before) << i;
        EXPECT_EQ(paragraph.rule, expected[i].rule) << i;
    }
    const auto group = HelpPage::ruleMetrics(Rule::group);
    const auto itemRule = HelpPage::ruleMetrics(Rule::item);
    EXPECT_EQ((std::vector<double>{group.border, group.margin, group.padding}),
              (std::vector<double>{2, 34, 16}));
    EXPECT_EQ((std::vector<double>{itemRule.border, itemRule.margin, itemRule.padding}),
              (std::vector<double>{1, 24, 14}));
}

// Offsets count UTF-16 code units of the text as shown: markers of "**"
// gone, a list item's marker and tab added, a line feed after each paragraph.
TEST(HelpPageTest, StartsCountTheShownTextInUtf16Units) {
    const HelpDocument document{
        "題",
        {item("𠀋", "**強**い",
              {HelpDocument::Paragraph{"a**b**c"}, HelpDocument::Bullet{"点"}, HelpDocument::Step{12, "手"}}),
         item("𠀋", "次")},
        {}};
    const auto page = HelpPage::of(document);
    std::vector<std::size_t> starts;
    for (const auto& paragraph : page.paragraphs) {
        starts.push_back(paragraph.start);
    }
    // 題⏎ = 2; 𠀋⏎ = 3 (a surrogate pair); 強い⏎ = 3; abc⏎ = 4; •⇥点⏎ = 4; 12.⇥手⏎ = 6.
    EXPECT_EQ(starts, (std::vector<std::size_t>{0, 2, 5, 8, 12, 16, 22}));
    EXPECT_EQ(page.length(), 24U);
    EXPECT_EQ(page.paragraphs[4].marker, "•");
    EXPECT_EQ(page.paragraphs[5].marker, "12.");
    EXPECT_EQ(page.paragraphs[5].text, "手");
    EXPECT_EQ(page.rows[1], (Row{"**強**い", 5, false})) << "the contents keep the markers";
    EXPECT_EQ(page.itemRow("**強**い"), std::optional<std::size_t>(1));
    EXPECT_EQ(page.itemRow("強い"), std::nullopt) << "compared as written";
}

TEST(HelpPageTest, AFirstItemWithoutGroupStartsAnEmptyGroupRow) {
    const auto page = HelpPage::of(HelpDocument{"題", {item("", "一"), item("A", "二")}, {}});
    ASSERT_EQ(page.rows.size(), 4U);
    EXPECT_EQ(page.rows[0], (Row{"", 2, true}));
    EXPECT_TRUE(page.rows[2].isGroup);
}

TEST(HelpPageTest, ItemRowSkipsGroupsOfTheSameName) {
    const auto page =
        HelpPage::of(HelpDocument{"題", {item("何も隠れない", "x"), item("B", "何も隠れない")}, {}});
    EXPECT_EQ(page.itemRow("何も隠れない"), std::optional<std::size_t>(3));
    EXPECT_EQ(page.itemRow("y"), std::nullopt);
}

TEST(HelpPageTest, WithoutDocumentTwoParagraphsAndNoRows) {
    const auto page = HelpPage::missing();
    ASSERT_EQ(page.paragraphs.size(), 2U);
    EXPECT_EQ(page.paragraphs[0].text, "ヘルプを読み込めませんでした");
    EXPECT_EQ(page.paragraphs[0].font, Font::title);
    EXPECT_EQ(page.paragraphs[0].spacingAfter, 12);
    EXPECT_EQ(page.paragraphs[1].text,
              "アプリの中にヘルプの本文（Help.md）が見つかりません。アプリを組み立て直すと直ります。");
    EXPECT_EQ(page.paragraphs[1].font, Font::body);
    EXPECT_EQ(page.paragraphs[1].spacingAfter, 8);
    EXPECT_TRUE(page.rows.empty());
    EXPECT_EQ(page.itemCount(), 0U);
}

TEST(HelpPageTest, ContentsRowMeasures) {
    struct WidthCase {
        std::optional<double> column;
        bool isGroup;
        double width;
    };
    for (const auto& c : std::vector<WidthCase>{{300, true, 288},
                                                {300, false, 272},
                                                {90, false, 80},
                                                {std::nullopt, true, 268},
                                                {std::nullopt, false, 252}}) {
        EXPECT_EQ(HelpPage::textWidth(c.column, c.isGroup), c.width) << c.column.value_or(-1) << c.isGroup;
    }
    struct HeightCase {
        double measured;
        bool isGroup;
        std::size_t index;
        double height;
        double shift;
    };
    for (const auto& c : std::vector<HeightCase>{{17.2, false, 0, 30, 0},
                                                 {20.5, false, 4, 33, 0},
                                                 {17.2, true, 0, 30, 0}, // the first group: no extra room
                                                 {17.2, true, 3, 40, 5},
                                                 {40.1, true, 3, 63, 5}}) {
        EXPECT_EQ(HelpPage::rowHeight(c.measured, c.isGroup, c.index), c.height) << c.measured << c.index;
        EXPECT_EQ(HelpPage::labelShift(c.isGroup, c.index), c.shift) << c.index;
    }
    EXPECT_EQ(HelpPage::labelLeading(true), 0);
    EXPECT_EQ(HelpPage::labelLeading(false), 16);
    EXPECT_EQ(HelpPage::jumpOffset(100), 92);
    EXPECT_EQ(HelpPage::jumpOffset(5), 0) << "never above the text's top";
}

TEST(HelpTopicTest, TitlesByLocalization) {
    struct Case {
        app::HelpTopic topic;
        std::string_view localization;
        std::string title;
    };
    for (const auto& c : std::vector<Case>{
             {app::HelpTopic::nothingHidden, "ja", "何も隠れない"},
             {app::HelpTopic::nothingHidden, "en", "Nothing is hidden"},
             {app::HelpTopic::hotkeys, "en-GB", "The hot keys don't work"},
             {app::HelpTopic::osUpdated, "fr", "macOS を新しくしたら一時停止になった"},
             {app::HelpTopic::warning, "EN", "操作口が三角の注意の印になっている"}, // compared as written
         }) {
        EXPECT_EQ(app::title(c.topic, c.localization), c.title) << c.localization;
    }
    for (const auto topic : app::allHelpTopics) {
        EXPECT_EQ(app::title(topic, "ja"), app::titleKey(topic)) << app::rawValue(topic);
    }
}

} // namespace PELLACOR_TEST_FILE
