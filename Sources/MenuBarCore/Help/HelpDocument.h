#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pellacor::core {

// The program's help text, read from its Markdown-like source: a title, a flat
// list of items, each naming the group heading it falls under, and one problem
// per line the format refuses. The format is a strict subset of Markdown; lines
// that look like anything else Markdown knows are refused and reported rather
// than guessed at, so the help text never renders in a surprising way.
class HelpDocument {
public:
    // One paragraph; its source lines joined with nothing between them, since
    // the Japanese text has no spaces between words.
    struct Paragraph {
        std::string text;
        bool operator==(const Paragraph&) const = default;
    };
    struct Bullet {
        std::string text;
        bool operator==(const Bullet&) const = default;
    };
    // A numbered step; `number` is the number as written (it may carry a sign).
    struct Step {
        int number = 0;
        std::string text;
        bool operator==(const Step&) const = default;
    };
    using Block = std::variant<Paragraph, Bullet, Step>;

    // One item: the text of its "### " heading, the last "## " heading before it
    // (empty when none came before) and its content in document order.
    struct Section {
        std::string group;
        std::string title;
        std::vector<Block> blocks;
        bool operator==(const Section&) const = default;
    };

    // One run of a line: plain, or between a pair of "**" markers.
    struct Span {
        std::string text;
        bool emphasized = false;
        bool operator==(const Span&) const = default;
    };

    std::string title;
    std::vector<Section> sections;
    // "<line number>: <message>" per refused line, in line order, then at most
    // the two whole-document problems (no title, no item) without a number.
    std::vector<std::string> problems;

    bool operator==(const HelpDocument&) const = default;

    // Never fails: a document with problems still carries whatever was readable.
    // Malformed UTF-8 reads as U+FFFD.
    static HelpDocument parse(std::string_view text);
    // The runs of one line, left to right; an unmatched "**" stays plain text.
    // An empty line gives no runs.
    static std::vector<Span> spans(std::string_view line);
    // The group names of the runs of consecutive items with the same group: a
    // name repeats only when another group came between.
    [[nodiscard]] std::vector<std::string> groups() const;
};

} // namespace pellacor::core
