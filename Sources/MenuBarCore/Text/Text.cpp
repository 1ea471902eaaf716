#include "MenuBarCore/Text/Text.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <unicode/brkiter.h>
#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace pellacor::core {

namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

// UTF-8 to UTF-16 for ICU. Ill-formed sequences become U+FFFD with the same
// "maximal subpart" rule as codePoints(), so every function agrees on them.
// Given one of the pieces of icuPieces(), so always short enough for ICU.
icu::UnicodeString toUnicode(std::string_view text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

std::string toUtf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out); // unpaired surrogates come out as U+FFFD
    return out;
}

// ICU holds at most 2^31 - 1 UTF-16 units and a folding may triple a text, so
// text goes to ICU in pieces of at most this many bytes.
constexpr std::size_t icuPieceLimit = std::size_t{1} << 28;

// Null only when ICU's normalization data is missing, which the linked data
// rules out; the functions then leave the text as it is rather than fail.
const icu::Normalizer2* normalizer(const icu::Normalizer2* (*instance)(UErrorCode&)) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* n = instance(status);
    return U_FAILURE(status) ? nullptr : n;
}

const icu::Normalizer2* nfc() {
    static const icu::Normalizer2* n = normalizer(&icu::Normalizer2::getNFCInstance);
    return n;
}
const icu::Normalizer2* nfd() {
    static const icu::Normalizer2* n = normalizer(&icu::Normalizer2::getNFDInstance);
    return n;
}
const icu::Normalizer2* nfkc() {
    static const icu::Normalizer2* n = normalizer(&icu::Normalizer2::getNFKCInstance);
    return n;
}

// The text in the normalizer's form; as it is when there is no normalizer or
// normalizing fails.
icu::UnicodeString normalized(const icu::Normalizer2* n, const icu::UnicodeString& text) {
    if (n == nullptr) {
        return text;
    }
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString out = n->normalize(text, status);
    return U_FAILURE(status) ? text : out;
}

// Whether a piece may end right before byte `at` of the text: at an ASCII
// character, which no normalization segment or grapheme cluster joins to what
// precedes it, unless it is the LF of a CR LF or follows a prepended
// concatenation mark (which joins the character after it).
bool isPieceBoundary(std::string_view text, std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte >= 0x80 || at == 0) {
        return false;
    }
    if (byte == '\n' && text[at - 1] == '\r') {
        return false;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    int32_t index = static_cast<int32_t>(std::min<std::size_t>(at, 4));
    const uint8_t* tail = bytes + at - static_cast<std::size_t>(index);
    UChar32 previous = 0;
    U8_PREV(tail, 0, index, previous);
    return previous < 0 || u_getIntPropertyValue(previous, UCHAR_GRAPHEME_CLUSTER_BREAK) != U_GCB_PREPEND;
}

// A character break iterator per thread: creating one is far more expensive
// than using it, and one instance must not be shared between threads.
// Returns null only when ICU's break data is missing.
icu::BreakIterator* characterBreaks() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> it(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status)) {
            it.reset();
        }
        return it;
    }();
    return iterator.get();
}

// Boundaries of the first `count` grapheme clusters: returns the UTF-16 offset
// after them and how many there were (fewer than `count` at the end of text).
std::pair<int32_t, std::size_t> clusterEnd(const icu::UnicodeString& text, std::size_t count) {
    icu::BreakIterator* it = characterBreaks();
    std::size_t seen = 0;
    int32_t end = 0;
    if (it == nullptr) {
        // No break data: fall back to one cluster per code point.
        while (seen < count && end < text.length()) {
            end = text.moveIndex32(end, 1);
            ++seen;
        }
        return {end, seen};
    }
    it->setText(text);
    for (int32_t next = it->first(); seen < count && (next = it->next()) != icu::BreakIterator::DONE;
         ++seen) {
        end = next;
    }
    return {end, seen};
}

void appendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        c = replacementCharacter;
    }
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The half-width voiced and semi-voiced sound marks and the combining marks
// their compatibility mappings give.
constexpr char32_t halfwidthVoicedMark = 0xFF9E;
constexpr char32_t halfwidthSemiVoicedMark = 0xFF9F;
constexpr char32_t combiningVoicedMark = 0x3099;
constexpr char32_t combiningSemiVoicedMark = 0x309A;
constexpr char32_t spacingVoicedMark = 0x309B;
constexpr char32_t spacingSemiVoicedMark = 0x309C;

} // namespace

std::vector<std::string_view> Text::icuPieces(std::string_view text, std::size_t limit) {
    std::vector<std::string_view> pieces;
    limit = std::max<std::size_t>(limit, 4);
    while (text.size() > limit) {
        std::size_t cut = limit;
        while (cut > 0 && !isPieceBoundary(text, cut)) {
            --cut;
        }
        if (cut == 0) {
            // No ASCII character to cut at: at least never inside a code point.
            cut = limit;
            while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0U) == 0x80U) {
                --cut;
            }
            if (cut == 0) {
                cut = limit;
            }
        }
        pieces.push_back(text.substr(0, cut));
        text.remove_prefix(cut);
    }
    if (!text.empty() || pieces.empty()) {
        pieces.push_back(text);
    }
    return pieces;
}

std::size_t Text::graphemeCount(std::string_view text) {
    std::size_t count = 0;
    for (std::string_view piece : icuPieces(text, icuPieceLimit)) {
        if (!piece.empty()) {
            count += clusterEnd(toUnicode(piece), std::numeric_limits<std::size_t>::max()).second;
        }
    }
    return count;
}

std::string Text::graphemePrefix(std::string_view text, std::size_t count) {
    std::string out;
    for (std::string_view piece : icuPieces(text, icuPieceLimit)) {
        if (count == 0 || piece.empty()) {
            break;
        }
        icu::UnicodeString unicode = toUnicode(piece);
        const auto [end, seen] = clusterEnd(unicode, count);
        unicode.truncate(end);
        out += toUtf8(unicode);
        count -= seen;
    }
    return out;
}

int Text::standardCompare(std::string_view a, std::string_view b) {
    // A collator is not safe to share between threads; each keeps its own.
    thread_local const std::unique_ptr<icu::Collator> collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Collator> made(icu::Collator::createInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status)) {
            return std::unique_ptr<icu::Collator>();
        }
        made->setStrength(icu::Collator::SECONDARY);
        made->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
        return made;
    }();
    if (collator) {
        UErrorCode status = U_ZERO_ERROR;
        const UCollationResult result = collator->compare(toUnicode(a), toUnicode(b), status);
        if (U_SUCCESS(status) && result != UCOL_EQUAL) {
            return result == UCOL_LESS ? -1 : 1;
        }
    }
    const int bytes = a.compare(b);
    return bytes < 0 ? -1 : (bytes > 0 ? 1 : 0);
}

std::string Text::caseFolded(std::string_view text) {
    std::string out;
    for (std::string_view piece : icuPieces(text, icuPieceLimit)) {
        icu::UnicodeString unicode = toUnicode(piece);
        unicode.foldCase(U_FOLD_CASE_DEFAULT);
        out += toUtf8(unicode);
    }
    return out;
}

std::string Text::diacriticFolded(std::string_view text) {
    std::string out;
    for (std::string_view piece : icuPieces(text, icuPieceLimit)) {
        out += diacriticFoldedPiece(piece);
    }
    return out;
}

std::string Text::diacriticFoldedPiece(std::string_view text) {
    icu::UnicodeString decomposed = normalized(nfd(), toUnicode(text));
    icu::UnicodeString kept;
    for (int32_t i = 0; i < decomposed.length(); i = decomposed.moveIndex32(i, 1)) {
        UChar32 c = decomposed.char32At(i);
        if (u_charType(c) != U_NON_SPACING_MARK) {
            kept.append(c);
        }
    }
    return toUtf8(normalized(nfc(), kept));
}

