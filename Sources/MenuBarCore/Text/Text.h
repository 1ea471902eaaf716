#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::core {

// Unicode text helpers over UTF-8 strings. Every folding, counting and trimming
// of user-visible text in the program goes through here, so that profile names,
// search and item fingerprints agree on what "the same text" means.
//
// Input may be malformed UTF-8: each ill-formed sequence reads as U+FFFD (one per
// maximal subpart, as ICU, Swift and the WHATWG decoder do), and every returned
// string is well-formed UTF-8. None of the foldings is locale-specific. None
// fails: text of any length is handed to ICU in pieces it can hold
// (`icuPieces`).
class Text {
public:
    Text() = delete;

    // Unicode general categories, as the platform's character sets name them.
    // clang-format off
    enum class Category {
        uppercaseLetter, lowercaseLetter, titlecaseLetter, modifierLetter, otherLetter,
        nonspacingMark, spacingMark, enclosingMark,
        decimalNumber, letterNumber, otherNumber,
        connectorPunctuation, dashPunctuation, openPunctuation, closePunctuation,
        initialPunctuation, finalPunctuation, otherPunctuation,
        mathSymbol, currencySymbol, modifierSymbol, otherSymbol,
        spaceSeparator, lineSeparator, paragraphSeparator,
        control, format, surrogate, privateUse, unassigned,
    };
    // clang-format on

    // Number of user-perceived characters (extended grapheme clusters):
    // "e" + U+0301, a flag, a ZWJ emoji sequence and CR LF each count as one.
    static std::size_t graphemeCount(std::string_view text);
    // The first `count` grapheme clusters (the whole text when it has fewer);
    // never cuts inside a cluster.
    static std::string graphemePrefix(std::string_view text, std::size_t count);

    // Full default Unicode case folding ("Straße" -> "strasse"). Not Turkish:
    // "I" -> "i", "İ" -> "i" + U+0307, dotless "ı" stays "ı". The result need not
    // be in any normalization form.
    static std::string caseFolded(std::string_view text);
    // NFD, drops every non-spacing mark (category Mn), NFC ("é" -> "e",
    // "Ångström" -> "Angstrom"). Letters without a decomposition stay ("ø", "ł").
    // Note the kana sound marks and the variation selectors are Mn too:
    // "ガ" -> "カ", "パ" -> "ハ", "❤" U+FE0F -> "❤".
    static std::string diacriticFolded(std::string_view text);
    // Every <wide> and <narrow> compatibility character to its counterpart:
    // full-width ASCII (U+FF01–U+FF5E), the ideographic space U+3000 and the
    // full-width signs U+FFE0–U+FFE6 to their narrow forms; half-width katakana,
    // punctuation, Hangul and symbols (U+FF61–U+FFEE) to their wide forms. A
    // half-width (semi-)voiced sound mark is composed with the kana before it
    // ("ｶﾞ" -> "ガ", "ﾊﾟ" -> "パ", "ｳﾞ" -> "ヴ"); where it cannot be, it becomes the
    // spacing mark U+309B / U+309C. Nothing else is normalized.
    static std::string widthFolded(std::string_view text);
    // Katakana U+30A1–U+30F6 to hiragana ("カタカナ" -> "かたかな") and the
    // iteration marks "ヽヾ" to "ゝゞ". The prolonged sound mark "ー", katakana
    // with no hiragana form ("ヷ" … "ヺ", "ㇰ" …) and half-width katakana (fold
    // width first) are left as they are, as is all other text.
    static std::string katakanaToHiragana(std::string_view text);

    // The Unicode general category; values above U+10FFFF are unassigned.
    static Category generalCategory(char32_t codePoint);
    // The white-space-and-newline set: the Unicode White_Space property, i.e.
    // the space separators (U+0020, U+00A0, U+1680, U+2000–U+200A, U+202F,
    // U+205F, U+3000), the line and paragraph separators U+2028 and U+2029, and
    // the controls U+0009–U+000D and U+0085. Not U+200B, U+FEFF or U+180E.
    static bool isWhitespaceOrNewline(char32_t codePoint);
    // The newline set: U+000A–U+000D, U+0085 and the line and paragraph
    // separators U+2028 and U+2029.
    static bool isNewline(char32_t codePoint);
    // Removes white space and newlines from both ends, never from the inside.
    static std::string trimmed(std::string_view text);

    // Equal after width folding and case folding of both sides, up to canonical
    // equivalence (so "é" and "e" + U+0301 are the same, as in Swift).
    static bool sameIgnoringCaseAndWidth(std::string_view a, std::string_view b);
    // The same characters up to canonical equivalence, nothing folded: "ガ"
    // precomposed equals "カ" + U+3099, but "A" differs from "a".
    static bool canonicallyEqual(std::string_view a, std::string_view b);
    // The order a file manager lists names in: letter case ignored, accents
    // not, and runs of digits compared by their value ("App 9" before "App
    // 10"). Negative, zero or positive as `a` sorts before, with or after `b`.
    // Names that differ only in case fall back to their bytes, so the order
    // is total.
    static int standardCompare(std::string_view a, std::string_view b);

    // UTF-8 <-> code points. Malformed UTF-8 turns into U+FFFD; surrogates and
    // values above U+10FFFF are written as U+FFFD.
    static std::u32string codePoints(std::string_view text);
    static std::string utf8(std::u32string_view codePoints);

    // The text cut into pieces of at most `limit` bytes (at least 4), each cut
    // right before an ASCII character that nothing before it joins: not the
    // LF of a CR LF, not after a prepended mark. No grapheme cluster and no
    // normalization segment spans such a cut, so folding or counting piece by
    // piece gives what the whole text would. Only text without ASCII
    // characters over `limit` bytes is cut elsewhere, between code points.
    static std::vector<std::string_view> icuPieces(std::string_view text, std::size_t limit);

private:
    static std::string diacriticFoldedPiece(std::string_view text);
};

} // namespace pellacor::core
