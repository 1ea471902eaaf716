#pragma once

#include "Trayvane/Common/IconStore.h"
#include "Trayvane/Panels/SearchModel.h"

#include <QWidget>
#include <memory>

class QLabel;
class QScrollArea;

namespace pellacor::app {

class SearchField;
class SearchRows;

// The search panel's content, a 520-point card with rounded corners: the
// magnifying glass and the text field, a divider, and a 352-point list area
// showing the results (a click on a row selects and presses it) or, when
// there are none, one line saying why. It draws the model and follows every
// change of it; a changed selection is scrolled into view. Main thread only.
class SearchView final : public QWidget {
    Q_OBJECT

public:
    static constexpr int width = 520;
    static constexpr int listHeight = 352;
    static constexpr double cornerRadius = 12;

    SearchView(std::shared_ptr<SearchModel> model, std::shared_ptr<IconStore> icons,
               QWidget* parent = nullptr);
    SearchView(const SearchView&) = delete;
    SearchView& operator=(const SearchView&) = delete;

    SearchField* field() const { return field_; }
    SearchRows* rows() const { return rows_; }
    QScrollArea* scrollArea() const { return scrollArea_; }
    // The line shown instead of the list when nothing is listed.
    QLabel* emptyText() const { return emptyText_; }

    // Always 520 points wide, as tall as its parts.
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void modelChanged(SearchModel::Property changed);
    void showResults();
    void scrollToSelection();
    void revealVisibleRows();

    std::shared_ptr<SearchModel> model_;
    core::Subscription modelChanges_;
    SearchField* field_ = nullptr;
    SearchRows* rows_ = nullptr;
    QScrollArea* scrollArea_ = nullptr;
    QLabel* emptyText_ = nullptr;
};

} // namespace pellacor::app
