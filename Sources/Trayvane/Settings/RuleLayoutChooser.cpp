#include "Trayvane/Settings/RuleLayoutChooser.h"

#include <algorithm>

namespace pellacor::app {

int RuleLayoutChooser::sentenceWidth(const Widths& widths) {
    return widths.conditionMenu + widths.isText + widths.profileMenu + widths.makeText + 3 * spacing;
}

RuleLayoutChooser::Layout RuleLayoutChooser::choose(int available, const Widths& widths) {
    const int sentence = sentenceWidth(widths);
    // The spacer between the sentence and the buttons keeps at least its own
    // spacing, with the stack's spacing on either side of it.
    if (sentence + 3 * spacing + widths.buttons <= available) {
        return Layout::oneLine;
    }
    if (std::max(sentence, widths.buttons) <= available) {
        return Layout::buttonsBelow;
    }
    return Layout::stacked;
}

} // namespace pellacor::app
