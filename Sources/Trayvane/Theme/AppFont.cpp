#include "Trayvane/Theme/AppFont.h"

namespace pellacor::app {

namespace {

QFont systemFont(int size, QFont::Weight weight) {
    QFont font;
    font.setPixelSize(size);
    font.setWeight(weight);
    return font;
}

} // namespace

// Function-local statics: made once, thread-safe, on first use.
const QFont& AppFont::heading() {
    static const QFont font = systemFont(15, QFont::DemiBold);
    return font;
}

const QFont& AppFont::body() {
    static const QFont font = systemFont(15, QFont::Normal);
    return font;
}

const QFont& AppFont::secondary() {
    static const QFont font = systemFont(14, QFont::Normal);
    return font;
}

const QFont& AppFont::aboutName() {
    static const QFont font = systemFont(22, QFont::DemiBold);
    return font;
}

const QFont& AppFont::nsBody() {
    static const QFont font = systemFont(15, QFont::Normal);
    return font;
}

const QFont& AppFont::nsBodyEmphasis() {
    static const QFont font = systemFont(15, QFont::DemiBold);
    return font;
}

const QFont& AppFont::nsHelpTitle() {
    static const QFont font = systemFont(24, QFont::DemiBold);
    return font;
}

const QFont& AppFont::nsHelpGroup() {
    static const QFont font = systemFont(21, QFont::Bold);
    return font;
}

const QFont& AppFont::nsHelpItem() {
    static const QFont font = systemFont(18, QFont::DemiBold);
    return font;
}

} // namespace pellacor::app