std::string Text::widthFolded(std::string_view text) {
    const icu::Normalizer2* compatibilityData = nfkc();
    const icu::Normalizer2* compositionData = nfc();
    if (compatibilityData == nullptr || compositionData == nullptr) {
        return utf8(codePoints(text));
    }
    const icu::Normalizer2& compatibility = *compatibilityData;
    const icu::Normalizer2& composition = *compositionData;
    std::string out;
    out.reserve(text.size());
    // The previous code point is held back so that a following half-width
    // sound mark can still be composed with it.
    char32_t pending = 0;
    bool hasPending = false;
    auto flush = [&] {
        if (hasPending) {
            appendUtf8(out, pending);
            hasPending = false;
        }
    };
    for (char32_t c : codePoints(text)) {
        if (c == halfwidthVoicedMark || c == halfwidthSemiVoicedMark) {
            const bool voiced = c == halfwidthVoicedMark;
            UChar32 composed =
                hasPending ? composition.composePair(
                                 static_cast<UChar32>(pending),
                                 static_cast<UChar32>(voiced ? combiningVoicedMark : combiningSemiVoicedMark))
                           : U_SENTINEL;
            if (composed >= 0) {
                pending = static_cast<char32_t>(composed);
                continue;
            }
            // Nothing to sit on: the full-width spacing mark, as the half-width
            // one is a spacing character too.
            flush();
            pending = voiced ? spacingVoicedMark : spacingSemiVoicedMark;
            hasPending = true;
            continue;
        }
        flush();
        // <wide> and <narrow> compatibility mappings are each one code point:
        // U+3000 and U+FF01–U+FF60, U+FFE0–U+FFE6 to their narrow forms, and
        // U+FF61–U+FFEE (katakana, Hangul jamo, symbols) to their wide forms.
        // None lies below U+3000, which spares most text the property look-up.
        const auto type = c < 0x3000 ? U_DT_NONE
                                     : static_cast<UDecompositionType>(u_getIntPropertyValue(
                                           static_cast<UChar32>(c), UCHAR_DECOMPOSITION_TYPE));
        if (type == U_DT_WIDE || type == U_DT_NARROW) {
            icu::UnicodeString mapping;
            if (compatibility.getRawDecomposition(static_cast<UChar32>(c), mapping) &&
                mapping.countChar32() == 1) {
                c = static_cast<char32_t>(mapping.char32At(0));
            }
        }
        pending = c;
        hasPending = true;
    }
    flush();
    return out;
}

std::string Text::katakanaToHiragana(std::string_view text) {
    std::u32string points = codePoints(text);
    for (char32_t& c : points) {
        if ((c >= 0x30A1 && c <= 0x30F6) || c == 0x30FD || c == 0x30FE) {
            c -= 0x60; // ァ–ヶ to ぁ–ゖ, ヽヾ to ゝゞ
        }
    }
    return utf8(points);
}

