#include "MenuBarCore/Text/Text.h"

#include <cstdint>
#include <fmt/format.h>
#include <gtest/gtest.h>
#include <iterator>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using pellacor::core::Text;

namespace {

// What a case exercises. Every operation's result is rendered as a string so
// that one table holds them all.
enum class Op {
    graphemeCount,      // input -> decimal count
    graphemePrefix,     // input, count -> prefix
    caseFolded,         // input -> folded
    diacriticFolded,    // input -> folded
    widthFolded,        // input -> folded
    katakanaToHiragana, // input -> converted
    category,           // points -> category code per code point, space-separated
    whitespace,         // points -> '1' or '0' per code point
    newline,            // points -> '1' or '0' per code point
    trimmed,            // input -> trimmed
    same,               // input, other -> "true" / "false"
    codePoints,         // input -> hex code points, space-separated
    utf8,               // points -> UTF-8
};

struct Case {
    const char* name;
    Op op;
    std::string input;
    std::string expected;
    std::size_t count = 0;      // graphemePrefix
    std::string other = {};     // same
    std::u32string points = {}; // category, whitespace, utf8
};

const char* categoryCode(Text::Category c) {
    using C = Text::Category;
    switch (c) {
    case C::uppercaseLetter:
        return "Lu";
    case C::lowercaseLetter:
        return "Ll";
    case C::titlecaseLetter:
        return "Lt";
    case C::modifierLetter:
        return "Lm";
    case C::otherLetter:
        return "Lo";
    case C::nonspacingMark:
        return "Mn";
    case C::spacingMark:
        return "Mc";
    case C::enclosingMark:
        return "Me";
    case C::decimalNumber:
        return "Nd";
    case C::letterNumber:
        return "Nl";
    case C::otherNumber:
        return "No";
    case C::connectorPunctuation:
        return "Pc";
    case C::dashPunctuation:
        return "Pd";
    case C::openPunctuation:
        return "Ps";
    case C::closePunctuation:
        return "Pe";
    case C::initialPunctuation:
        return "Pi";
    case C::finalPunctuation:
        return "Pf";
    case C::otherPunctuation:
        return "Po";
    case C::mathSymbol:
        return "Sm";
    case C::currencySymbol:
        return "Sc";
    case C::modifierSymbol:
        return "Sk";
    case C::otherSymbol:
        return "So";
    case C::spaceSeparator:
        return "Zs";
    case C::lineSeparator:
        return "Zl";
    case C::paragraphSeparator:
        return "Zp";
    case C::control:
        return "Cc";
    case C::format:
        return "Cf";
    case C::surrogate:
        return "Cs";
    case C::privateUse:
        return "Co";
    case C::unassigned:
        return "Cn";
    }
    return "?";
}

std::string run(const Case& c) {
    auto perPoint = [&](auto render) {
        std::string out;
        for (char32_t p : c.points) {
            out += out.empty() ? "" : " ";
            out += render(p);
        }
        return out;
    };
    switch (c.op) {
    case Op::graphemeCount:
        return std::to_string(Text::graphemeCount(c.input));
    case Op::graphemePrefix:
        return Text::graphemePrefix(c.input, c.count);
    case Op::caseFolded:
        return Text::caseFolded(c.input);
    case Op::diacriticFolded:
        return Text::diacriticFolded(c.input);
    case Op::widthFolded:
        return Text::widthFolded(c.input);
    case Op::katakanaToHiragana:
        return Text::katakanaToHiragana(c.input);
    case Op::category:
        return perPoint([](char32_t p) { return categoryCode(Text::generalCategory(p)); });
    case Op::whitespace:
        return perPoint([](char32_t p) { return Text::isWhitespaceOrNewline(p) ? "1" : "0"; });
    case Op::newline:
        return perPoint([](char32_t p) { return Text::isNewline(p) ? "1" : "0"; });
    case Op::trimmed:
        return Text::trimmed(c.input);
    case Op::same:
        return Text::sameIgnoringCaseAndWidth(c.input, c.other) ? "true" : "false";
    case Op::codePoints: {
        std::string out;
        for (char32_t p : Text::codePoints(c.input)) {
            out += fmt::format("{}{:X}", out.empty() ? "" : " ", static_cast<std::uint32_t>(p));
        }
        return out;
    }
    case Op::utf8:
        return Text::utf8(c.points);
    }
    return {};
}

const std::string family =
    "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466"; // 👨‍👩‍👧‍👦

const std::vector<Case> cases = {
    // Grapheme clusters.
    {"count_empty", Op::graphemeCount, "", "0"},
    {"count_ascii", Op::graphemeCount, "abc", "3"},
    {"count_combining_acute", Op::graphemeCount, "e\u0301", "1"},
    {"count_stacked_marks", Op::graphemeCount, "e\u0301\u0323x", "2"},
    {"count_two_flags", Op::graphemeCount, "🇯🇵🇺🇸", "2"},
    {"count_odd_regional_indicator", Op::graphemeCount, "🇯🇵🇺", "2"},
    {"count_zwj_family", Op::graphemeCount, family, "1"},
    {"count_skin_tone", Op::graphemeCount, "👍🏽", "1"},
    {"count_keycap", Op::graphemeCount, "1\uFE0F\u20E3", "1"},
    {"count_crlf", Op::graphemeCount, "\r\n", "1"},
    {"count_lfcr", Op::graphemeCount, "\n\r", "2"},
    {"count_hangul_jamo", Op::graphemeCount, "\u1100\u1161\u11A8", "1"},
    {"count_decomposed_kana", Op::graphemeCount, "カ\u3099", "1"},
    {"count_halfwidth_voiced_kana", Op::graphemeCount, "ｶﾞ", "1"}, // U+FF9E is Grapheme_Extend
    {"count_embedded_nul", Op::graphemeCount, std::string("a\0b", 3), "3"},
    {"count_malformed", Op::graphemeCount,
     "a\xFF"
     "b",
     "3"},
    {"prefix_zero", Op::graphemePrefix, "abc", "", 0},
    {"prefix_longer_than_text", Op::graphemePrefix, "abc", "abc", 10},
    {"prefix_keeps_combining_mark", Op::graphemePrefix, "e\u0301x", "e\u0301", 1},
    {"prefix_keeps_flag_whole", Op::graphemePrefix, "🇯🇵🇺🇸", "🇯🇵", 1},
    {"prefix_keeps_zwj_family_whole", Op::graphemePrefix, family + "ab", family, 1},
    {"prefix_keeps_skin_tone", Op::graphemePrefix, "👍🏽👍", "👍🏽", 1},
    {"prefix_keeps_crlf", Op::graphemePrefix, "\r\nx", "\r\n", 1},
    {"prefix_keeps_halfwidth_voiced_kana", Op::graphemePrefix, "ｶﾞｲﾄﾞ", "ｶﾞｲ", 2},
    {"prefix_repairs_malformed", Op::graphemePrefix,
     "a\xFF"
     "bc",
     "a\uFFFD", 2},

    // Case folding: full, default (not Turkish).
    {"case_sharp_s", Op::caseFolded, "Straße", "strasse"},
    {"case_capital_sharp_s", Op::caseFolded, "\u1E9E", "ss"},
    {"case_dotless_i_stays", Op::caseFolded, "ı", "ı"},
    {"case_dotted_capital_i", Op::caseFolded, "İ", "i\u0307"},
    {"case_plain_capital_i", Op::caseFolded, "I", "i"},
    {"case_sigma", Op::caseFolded, "ΣΑΣ ς", "σασ σ"},
    {"case_ligature", Op::caseFolded, "ﬁ", "fi"},
    {"case_j_caron_expands", Op::caseFolded, "\u01F0", "j\u030C"},
    {"case_fullwidth_stays_wide", Op::caseFolded, "Ｐｒｏｆｉｌｅ", "ｐｒｏｆｉｌｅ"},
    {"case_kana_untouched", Op::caseFolded, "カタカナ", "カタカナ"},
    {"case_malformed", Op::caseFolded, "A\xC3", "a\uFFFD"},

    // Diacritic folding: NFD, drop Mn, NFC.
    {"diacritic_combining_acute", Op::diacriticFolded, "e\u0301", "e"},
    {"diacritic_precomposed", Op::diacriticFolded, "Crème Brûlée", "Creme Brulee"},
    {"diacritic_angstrom", Op::diacriticFolded, "Ångström", "Angstrom"},
    {"diacritic_dotted_capital_i", Op::diacriticFolded, "İ", "I"},
    {"diacritic_no_decomposition", Op::diacriticFolded, "øł", "øł"},
    {"diacritic_no_compatibility", Op::diacriticFolded, "ﬁ", "ﬁ"},
    {"diacritic_hangul_recomposed", Op::diacriticFolded, "한국어", "한국어"},
    {"diacritic_kana_sound_marks", Op::diacriticFolded, "ガパ", "カハ"},
    {"diacritic_emoji_modifier_kept", Op::diacriticFolded, "👍🏽", "👍🏽"},
    {"diacritic_variation_selector", Op::diacriticFolded, "❤\uFE0F", "❤"},
    {"diacritic_malformed", Op::diacriticFolded,
     "\xE2\x82"
     "e\u0301",
     "\uFFFD"
     "e"},

    // Width folding.
    {"width_fullwidth_latin", Op::widthFolded, "Ｐｒｏｆｉｌｅ", "Profile"},
    {"width_fullwidth_ascii_ends", Op::widthFolded, "！～", "!~"},
    {"width_ideographic_space", Op::widthFolded, "Ａ\u3000Ｂ", "A B"},
    {"width_fullwidth_signs", Op::widthFolded, "￥１００￠", "¥100¢"},
    {"width_halfwidth_katakana", Op::widthFolded, "ｱｲｳｴｵｦﾝｯｧ", "アイウエオヲンッァ"},
    {"width_voiced", Op::widthFolded, "ｶﾞ", "ガ"},
    {"width_semi_voiced", Op::widthFolded, "ﾊﾟ", "パ"},
    {"width_voiced_u", Op::widthFolded, "ｳﾞ", "ヴ"},
    {"width_voiced_wa", Op::widthFolded, "ﾜﾞ", "ヷ"},
    {"width_word", Op::widthFolded, "ﾃﾞｨｽﾌﾟﾚｲ ﾌﾟﾛﾌｨｰﾙ", "ディスプレイ プロフィール"},
    {"width_halfwidth_punctuation", Op::widthFolded, "｡｢｣､･ｰ", "。「」、・ー"},
    {"width_voiced_mark_alone", Op::widthFolded, "ﾞaﾟ", "゛a゜"},
    {"width_voiced_mark_not_composable", Op::widthFolded, "ﾅﾟｶﾞﾞ", "ナ゜ガ゛"},
    {"width_voiced_mark_after_fullwidth_kana", Op::widthFolded, "カﾞ", "ガ"},
    {"width_halfwidth_hangul", Op::widthFolded, "\uFFA1\uFFC2", "\u3131\u314F"},
    {"width_already_folded", Op::widthFolded, "abc カ ガ", "abc カ ガ"},
    {"width_does_not_normalize", Op::widthFolded, "e\u0301 カ\u3099", "e\u0301 カ\u3099"},
    {"width_case_kept", Op::widthFolded, "ｐＲ", "pR"},
    {"width_malformed", Op::widthFolded,
     "\xFF"
     "ﾞ",
     "\uFFFD゛"},

    // Katakana to hiragana.
    {"kana_basic", Op::katakanaToHiragana, "カタカナ", "かたかな"},
    {"kana_range_ends", Op::katakanaToHiragana, "ァヴヵヶ", "ぁゔゕゖ"},
    {"kana_iteration_marks", Op::katakanaToHiragana, "ヽヾ", "ゝゞ"},
    {"kana_prolonged_mark_stays", Op::katakanaToHiragana, "ラーメン", "らーめん"},
    {"kana_without_hiragana_form", Op::katakanaToHiragana, "ヷヺ・ㇰ", "ヷヺ・ㇰ"},
    {"kana_halfwidth_untouched", Op::katakanaToHiragana, "ｶﾀｶﾅ", "ｶﾀｶﾅ"},
    {"kana_decomposed", Op::katakanaToHiragana, "カ\u3099", "か\u3099"},
    {"kana_other_text", Op::katakanaToHiragana, "Abc ひらがな 漢字", "Abc ひらがな 漢字"},

    // General categories, one code point each.
    {"category_all", Op::category, "",
     "Lu Ll Lt Lm Lo Mn Mc Me Nd Nl No Pc Pd Ps Pe Pi Pf Po Sm Sc Sk So Zs Zl Zp Cc Cf Cs Co Cn Cn", 0, "",
     U"Aaǅʰあ\u0301\u0903\u20DD7Ⅻ½_-()«»!+$^©\u0020\u2028\u2029\t\u200B\xD800\uE000\u0378\x110000"},
    {"category_kana_and_marks", Op::category, "", "Lo Lo Lm Mn Lm Sk", 0, "", U"カかー\u3099ﾞ゛"},

    // White space and newlines.
    {"whitespace_members", Op::whitespace, "", "1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1", 0, "",
     U"\t\n\v\f\r \u0085\u00A0\u1680\u2000\u200A\u2028\u2029\u202F\u205F\u3000"},
    {"whitespace_non_members", Op::whitespace, "", "0 0 0 0 0 0", 0, "",
     U"\u200B\uFEFF\u180E\u2060x\x110000"},
    {"newline_members", Op::newline, "", "1 1 1 1 1 1 1", 0, "", U"\n\v\f\r\u0085\u2028\u2029"},
    {"newline_non_members", Op::newline, "", "0 0 0 0 0 0 0", 0, "", U"\t \u00A0\u3000\u200Bx\x110000"},
    {"trim_both_ends", Op::trimmed, " \t\r\n\u2028\u3000name\u00A0\u2029\v\f\u0085", "name"},
    {"trim_not_inside", Op::trimmed, "\u3000a \t\r\n\u2028\u3000b\r\n", "a \t\r\n\u2028\u3000b"},
    {"trim_only_space", Op::trimmed, "\u3000 \u2028\t", ""},
    {"trim_empty", Op::trimmed, "", ""},
    {"trim_zero_width_space_kept", Op::trimmed, "\u200Bx\u200B", "\u200Bx\u200B"},
    {"trim_malformed", Op::trimmed, " \xFF ", "\uFFFD"},

    // Equality ignoring case and width.
    {"same_fullwidth_latin", Op::same, "Ｐｒｏｆｉｌｅ", "true", 0, "PROFILE"},
    {"same_halfwidth_katakana", Op::same, "ｶﾞｲﾄﾞ", "true", 0, "ガイド"},
    {"same_sharp_s", Op::same, "Straße", "true", 0, "STRASSE"},
    {"same_ideographic_space", Op::same, "a b", "true", 0, "Ａ\u3000Ｂ"},
    {"same_canonically_equivalent", Op::same, "é", "true", 0, "E\u0301"},
    {"same_voiced_decomposed", Op::same, "ｶﾞ", "true", 0, "カ\u3099"},
    {"same_dotless_i_differs", Op::same, "ı", "false", 0, "I"},
    {"same_dotted_capital_i_differs", Op::same, "İ", "false", 0, "i"},
    {"same_dotted_capital_i", Op::same, "İ", "true", 0, "i\u0307"},
    {"same_diacritics_matter", Op::same, "é", "false", 0, "e"},
    {"same_kana_kinds_matter", Op::same, "カ", "false", 0, "か"},
    {"same_empty", Op::same, "", "true", 0, ""},
    {"same_malformed", Op::same, "\xFF", "true", 0, "\uFFFD"},

    // UTF-8 decoding: one U+FFFD per maximal subpart.
    {"decode_valid", Op::codePoints, "aé😀", "61 E9 1F600"},
    {"decode_embedded_nul", Op::codePoints, std::string("a\0", 2), "61 0"},
    {"decode_invalid_byte", Op::codePoints,
     "a\xFF"
     "b",
     "61 FFFD 62"},
    {"decode_truncated_two_byte", Op::codePoints, "\xC3", "FFFD"},
    {"decode_truncated_three_byte", Op::codePoints, "\xE2\x82x", "FFFD 78"},
    {"decode_truncated_four_byte", Op::codePoints, "\xF0\x9F\x87", "FFFD"},
    {"decode_stray_continuations", Op::codePoints, "\x80\xBF", "FFFD FFFD"},
    {"decode_overlong_two_byte", Op::codePoints, "\xC0\xAF", "FFFD FFFD"},
    {"decode_overlong_three_byte", Op::codePoints, "\xE0\x80\xAF", "FFFD FFFD FFFD"},
    {"decode_surrogate", Op::codePoints, "\xED\xA0\x80", "FFFD FFFD FFFD"},
    {"decode_above_max", Op::codePoints, "\xF4\x90\x80\x80", "FFFD FFFD FFFD FFFD"},
    {"decode_five_byte_form", Op::codePoints, "\xF8\x88\x80\x80\x80", "FFFD FFFD FFFD FFFD FFFD"},
    {"decode_lead_then_ascii", Op::codePoints,
     "\xE2"
     "a",
     "FFFD 61"},
    {"encode_valid", Op::utf8, "", "aé😀", 0, "", U"aé😀"},
    {"encode_surrogate", Op::utf8, "", "\uFFFD", 0, "", std::u32string(1, char32_t{0xD800})},
    {"encode_above_max", Op::utf8, "", "\uFFFD\uFFFD", 0, "",
     std::u32string{char32_t{0x110000}, char32_t{0xFFFFFFFF}}},
};

// Names the case in test listings and failure messages (instead of a dump of
// its bytes).
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class TextTest : public ::testing::TestWithParam<Case> {};

TEST_P(TextTest, Case) {
    const Case& c = GetParam();
    EXPECT_EQ(run(c), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, TextTest, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });

// Every full-width ASCII character folds to its ASCII counterpart, and every
// half-width katakana to one full-width character that katakanaToHiragana then
// handles like any other.
TEST(TextSweepTest, WidthFoldingCoversTheRanges) {
    for (char32_t c = 0xFF01; c <= 0xFF5E; ++c) {
        EXPECT_EQ(Text::codePoints(Text::widthFolded(Text::utf8(std::u32string(1, c)))),
                  std::u32string(1, c - 0xFEE0))
            << std::hex << static_cast<std::uint32_t>(c);
    }
    for (char32_t c = 0xFF66; c <= 0xFF9D; ++c) {
        std::u32string folded = Text::codePoints(Text::widthFolded(Text::utf8(std::u32string(1, c))));
        ASSERT_EQ(folded.size(), 1u) << std::hex << static_cast<std::uint32_t>(c);
        EXPECT_TRUE(folded[0] >= 0x30A1 && folded[0] <= 0x30FC) << std::hex << static_cast<std::uint32_t>(c);
    }
}

// Random bytes never crash any operation, and everything that comes out is
// well-formed UTF-8.
TEST(TextSweepTest, ArbitraryBytesGiveWellFormedText) {
    const std::string alphabet[] = {"a",        " ",        "\xFF",   "\x80", "\xC3", "\xE2\x82",
                                    "\xF0\x9F", "\xED\xA0", "\u0301", "ｶ",    "ﾞ",    "\u3000",
                                    "🇯",        "\u200D",   "\r",     "\n",   "İ",    "ß"};
    std::mt19937 random(12345);
    auto wellFormed = [](const std::string& s) { return Text::utf8(Text::codePoints(s)) == s; };
    for (int i = 0; i < 500; ++i) {
        std::string s;
        for (std::size_t n = random() % 12; n > 0; --n) {
            s += alphabet[random() % std::size(alphabet)];
        }
        SCOPED_TRACE(testing::PrintToString(s));
        EXPECT_TRUE(wellFormed(Text::graphemePrefix(s, random() % 6)));
        EXPECT_LE(Text::graphemeCount(s), Text::codePoints(s).size());
        EXPECT_TRUE(wellFormed(Text::caseFolded(s)));
        EXPECT_TRUE(wellFormed(Text::diacriticFolded(s)));
        EXPECT_TRUE(wellFormed(Text::widthFolded(s)));
        EXPECT_TRUE(wellFormed(Text::katakanaToHiragana(s)));
        EXPECT_TRUE(wellFormed(Text::trimmed(s)));
        EXPECT_TRUE(Text::sameIgnoringCaseAndWidth(s, s));
    }
}

} // namespace

