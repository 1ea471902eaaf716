#pragma once

#include <QWidget>
#include <string>

class QLabel;

namespace pellacor::app {

// What the About window shows, top to bottom and centred: the program's
// icon, its name, the version line (selectable, for copying into a report)
// and the maker. At least `minimumWidth` wide; as high as its content.
class AboutView final : public QWidget {
    Q_OBJECT

public:
    static constexpr int minimumWidth = 340;
    static constexpr int iconSize = 112;

    explicit AboutView(const std::string& versionLine, QWidget* parent = nullptr);

    const QLabel& versionLabel() const { return *version_; }

private:
    QLabel* version_ = nullptr;
};

} // namespace pellacor::app
