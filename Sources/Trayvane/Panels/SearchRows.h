#pragma once

#include "MenuBarCore/Planning/SearchCandidate.h"
#include "Trayvane/Common/IconStore.h"

#include <QRect>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace pellacor::app {

class SearchRow;

// The search panel's list of results inside its scroll area: as tall as all
// its rows (40 points each, 2 apart, 6 points of padding around), but a row's
// widget is made only once the row comes into view, so hundreds of results
// cost no more than the few on screen. Main thread only.
class SearchRows final : public QWidget {
    Q_OBJECT

public:
    static constexpr int padding = 6;
    static constexpr int spacing = 2;

    using Label = std::function<QString(const core::SearchCandidate&)>;

    SearchRows(std::shared_ptr<IconStore> icons, Label label, QWidget* parent = nullptr);
    SearchRows(const SearchRows&) = delete;
    SearchRows& operator=(const SearchRows&) = delete;

    // A row was clicked.
    std::function<void(const core::SearchCandidate&)> onClick;

    // Lists these results, the one at `selection` drawn selected; rows are
    // made again as they come into view.
    void setResults(std::vector<core::SearchCandidate> results, int selection);
    void setSelection(int selection);
    // Makes the rows lying (partly) between these heights; rows made earlier stay.
    void reveal(int top, int bottom);

    std::size_t count() const { return results_.size(); }
    // Where the row at `index` lies, in this widget's coordinates.
    QRect rowRect(std::size_t index) const;
    // The row's widget, when it has been made.
    SearchRow* row(std::size_t index) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void clear();
    void iconArrived(const std::string& bundleID);

    std::shared_ptr<IconStore> icons_;
    Label label_;
    // Told of each icon that arrives, while these rows live.
    core::Subscription iconArrivals_;
    std::vector<core::SearchCandidate> results_;
    int selection_ = 0;
    std::map<std::size_t, SearchRow*> rows_;
};

} // namespace pellacor::app
