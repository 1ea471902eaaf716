#pragma once

#include "MenuBarCore/Help/HelpDocument.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::app {

// What the help window shows, as plain values: the paragraphs of its text in
// order, each with the style it is drawn in, and the rows of its contents
// list with where in the text each one points. The window only draws this;
// every decision about the help's layout is made here.
class HelpPage {
public:
    // The font a paragraph's runs start from.
    enum class Font { title, group, item, body };
    // The line drawn above a paragraph: none, a group's or an item's.
    enum class Rule { none, group, item };

    struct Paragraph {
        // As written, "**" markers included (the window splits it into runs).
        std::string text;
        Font font = Font::body;
        double spacingAfter = 0;
        double spacingBefore = 0;
        // "•" or a step's "3.", drawn before the text and followed by a tab,
        // the text hanging at `listIndent`; empty for any other paragraph.
        std::string marker;
        Rule rule = Rule::none;
        // The offset of its first character in the window's text, in UTF-16
        // code units; every paragraph ends with a line feed.
        std::size_t start = 0;
        bool operator==(const Paragraph&) const = default;
    };

    // One line of the contents: a group or an item heading exactly as
    // written ("**" included) and where its paragraph starts.
    struct Row {
        std::string title;
        std::size_t start = 0;
        bool isGroup = false;
        bool operator==(const Row&) const = default;
    };

    // A rule's line and the room around it, in points.
    struct RuleMetrics {
        double border;
        double margin;
        double padding;
    };

    static constexpr double lineSpacing = 3;
    static constexpr double listIndent = 28;
    static constexpr double insetX = 28;
    static constexpr double insetY = 22;
    // A jump leaves this much of the text above the heading in view.
    static constexpr double jumpMargin = 8;

    std::vector<Paragraph> paragraphs;
    std::vector<Row> rows;

    bool operator==(const HelpPage&) const = default;

    // The document's title, then for each run of items with one group its
    // group heading, then each item's heading and blocks.
    static HelpPage of(const core::HelpDocument& document);
    // What shows when there is no document: a heading and what to do, and no rows.
    static HelpPage missing();

    // The first item row (never a group) whose title is exactly `title`.
    [[nodiscard]] std::optional<std::size_t> itemRow(std::string_view title) const;
    // How many rows are items.
    [[nodiscard]] std::size_t itemCount() const;
    // The length of the text, in UTF-16 code units.
    [[nodiscard]] std::size_t length() const;

    static RuleMetrics ruleMetrics(Rule rule);

    // The contents list's rows. The width a row's title wraps at, from the
    // list's column width (nothing when the list has no column).
    static double textWidth(std::optional<double> columnWidth, bool isGroup);
    // A row's height from its title's measured height: room around the text,
    // at least 30 points, and for a group after the first 10 points more to
    // set it off from the items above.
    static double rowHeight(double measuredHeight, bool isGroup, std::size_t index);
    // Where a row's title starts, and how far below the row's middle it sits.
    static double labelLeading(bool isGroup);
    static double labelShift(bool isGroup, std::size_t index);

    // Where the text scrolls to for a jump, from the top of the line that
    // holds the heading's first character (in the text's coordinates, inset
    // included): a little above it, never above the text's top.
    static double jumpOffset(double lineTop);
};

} // namespace pellacor::app