Text::Category Text::generalCategory(char32_t codePoint) {
    if (codePoint > 0x10FFFF) {
        return Category::unassigned;
    }
    switch (static_cast<UCharCategory>(u_charType(static_cast<UChar32>(codePoint)))) {
    case U_UPPERCASE_LETTER:
        return Category::uppercaseLetter;
    case U_LOWERCASE_LETTER:
        return Category::lowercaseLetter;
    case U_TITLECASE_LETTER:
        return Category::titlecaseLetter;
    case U_MODIFIER_LETTER:
        return Category::modifierLetter;
    case U_OTHER_LETTER:
        return Category::otherLetter;
    case U_NON_SPACING_MARK:
        return Category::nonspacingMark;
    case U_COMBINING_SPACING_MARK:
        return Category::spacingMark;
    case U_ENCLOSING_MARK:
        return Category::enclosingMark;
    case U_DECIMAL_DIGIT_NUMBER:
        return Category::decimalNumber;
    case U_LETTER_NUMBER:
        return Category::letterNumber;
    case U_OTHER_NUMBER:
        return Category::otherNumber;
    case U_CONNECTOR_PUNCTUATION:
        return Category::connectorPunctuation;
    case U_DASH_PUNCTUATION:
        return Category::dashPunctuation;
    case U_START_PUNCTUATION:
        return Category::openPunctuation;
    case U_END_PUNCTUATION:
        return Category::closePunctuation;
    case U_INITIAL_PUNCTUATION:
        return Category::initialPunctuation;
    case U_FINAL_PUNCTUATION:
        return Category::finalPunctuation;
    case U_OTHER_PUNCTUATION:
        return Category::otherPunctuation;
    case U_MATH_SYMBOL:
        return Category::mathSymbol;
    case U_CURRENCY_SYMBOL:
        return Category::currencySymbol;
    case U_MODIFIER_SYMBOL:
        return Category::modifierSymbol;
    case U_OTHER_SYMBOL:
        return Category::otherSymbol;
    case U_SPACE_SEPARATOR:
        return Category::spaceSeparator;
    case U_LINE_SEPARATOR:
        return Category::lineSeparator;
    case U_PARAGRAPH_SEPARATOR:
        return Category::paragraphSeparator;
    case U_CONTROL_CHAR:
        return Category::control;
    case U_FORMAT_CHAR:
        return Category::format;
    case U_SURROGATE:
        return Category::surrogate;
    case U_PRIVATE_USE_CHAR:
        return Category::privateUse;
    case U_UNASSIGNED:
    default:
        return Category::unassigned;
    }
}

bool Text::isWhitespaceOrNewline(char32_t codePoint) {
    return codePoint <= 0x10FFFF && u_hasBinaryProperty(static_cast<UChar32>(codePoint), UCHAR_WHITE_SPACE);
}

bool Text::isNewline(char32_t codePoint) {
    return (codePoint >= 0x000A && codePoint <= 0x000D) || codePoint == 0x0085 || codePoint == 0x2028 ||
           codePoint == 0x2029;
}

std::string Text::trimmed(std::string_view text) {
    std::u32string points = codePoints(text);
    std::size_t begin = 0;
    std::size_t end = points.size();
    while (begin < end && isWhitespaceOrNewline(points[begin])) {
        ++begin;
    }
    while (end > begin && isWhitespaceOrNewline(points[end - 1])) {
        --end;
    }
    return utf8(std::u32string_view(points).substr(begin, end - begin));
}

bool Text::sameIgnoringCaseAndWidth(std::string_view a, std::string_view b) {
    auto fold = [](std::string_view s) {
        const std::string width = widthFolded(s);
        std::string out;
        for (std::string_view piece : icuPieces(width, icuPieceLimit)) {
            icu::UnicodeString unicode = toUnicode(piece);
            unicode.foldCase(U_FOLD_CASE_DEFAULT);
            out += toUtf8(normalized(nfc(), unicode));
        }
        return out;
    };
    return fold(a) == fold(b);
}

bool Text::canonicallyEqual(std::string_view a, std::string_view b) {
    return a == b || normalized(nfc(), toUnicode(a)) == normalized(nfc(), toUnicode(b));
}

std::u32string Text::codePoints(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const std::size_t length = text.size();
    std::size_t i = 0;
    while (i < length) {
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        out += c < 0 ? replacementCharacter : static_cast<char32_t>(c);
    }
    return out;
}

std::string Text::utf8(std::u32string_view codePoints) {
    std::string out;
    out.reserve(codePoints.size());
    for (char32_t c : codePoints) {
        appendUtf8(out, c);
    }
    return out;
}

} // namespace pellacor::core
