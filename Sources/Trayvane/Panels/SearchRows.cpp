#include "Trayvane/Panels/SearchRows.h"

#include "Trayvane/Common/SectionText.h"
#include "Trayvane/Panels/SearchRow.h"
#include "Trayvane/Theme/QtText.h"

#include <algorithm>

namespace pellacor::app {

SearchRows::SearchRows(std::shared_ptr<IconStore> icons, Label label, QWidget* parent)
    : QWidget(parent), icons_(std::move(icons)), label_(std::move(label)) {
    setObjectName("search:rows");
    setAttribute(Qt::WA_TranslucentBackground);
    if (icons_) {
        iconArrivals_ = icons_->observe([this](const std::string& bundleID) { iconArrived(bundleID); });
    }
    setFixedHeight(2 * padding);
}

void SearchRows::setResults(std::vector<core::SearchCandidate> results, int selection) {
    clear();
    results_ = std::move(results);
    selection_ = selection;
    const auto count = static_cast<int>(results_.size());
    setFixedHeight(count == 0 ? 2 * padding
                              : 2 * padding + count * SearchRow::rowHeight + (count - 1) * spacing);
}

void SearchRows::clear() {
    for (const auto& [index, row] : rows_) {
        // Taken out at once, deleted later: it may be the one whose click is running.
        row->hide();
        row->setParent(nullptr);
        row->deleteLater();
    }
    rows_.clear();
}

void SearchRows::setSelection(int selection) {
    selection_ = selection;
    for (const auto& [index, row] : rows_) {
        row->setSelected(static_cast<int>(index) == selection_);
    }
}

QRect SearchRows::rowRect(std::size_t index) const {
    const int top = padding + static_cast<int>(index) * (SearchRow::rowHeight + spacing);
    return {padding, top, std::max(0, width() - 2 * padding), SearchRow::rowHeight};
}

SearchRow* SearchRows::row(std::size_t index) const {
    const auto found = rows_.find(index);
    return found == rows_.end() ? nullptr : found->second;
}

void SearchRows::reveal(int top, int bottom) {
    if (results_.empty() || bottom <= top) {
        return;
    }
    const int pitch = SearchRow::rowHeight + spacing;
    const auto first = static_cast<std::size_t>(std::max(0, (top - padding - SearchRow::rowHeight) / pitch));
    for (std::size_t index = first; index < results_.size(); ++index) {
        const QRect frame = rowRect(index);
        if (frame.top() >= bottom) {
            break;
        }
        if (frame.bottom() < top || rows_.contains(index)) {
            continue;
        }
        const core::SearchCandidate& candidate = results_[index];
        auto* made = new SearchRow(candidate, label_ ? label_(candidate) : qtText(candidate.entry.bundleID),
                                   qtText(SectionText::title(candidate.section)), this);
        made->setGeometry(frame);
        made->setSelected(static_cast<int>(index) == selection_);
        made->setIcon(icons_ ? icons_->image(candidate.entry.bundleID) : std::nullopt);
        connect(made, &QAbstractButton::clicked, this, [this, candidate] {
            if (onClick) {
                onClick(candidate);
            }
        });
        made->show();
        rows_.emplace(index, made);
    }
}

void SearchRows::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (const auto& [index, row] : rows_) {
        row->setGeometry(rowRect(index));
    }
}

void SearchRows::iconArrived(const std::string& bundleID) {
    for (const auto& [index, row] : rows_) {
        if (row->candidate().entry.bundleID == bundleID) {
            row->setIcon(icons_->image(bundleID));
        }
    }
}

} // namespace pellacor::app
