#pragma once

namespace pellacor::app {

// Which of a rule row's three arrangements of its controls fits a width: the
// whole sentence and the buttons on one line, the buttons under the sentence,
// or each menu on a line of its own with the buttons under them. Pure: it
// works on the controls' natural widths only, so it is tested without a row.
struct RuleLayoutChooser {
    enum class Layout { oneLine, buttonsBelow, stacked };

    // Natural widths of the row's pieces, in pixels.
    struct Widths {
        int conditionMenu = 0;
        int isText = 0; // "は"
        int profileMenu = 0;
        int makeText = 0; // "にする"
        int buttons = 0;
    };

    static constexpr int spacing = 8;

    // The width the condition, "は", the profile and "にする" need on one line.
    static int sentenceWidth(const Widths& widths);
    // The first arrangement, in the order above, whose every line fits in
    // `available`; the last one when none does.
    static Layout choose(int available, const Widths& widths);
};

} // namespace pellacor::app
