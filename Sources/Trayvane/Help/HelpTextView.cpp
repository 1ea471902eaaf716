#include "Trayvane/Help/HelpTextView.h"

#include "Trayvane/Help/HelpPage.h"

#include <QAbstractTextDocumentLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextFrame>
#include <QTextLayout>
#include <optional>

namespace pellacor::app {

HelpTextView::HelpTextView(QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

std::optional<double> HelpTextView::lineTop(int position) const {
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid()) {
        return std::nullopt;
    }
    // Asking for the block's rectangle lays the text out up to it.
    document()->documentLayout()->blockBoundingRect(block);
    const QTextLayout* layout = block.layout();
    if (layout == nullptr || layout->lineCount() == 0) {
        return std::nullopt;
    }
    const QTextLine line = layout->lineForTextPosition(position - block.position());
    if (!line.isValid()) {
        return std::nullopt;
    }
    return layout->position().y() + line.y();
}

void HelpTextView::paintEvent(QPaintEvent* event) {
    QTextEdit::paintEvent(event);
    QPainter painter(viewport());
    // The system's tertiary label colour: the text's colour, faint.
    QColor colour = palette().color(QPalette::Text);
    colour.setAlphaF(0.26F);
    const QTextFrameFormat frame = document()->rootFrame()->frameFormat();
    const double left = frame.leftMargin();
    const double width = document()->size().width() - frame.leftMargin() - frame.rightMargin();
    const double scrolled = verticalScrollBar()->value();
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        const auto rule = static_cast<HelpPage::Rule>(block.blockFormat().intProperty(ruleProperty));
        if (rule == HelpPage::Rule::none || block.layout() == nullptr) {
            continue;
        }
        const auto metrics = HelpPage::ruleMetrics(rule);
        // The block's margin above holds the rule's margin, its line and
        // the padding; the layout starts below all three.
        const double top = block.layout()->position().y() - metrics.padding - metrics.border - scrolled;
        const QRectF line(left, top, width, metrics.border);
        if (line.intersects(event->rect())) {
            painter.fillRect(line, colour);
        }
    }
}

} // namespace pellacor::app
