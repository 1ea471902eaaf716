#include "MenuBarCore/Help/HelpDocument.h"

#include <cctype>
#include <cstddef>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

namespace PELLACOR_TEST_FILE {

using pellacor::core::HelpDocument;

namespace {

std::string readHelp(const std::string& folder) {
    std::ifstream file(std::string(PELLACOR_HELP_RESOURCES) + "/" + folder + "/Help.md", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

struct Localization {
    const char* folder;
    // The item headings the help topics jump to, in the topics' order: the
    // Japanese texts are the topics' keys, the English ones their translations.
    std::vector<std::string> topicTitles;
};

class BundledHelpTest : public testing::TestWithParam<Localization> {};

TEST_P(BundledHelpTest, ParsesCleanlyAndHoldsEveryTopicsItem) {
    const std::string text = readHelp(GetParam().folder);
    ASSERT_FALSE(text.empty()) << GetParam().folder;
    const auto document = HelpDocument::parse(text);
    EXPECT_EQ(document.problems, std::vector<std::string>{});
    EXPECT_FALSE(document.title.empty());
    for (const auto& title : GetParam().topicTitles) {
        int count = 0;
        for (const auto& section : document.sections) {
            count += section.title == title ? 1 : 0;
        }
        EXPECT_EQ(count, 1) << title;
    }
    for (const auto& section : document.sections) {
        EXPECT_FALSE(section.blocks.empty()) << section.title;
        EXPECT_FALSE(section.group.empty()) << section.title;
    }
}

// The parser joins a paragraph's lines with nothing between them, which suits
// only the Japanese text: an English paragraph wrapped over two lines would run
// its sentences together ("bar.You").
TEST(BundledHelpTest, EnglishSentencesAreNotRunTogether) {
    const auto document = HelpDocument::parse(readHelp("en.lproj"));
    for (const auto& section : document.sections) {
        for (const auto& block : section.blocks) {
            std::visit(
                [](const auto& value) {
                    const std::string& text = value.text;
                    for (std::size_t at = 0; at + 1 < text.size(); ++at) {
                        const bool endsSentence = text[at] == '.' || text[at] == ':' || text[at] == ',';
                        EXPECT_FALSE(endsSentence &&
                                     std::isupper(static_cast<unsigned char>(text[at + 1])) != 0)
                            << text;
                    }
                },
                block);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Localizations, BundledHelpTest,
                         testing::Values(Localization{"ja.lproj",
                                                      {"macOS を新しくしたら一時停止になった",
                                                       "操作口が三角の注意の印になっている", "何も隠れない",
                                                       "許可したのに動かない", "ホットキーが効かない"}},
                                         Localization{"en.lproj",
                                                      {"Pellacor paused after a macOS update",
                                                       "The control item shows a warning triangle",
                                                       "Nothing is hidden",
                                                       "It doesn't work even though I granted permission",
                                                       "The hot keys don't work"}}));

} // namespace
} // namespace PELLACOR_TEST_FILE