// Text too long for ICU goes to it in pieces; counting and folding piece by
// piece must give what the whole text gives, wherever the pieces are cut.
TEST(TextPiecesTest, PiecesNeverCutAClusterOrANormalizationSegment) {
    // The literals are split after hexadecimal escapes on purpose, not for
    // want of a comma.
    // NOLINTBEGIN(bugprone-suspicious-missing-comma)
    const std::string samples[]{
        "e\xCC\x81tude Stra\xC3\x9F"
        "e \xF0\x9F\x87\xAF\xF0\x9F\x87\xB5 flag", // é, ß, a flag
        "a\r\nb\r\n\r\nc",                         // CR LF pairs
        "\xD8\x80"
        "1\xD8\x80"
        "23 \xD9\x85\xD8\xAD",                                                     // prepended marks
        "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB x \xE3\x82\xAB\xE3\x82\x99", // ZWJ, カ + ゛
        "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86\xE3\x81\x88\xE3\x81\x8A",            // no ASCII at all
        "A\xCC\x8A\xCC\x81ngstr\xC3\xB6m \xC4\xB0 \xFF\xFE bad",                   // marks, İ, ill-formed
    };
    // NOLINTEND(bugprone-suspicious-missing-comma)
    for (const std::string& text : samples) {
        for (std::size_t limit = 4; limit <= text.size() + 1; ++limit) {
            const auto pieces = Text::icuPieces(text, limit);
            std::string joined;
            bool cutAtAscii = true;
            std::size_t graphemes = 0;
            std::string caseFolded;
            std::string diacriticFolded;
            for (std::string_view piece : pieces) {
                EXPECT_LE(piece.size(), limit);
                if (!joined.empty()) {
                    // Never inside a code point, whatever the text.
                    EXPECT_NE(static_cast<unsigned char>(piece.front()) & 0xC0U, 0x80U);
                    // A cut the rule allows: before ASCII, not inside CR LF,
                    // not after the prepended mark U+0600.
                    cutAtAscii = cutAtAscii && static_cast<unsigned char>(piece.front()) < 0x80U &&
                                 !(piece.front() == '\n' && joined.back() == '\r') &&
                                 !joined.ends_with("\xD8\x80");
                }
                joined += piece;
                graphemes += Text::graphemeCount(piece);
                caseFolded += Text::caseFolded(piece);
                diacriticFolded += Text::diacriticFolded(piece);
            }
            const auto where = fmt::format("{:?} cut at {}", text, limit);
            EXPECT_EQ(joined, text) << where;
            // Text with no such place within `limit` bytes has to be cut
            // elsewhere; where the rule allows, the pieces add up to the whole.
            if (cutAtAscii) {
                EXPECT_EQ(graphemes, Text::graphemeCount(text)) << where;
                EXPECT_EQ(caseFolded, Text::caseFolded(text)) << where;
                EXPECT_EQ(diacriticFolded, Text::diacriticFolded(text)) << where;
            }
        }
    }
    EXPECT_EQ(Text::icuPieces("", 16), std::vector<std::string_view>{""});
}

TEST(TextStandardOrderTest, SortsAsAFileManagerListsNames) {
    struct Pair {
        const char* before;
        const char* after;
    };
    const Pair pairs[] = {
        {"App 9", "App 10"},   // numbers by value
        {"app 2", "App 10"},   // case ignored, then the number
        {"file2b", "file10a"}, // a run of digits inside the name
        {"alpha", "Beta"},     // case ignored
        {"resume", "résumé"},  // accents count
        {"A", "a"},            // only case apart: still an order, the same every time
        {"", "a"},
    };
    for (const auto& pair : pairs) {
        EXPECT_LT(Text::standardCompare(pair.before, pair.after), 0) << pair.before << " < " << pair.after;
        EXPECT_GT(Text::standardCompare(pair.after, pair.before), 0) << pair.after << " > " << pair.before;
    }
    EXPECT_EQ(Text::standardCompare("Fernlight", "Fernlight"), 0);
    // Malformed UTF-8 still compares.
    EXPECT_NE(Text::standardCompare("\xff", "a"), 0);
}

} // namespace PELLACOR_TEST_FILE
