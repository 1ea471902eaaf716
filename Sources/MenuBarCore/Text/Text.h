#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pellacor::core {

// Unicode text helpers over UTF-8 strings. Every folding, counting and trimming
// of user-visible text in the program goes through here, so that profile names,
// search and item fingerprints agree on what "the same text" means.
class Text {
public:
    Text() = delete;

    // Unicode general categories, as the platform's character sets name them.
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

    // Number of user-perceived characters (extended grapheme clusters).
    static std::size_t graphemeCount(std::string_view text);
    // The first `count` grapheme clusters (the whole text when it has fewer).
    static std::string graphemePrefix(std::string_view text, std::size_t count);

    // Full Unicode case folding ("Straße" -> "strasse").
    static std::string caseFolded(std::string_view text);
    // Decomposes, drops non-spacing marks, recomposes ("é" -> "e").
    static std::string diacriticFolded(std::string_view text);
    // Full-width ASCII and the ideographic space to their narrow forms, half-width
    // katakana to full width with voiced marks composed ("ｶﾞ" -> "ガ").
    static std::string widthFolded(std::string_view text);
    // Katakana to hiragana ("カタカナ" -> "かたかな"); other text unchanged.
    static std::string katakanaToHiragana(std::string_view text);

    static Category generalCategory(char32_t codePoint);
    // The white-space-and-newline set: Unicode White_Space plus the line and
    // paragraph separators and the control characters U+0085.
    static bool isWhitespaceOrNewline(char32_t codePoint);
    // Removes white space and newlines from both ends.
    static std::string trimmed(std::string_view text);

    // Equal after case folding and width folding of both sides.
    static bool sameIgnoringCaseAndWidth(std::string_view a, std::string_view b);

    // UTF-8 <-> code points. Malformed UTF-8 turns into U+FFFD.
    static std::u32string codePoints(std::string_view text);
    static std::string utf8(std::u32string_view codePoints);
};

} // namespace pellacor::core
