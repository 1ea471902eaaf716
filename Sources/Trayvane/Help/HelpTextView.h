#pragma once

#include <QTextEdit>

namespace pellacor::app {

// The help window's text: read-only, selectable, and drawing the line above
// each group heading and each later item heading. Which line a paragraph
// carries and how much room it takes come from `HelpPage`; the paragraph's
// block holds its rule as `ruleProperty`.
class HelpTextView final : public QTextEdit {
    Q_OBJECT

public:
    // The block property holding a paragraph's `HelpPage::Rule` as an int.
    static constexpr int ruleProperty = 0x100000 + 1;

    explicit HelpTextView(QWidget* parent = nullptr);

    // The top of the line holding the character at `position`, in the text's
    // coordinates (the inset included); nothing when the position has no
    // laid-out line.
    [[nodiscard]] std::optional<double> lineTop(int position) const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace pellacor::app
