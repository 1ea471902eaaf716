#pragma once

#include "MenuBarCore/Planning/SearchCandidate.h"

#include <QAbstractButton>
#include <QImage>
#include <QString>
#include <optional>

namespace pellacor::app {

// One result row of the search panel, 40 points high: the application's icon
// (a rounded placeholder until it arrives), its label on one line, and the
// title of its section at the right in the secondary font. The selected row
// is filled with the accent colour. A click is its button action. Its
// accessibility identifier is "search:" and the entry's id; its accessible
// name the label with the section title in full-width parentheses.
class SearchRow final : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int rowHeight = 40;
    static constexpr double horizontalPadding = 8;
    static constexpr double spacing = 10;
    static constexpr double iconSide = 28;
    static constexpr double minimumGap = 8;
    static constexpr double cornerRadius = 8;
    static constexpr double selectedOpacity = 0.2;

    SearchRow(core::SearchCandidate candidate, const QString& label, const QString& sectionTitle,
              QWidget* parent = nullptr);

    const core::SearchCandidate& candidate() const { return candidate_; }
    const QString& label() const { return label_; }
    const QString& sectionTitle() const { return sectionTitle_; }

    void setSelected(bool selected);
    bool isSelected() const { return selected_; }
    void setIcon(std::optional<QImage> icon);
    bool hasIcon() const { return icon_.has_value(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    core::SearchCandidate candidate_;
    QString label_;
    QString sectionTitle_;
    bool selected_ = false;
    std::optional<QImage> icon_;
};

} // namespace pellacor::app
