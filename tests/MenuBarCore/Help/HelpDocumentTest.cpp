#include "MenuBarCore/Help/HelpDocument.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using pellacor::core::HelpDocument;

namespace {

using Block = HelpDocument::Block;
using Paragraph = HelpDocument::Paragraph;
using Bullet = HelpDocument::Bullet;
using Step = HelpDocument::Step;

// Every case starts with a valid head so that only the lines under test show
// up in the blocks and the problems.
const std::string head = "# 題\n## 分類\n### 項目\n";

struct BodyCase {
    const char* name;
    std::string body;
    std::vector<Block> blocks;
    std::vector<std::string> problems;
};

class HelpBodyTest : public testing::TestWithParam<BodyCase> {};

TEST_P(HelpBodyTest, ReadsTheItemsBlocks) {
    const auto& c = GetParam();
    const auto document = HelpDocument::parse(head + c.body);
    ASSERT_EQ(document.title, "題");
    ASSERT_EQ(document.sections.size(), 1U);
    EXPECT_EQ(document.sections[0].blocks, c.blocks);
    EXPECT_EQ(document.problems, c.problems);
}

// Line numbers in the problems count the three lines of the head.
INSTANTIATE_TEST_SUITE_P(
    Lines, HelpBodyTest,
    testing::Values(
        BodyCase{"JoinsParagraphLinesWithNothing", "あいう\nえお\n", {Paragraph{"あいうえお"}}, {}},
        BodyCase{"BlankLineSplitsParagraphs", "あいう\n\nえお", {Paragraph{"あいう"}, Paragraph{"えお"}}, {}},
        BodyCase{"SpacesAndTabsOnlyLineIsBlank", "あ\n \t\u3000\nい", {Paragraph{"あ"}, Paragraph{"い"}}, {}},
        BodyCase{"TrimsUnicodeSpacesAndTabs", "\u3000あ\u00a0\t\u2003\n", {Paragraph{"あ"}}, {}},
        BodyCase{"KeepsOtherWhiteSpace", "あ\v", {Paragraph{"あ\v"}}, {}},
        BodyCase{"RemovesCarriageReturnsAnywhere", "あ\rい\r\nう\r\r", {Paragraph{"あいう"}}, {}},
        BodyCase{"CommentLineDoesNotEndParagraph", "あ\n<!-- メモ -->\nい", {Paragraph{"あい"}}, {}},
        BodyCase{
            "CommentOverFourLines", "あ\n<!--\n- 隠す\n# 題\n-->ここも捨てる\nい", {Paragraph{"あい"}}, {}},
        BodyCase{"IndentedCommentStart", "  <!-- x\nnot\n -->", {}, {}},
        BodyCase{"BulletAndContinuation", "- 一\n  二", {Bullet{"一二"}}, {}},
        BodyCase{"BulletTextIsNotTrimmed", "-  一 ", {Bullet{" 一 "}}, {}},
        BodyCase{"NestedBulletRefused", "- 一\n  - 二", {Bullet{"一"}}, {"5: 入れ子の箇条は使えない"}},
        BodyCase{"IndentAfterBlankRefused", "- 一\n\n  二", {Bullet{"一"}}, {"6: 使えない書き方   二"}},
        BodyCase{"PlainLineEndsBullet", "- 一\n二\n三", {Bullet{"一"}, Paragraph{"二三"}}, {}},
        BodyCase{"BulletEndsParagraph", "あ\n- 一", {Paragraph{"あ"}, Bullet{"一"}}, {}},
        BodyCase{"TwoDigitStep", "10. 手順", {Step{10, "手順"}}, {}},
        BodyCase{"OneDigitStepAndContinuation", "1. 開く\n\t閉じる", {Step{1, "開く閉じる"}}, {}},
        // Signed numbers are steps as written: the number parsing accepts a sign.
        BodyCase{"PlusSignedStep", "+3. 手順", {Step{3, "手順"}}, {}},
        BodyCase{"MinusSignedStep", "-1. 手順", {Step{-1, "手順"}}, {}},
        BodyCase{"LeadingZeroStep", "07. 手順", {Step{7, "手順"}}, {}},
        BodyCase{"StepTextIsNotTrimmed", "2.  手順 ", {Step{2, " 手順 "}}, {}},
        BodyCase{"SignAloneIsNoNumber", "+. 手順", {Paragraph{"+. 手順"}}, {}},
        BodyCase{"ThreeDigitsAreNoStep", "123. 手順", {Paragraph{"123. 手順"}}, {}},
        BodyCase{"LetterIsNoStep", "a. 手順", {Paragraph{"a. 手順"}}, {}},
        BodyCase{"DecimalIsNoStep", "1.5", {Paragraph{"1.5"}}, {}},
        BodyCase{"NoSpaceAfterDotIsNoStep", "3.x", {Paragraph{"3.x"}}, {}},
        BodyCase{"EndingAtDotIsNoStep", "1.", {Paragraph{"1."}}, {}},
        BodyCase{"FullWidthDigitsAreNoStep", "１. 手順", {Paragraph{"１. 手順"}}, {}},
        BodyCase{"StepEndsBullet", "- 一\n2. 二", {Bullet{"一"}, Step{2, "二"}}, {}},
        BodyCase{"FourHashesRefused", "#### 深い", {}, {"4: 使えない書き方 #### 深い"}},
        BodyCase{"HashWithoutSpaceRefused", "#題", {}, {"4: 使えない書き方 #題"}},
        BodyCase{"RefusedLineCutAfterTwelveCharacters",
                 "> 一二三四五六七八九十壱弐",
                 {},
                 {"4: 使えない書き方 > 一二三四五六七八九十"}},
        BodyCase{
            "CutCountsCharactersNotBytes",
            "| e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301",
            {},
            {"4: 使えない書き方 | e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301"}},
        BodyCase{"OtherMarkdownRefused",
                 "```\n* 星\n---\n|a|",
                 {},
                 {"4: 使えない書き方 ```", "5: 使えない書き方 * 星", "6: 使えない書き方 ---",
                  "7: 使えない書き方 |a|"}},
        BodyCase{"IndentedWithoutListRefused", "あ\n  い", {Paragraph{"あ"}}, {"5: 使えない書き方   い"}},
        BodyCase{"SecondTitleRefusedParagraphGoesOn",
                 "あ\n# 二つ目\nい",
                 {Paragraph{"あい"}},
                 {"5: 題（# ）は先頭に1つだけ"}},
        BodyCase{"IndentedHeadingIsNoHeading", " ### 項目", {}, {"4: 使えない書き方  ### 項目"}}));

TEST(HelpDocumentTest, EmptyTextHasBothDocumentProblemsInOrder) {
    const HelpDocument expected{"", {}, {"題（# ）がない", "項目（### ）がない"}};
    EXPECT_EQ(HelpDocument::parse(""), expected);
}

TEST(HelpDocumentTest, CarriageReturnLineFeedParsesLikeLineFeed) {
    const std::string text = "# 題\n## 分類\n### 項目\nあ\n- い\n> x\n";
    std::string crlf;
    for (const char c : text) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    const auto document = HelpDocument::parse(crlf);
    EXPECT_EQ(document, HelpDocument::parse(text));
    EXPECT_EQ(document.problems, std::vector<std::string>{"6: 使えない書き方 > x"});
}

TEST(HelpDocumentTest, ItemBeforeGroupIsKeptWithEmptyGroup) {
    const auto document = HelpDocument::parse("# 題\n### 先\nあ\n## 分類\n### 後");
    const std::vector<HelpDocument::Section> expected{{"", "先", {Paragraph{"あ"}}}, {"分類", "後", {}}};
    EXPECT_EQ(document.sections, expected);
    EXPECT_EQ(document.problems, std::vector<std::string>{"2: 項目（### ）の前に分類（## ）がない"});
}

TEST(HelpDocumentTest, TitleAfterGroupIsRefusedAndStaysMissing) {
    const auto document = HelpDocument::parse("## 分類\n# 題\n### 項目");
    EXPECT_EQ(document.title, "");
    const std::vector<std::string> problems{"2: 題（# ）は先頭に1つだけ", "題（# ）がない"};
    EXPECT_EQ(document.problems, problems);
}

TEST(HelpDocumentTest, TextOutsideItemsIsRefused) {
    const auto document =
        HelpDocument::parse("# 題\n前書き\n## 分類\n- 箇条\n1. 手順\n###   項目  \n本文\n## 次\n");
    const std::vector<std::string> problems{"2: 項目（### ）の前に本文がある",
                                            "4: 項目（### ）の前に本文がある",
                                            "5: 項目（### ）の前に本文がある"};
    EXPECT_EQ(document.problems, problems);
    const std::vector<HelpDocument::Section> expected{{"分類", "項目", {Paragraph{"本文"}}}};
    EXPECT_EQ(document.sections, expected);
}

TEST(HelpDocumentTest, HeadingsCloseOpenBlocksAndTitlesAreTrimmed) {
    const auto document =
        HelpDocument::parse("#  題\u3000\n## 一\n### 甲\n- 箇条\n### 乙\n段落\n## 二\n### 丙\n1. 手順");
    EXPECT_EQ(document.title, "題");
    const std::vector<HelpDocument::Section> expected{
        {"一", "甲", {Bullet{"箇条"}}}, {"一", "乙", {Paragraph{"段落"}}}, {"二", "丙", {Step{1, "手順"}}}};
    EXPECT_EQ(document.sections, expected);
    EXPECT_TRUE(document.problems.empty());
}

TEST(HelpDocumentTest, MissingItemsAtTheEnd) {
    EXPECT_EQ(HelpDocument::parse("# 題\n## 分類\n").problems,
              std::vector<std::string>{"項目（### ）がない"});
}

TEST(HelpDocumentTest, MalformedBytesReadAsReplacementCharacters) {
    const auto document = HelpDocument::parse(head + "a\xff" + "b");
    ASSERT_EQ(document.sections.size(), 1U);
    EXPECT_EQ(document.sections[0].blocks, std::vector<Block>{Paragraph{"a\uFFFDb"}});
}

struct SpanCase {
    const char* name;
    std::string line;
    std::vector<HelpDocument::Span> runs;
};

class HelpSpansTest : public testing::TestWithParam<SpanCase> {};

TEST_P(HelpSpansTest, SplitsAtMarkerPairs) {
    EXPECT_EQ(HelpDocument::spans(GetParam().line), GetParam().runs);
}

INSTANTIATE_TEST_SUITE_P(
    Spans, HelpSpansTest,
    testing::Values(SpanCase{"Empty", "", {}}, SpanCase{"Plain", "あいう", {{"あいう", false}}},
                    SpanCase{"Middle", "a**b**c", {{"a", false}, {"b", true}, {"c", false}}},
                    SpanCase{"UnmatchedStaysWhole", "**abc", {{"**abc", false}}},
                    SpanCase{"EmptyPair", "****", {{"", true}}},
                    SpanCase{"EdgesHaveNoEmptyPlainRuns", "**a**", {{"a", true}}},
                    SpanCase{"TwoPairs", "**甲**と**乙**", {{"甲", true}, {"と", false}, {"乙", true}}},
                    SpanCase{
                        "OddMarkerLeftPlain", "a**b**c**d", {{"a", false}, {"b", true}, {"c**d", false}}},
                    SpanCase{"ThreeStarsOpenAtTheFirstTwo", "***x**", {{"*x", true}}}));

TEST(HelpDocumentTest, GroupsAreRunsOfConsecutiveItems) {
    HelpDocument document;
    EXPECT_TRUE(document.groups().empty());
    for (const char* group : {"A", "A", "B", "A"}) {
        document.sections.push_back({group, "t", {}});
    }
    EXPECT_EQ(document.groups(), (std::vector<std::string>{"A", "B", "A"}));
}

} // namespace
} // namespace PELLACOR_TEST_FILE
