#include "MenuBarCore/Help/HelpDocument.h"

#include "MenuBarCore/Text/Text.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace pellacor::core {

namespace {

// The set every trim of the help text removes: tabs and the Unicode space
// separators. Line ends are gone by then, and other white space (vertical tab,
// form feed) is left so that it shows up rather than vanishing silently.
bool isHelpSpace(char32_t point) {
    return point == U'\t' || Text::generalCategory(point) == Text::Category::spaceSeparator;
}

// Bytes of one code point in UTF-8; the input is well-formed by then.
std::size_t utf8Length(char32_t point) {
    if (point < 0x80) {
        return 1;
    }
    if (point < 0x800) {
        return 2;
    }
    if (point < 0x10000) {
        return 3;
    }
    return 4;
}

std::string trimmedHelp(std::string_view text) {
    const std::u32string points = Text::codePoints(text);
    std::size_t first = 0;
    std::size_t startByte = 0;
    while (first < points.size() && isHelpSpace(points[first])) {
        startByte += utf8Length(points[first]);
        ++first;
    }
    std::size_t last = points.size();
    std::size_t endByte = text.size();
    while (last > first && isHelpSpace(points[last - 1])) {
        endByte -= utf8Length(points[last - 1]);
        --last;
    }
    return std::string(text.substr(startByte, endByte - startByte));
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// One or two characters before the first ".", read as a decimal integer with
// an optional sign; only ASCII digits count, so full-width digits do not.
std::optional<int> stepNumber(std::string_view digits) {
    std::size_t index = 0;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
        negative = digits[0] == '-';
        index = 1;
    }
    if (index == digits.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (; index < digits.size(); ++index) {
        const char c = digits[index];
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

class Parser {
public:
    HelpDocument run(std::string_view text) {
        // Work on well-formed UTF-8 only, so every later cut falls between
        // characters.
        const std::string clean = Text::utf8(Text::codePoints(text));
        std::size_t number = 1;
        std::size_t start = 0;
        while (true) {
            const std::size_t end = clean.find('\n', start);
            std::string line(clean.substr(start, end == std::string::npos ? std::string::npos : end - start));
            std::erase(line, '\r');
            readLine(line, number);
            if (end == std::string::npos) {
                break;
            }
            start = end + 1;
            ++number;
        }
        flushParagraph();
        flushListItem();
        closeItem();
        if (document_.title.empty()) {
            document_.problems.emplace_back("題（# ）がない");
        }
        if (document_.sections.empty()) {
            document_.problems.emplace_back("項目（### ）がない");
        }
        return std::move(document_);
    }

private:
    struct OpenItem {
        std::string title;
        std::vector<HelpDocument::Block> blocks;
    };

    void problem(std::size_t number, std::string_view message) {
        document_.problems.push_back(std::to_string(number) + std::string(message));
    }

    void flushParagraph() {
        if (paragraph_.empty()) {
            return;
        }
        std::string joined;
        for (const auto& part : paragraph_) {
            joined += part;
        }
        paragraph_.clear();
        // Paragraph lines are only taken while an item is open.
        if (item_) {
            item_->blocks.emplace_back(HelpDocument::Paragraph{std::move(joined)});
        }
    }

    void flushListItem() {
        if (!pending_) {
            return;
        }
        if (item_) {
            item_->blocks.push_back(std::move(*pending_));
        }
        pending_.reset();
    }

    void closeItem() {
        if (!item_) {
            return;
        }
        document_.sections.push_back(HelpDocument::Section{
            group_.value_or(std::string()), std::move(item_->title), std::move(item_->blocks)});
        item_.reset();
    }

    void readLine(const std::string& line, std::size_t number) {
        const std::string trimmed = trimmedHelp(line);
        if (inComment_) {
            if (contains(trimmed, "-->")) {
                inComment_ = false;
            }
            return;
        }
        if (startsWith(trimmed, "<!--")) {
            inComment_ = !contains(trimmed, "-->");
            return;
        }
        if (trimmed.empty()) {
            flushParagraph();
            flushListItem();
            return;
        }
        const bool indented = line[0] == ' ' || line[0] == '\t';
        if (indented && pending_) {
            if (startsWith(trimmed, "- ")) {
                problem(number, ": 入れ子の箇条は使えない");
            } else {
                std::visit([&](auto& block) { block.text += trimmed; }, *pending_);
            }
            return;
        }
        if (startsWith(line, "### ")) {
            flushParagraph();
            flushListItem();
            closeItem();
            if (!group_) {
                problem(number, ": 項目（### ）の前に分類（## ）がない");
            }
            item_ = OpenItem{trimmedHelp(std::string_view(line).substr(4)), {}};
            return;
        }
        if (startsWith(line, "## ")) {
            flushParagraph();
            flushListItem();
            closeItem();
            group_ = trimmedHelp(std::string_view(line).substr(3));
            return;
        }
        if (startsWith(line, "# ")) {
            if (document_.title.empty() && !item_ && !group_) {
                document_.title = trimmedHelp(std::string_view(line).substr(2));
            } else {
                problem(number, ": 題（# ）は先頭に1つだけ");
            }
            return;
        }
        if (startsWith(line, "#") || startsWith(line, ">") || startsWith(line, "|") ||
            startsWith(line, "```") || startsWith(line, "* ") || startsWith(line, "---") || indented) {
            problem(number, ": 使えない書き方 " + Text::graphemePrefix(line, 12));
            return;
        }
        if (!item_) {
            problem(number, ": 項目（### ）の前に本文がある");
            return;
        }
        if (startsWith(line, "- ")) {
            flushParagraph();
            flushListItem();
            pending_ = HelpDocument::Bullet{line.substr(2)};
            return;
        }
        const std::size_t dot = line.find('.');
        if (dot == 1 || dot == 2) {
            const auto value = stepNumber(std::string_view(line).substr(0, dot));
            if (value && dot + 1 < line.size() && line[dot + 1] == ' ') {
                flushParagraph();
                flushListItem();
                pending_ = HelpDocument::Step{*value, line.substr(dot + 2)};
                return;
            }
        }
        flushListItem();
        paragraph_.push_back(trimmed);
    }

    HelpDocument document_;
    std::optional<std::string> group_;
    std::optional<OpenItem> item_;
    std::vector<std::string> paragraph_;
    std::optional<HelpDocument::Block> pending_;
    bool inComment_ = false;
};

} // namespace

HelpDocument HelpDocument::parse(std::string_view text) {
    return Parser().run(text);
}

std::vector<HelpDocument::Span> HelpDocument::spans(std::string_view line) {
    std::vector<Span> runs;
    std::string_view rest = line;
    while (true) {
        const std::size_t open = rest.find("**");
        if (open == std::string_view::npos) {
            break;
        }
        const std::size_t close = rest.find("**", open + 2);
        if (close == std::string_view::npos) {
            break;
        }
        if (open > 0) {
            runs.push_back(Span{std::string(rest.substr(0, open)), false});
        }
        runs.push_back(Span{std::string(rest.substr(open + 2, close - open - 2)), true});
        rest = rest.substr(close + 2);
    }
    if (!rest.empty()) {
        runs.push_back(Span{std::string(rest), false});
    }
    return runs;
}

std::vector<std::string> HelpDocument::groups() const {
    std::vector<std::string> names;
    for (std::size_t index = 0; index < sections.size(); ++index) {
        if (index == 0 || sections[index].group != sections[index - 1].group) {
            names.push_back(sections[index].group);
        }
    }
    return names;
}

} // namespace pellacor::core
