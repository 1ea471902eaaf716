#include "Trayvane/Help/HelpPage.h"

#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Text/Text.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <variant>

namespace pellacor::app {

namespace {

std::size_t utf16Length(std::string_view text) {
    std::size_t units = 0;
    for (const char32_t point : core::Text::codePoints(text)) {
        units += point > 0xFFFF ? 2 : 1;
    }
    return units;
}

// The text a paragraph puts on screen: its marker and a tab, its runs
// without their "**" markers, and the line feed.
std::size_t shownLength(const HelpPage::Paragraph& paragraph) {
    std::size_t units = paragraph.marker.empty() ? 0 : utf16Length(paragraph.marker) + 1;
    for (const auto& span : core::HelpDocument::spans(paragraph.text)) {
        units += utf16Length(span.text);
    }
    return units + 1;
}

HelpPage::Paragraph paragraph(std::string text, HelpPage::Font font, double spacingAfter,
                              double spacingBefore = 0, std::string marker = {},
                              HelpPage::Rule rule = HelpPage::Rule::none) {
    HelpPage::Paragraph made;
    made.text = std::move(text);
    made.font = font;
    made.spacingAfter = spacingAfter;
    made.spacingBefore = spacingBefore;
    made.marker = std::move(marker);
    made.rule = rule;
    return made;
}

class PageBuilder {
public:
    void append(HelpPage::Paragraph paragraph) {
        paragraph.start = length_;
        length_ += shownLength(paragraph);
        page_.paragraphs.push_back(std::move(paragraph));
    }
    void row(std::string title, bool isGroup) { page_.rows.push_back({std::move(title), length_, isGroup}); }
    HelpPage finish() { return std::move(page_); }

private:
    HelpPage page_;
    std::size_t length_ = 0;
};

} // namespace

HelpPage HelpPage::of(const core::HelpDocument& document) {
    PageBuilder page;
    // The title comes first even when the document has none, so the layout
    // above the first group never changes.
    page.append(paragraph(document.title, Font::title, 16));
    for (std::size_t index = 0; index < document.sections.size(); ++index) {
        const auto& section = document.sections[index];
        const bool startsGroup = index == 0 || section.group != document.sections[index - 1].group;
        if (startsGroup) {
            page.row(section.group, true);
            page.append(paragraph(section.group, Font::group, 4, 0, {}, Rule::group));
        }
        page.row(section.title, false);
        // The first item of a group sits right under the group's line; the
        // others get a thinner line of their own.
        page.append(paragraph(section.title, Font::item, 8, startsGroup ? 10.0 : 0.0, {},
                              startsGroup ? Rule::none : Rule::item));
        for (const auto& block : section.blocks) {
            if (const auto* text = std::get_if<core::HelpDocument::Paragraph>(&block)) {
                page.append(paragraph(text->text, Font::body, 8));
            } else if (const auto* bullet = std::get_if<core::HelpDocument::Bullet>(&block)) {
                page.append(paragraph(bullet->text, Font::body, 8, 0, "•"));
            } else if (const auto* step = std::get_if<core::HelpDocument::Step>(&block)) {
                page.append(paragraph(step->text, Font::body, 8, 0, std::to_string(step->number) + "."));
            }
        }
    }
    return page.finish();
}

HelpPage HelpPage::missing() {
    PageBuilder page;
    page.append(paragraph(core::localized("ヘルプを読み込めませんでした"), Font::title, 12));
    page.append(paragraph(core::localized("アプリの中にヘルプの本文（Help.md）が見つかりません。"
                                          "アプリを組み立て直すと直ります。"),
                          Font::body, 8));
    return page.finish();
}

std::optional<std::size_t> HelpPage::itemRow(std::string_view title) const {
    for (std::size_t index = 0; index < rows.size(); ++index) {
        if (!rows[index].isGroup && rows[index].title == title) {
            return index;
        }
    }
    return std::nullopt;
}

std::size_t HelpPage::itemCount() const {
    return static_cast<std::size_t>(
        std::count_if(rows.begin(), rows.end(), [](const Row& row) { return !row.isGroup; }));
}

std::size_t HelpPage::length() const {
    return paragraphs.empty() ? 0 : paragraphs.back().start + shownLength(paragraphs.back());
}

HelpPage::RuleMetrics HelpPage::ruleMetrics(Rule rule) {
    switch (rule) {
    case Rule::group:
        return {2, 34, 16};
    case Rule::item:
        return {1, 24, 14};
    case Rule::none:
        break;
    }
    return {0, 0, 0};
}

double HelpPage::textWidth(std::optional<double> columnWidth, bool isGroup) {
    if (!columnWidth) {
        return isGroup ? 268 : 252;
    }
    return std::max(80.0, *columnWidth - 12 - (isGroup ? 0 : 16));
}

double HelpPage::rowHeight(double measuredHeight, bool isGroup, std::size_t index) {
    const double height = std::max(std::ceil(measuredHeight) + 12, 30.0);
    return height + (isGroup && index > 0 ? 10 : 0);
}

double HelpPage::labelLeading(bool isGroup) {
    return isGroup ? 0 : 16;
}

double HelpPage::labelShift(bool isGroup, std::size_t index) {
    return isGroup && index > 0 ? 5 : 0;
}

double HelpPage::jumpOffset(double lineTop) {
    return std::max(0.0, lineTop - jumpMargin);
}

} // namespace pellacor::app
