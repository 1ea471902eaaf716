#include "Trayvane/Help/HelpWindow.h"

#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Help/HelpFindBar.h"
#include "Trayvane/Help/HelpTextView.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Windows/AuxiliaryWindowPlacement.h"

#include <QFile>
#include <QFontMetricsF>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QScrollBar>
#include <QShortcut>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextOption>
#include <QVBoxLayout>
#include <cmath>
#include <utility>

namespace pellacor::app {

namespace {

// How far the contents' rows stand in from the list's edge, as in a source list.
constexpr int contentsInset = 10;

const QFont& fontOf(HelpPage::Font font) {
    switch (font) {
    case HelpPage::Font::title:
        return AppFont::nsHelpTitle();
    case HelpPage::Font::group:
        return AppFont::nsHelpGroup();
    case HelpPage::Font::item:
        return AppFont::nsHelpItem();
    case HelpPage::Font::body:
        break;
    }
    return AppFont::nsBody();
}

QTextCharFormat charFormat(const QFont& font) {
    QTextCharFormat format;
    format.setFont(font);
    return format;
}

// One paragraph of the page as one block of the text: its spacing, its rule's
// room above it, a list item's hanging indent, and its runs, where only body
// text shows emphasis in a font of its own (headings just lose the markers).
void appendParagraph(QTextCursor& cursor, const HelpPage::Paragraph& paragraph, bool first) {
    QTextBlockFormat block;
    block.setLineHeight(HelpPage::lineSpacing, QTextBlockFormat::LineDistanceHeight);
    block.setBottomMargin(paragraph.spacingAfter);
    const auto rule = HelpPage::ruleMetrics(paragraph.rule);
    block.setTopMargin(paragraph.spacingBefore + rule.margin + rule.border + rule.padding);
    block.setProperty(HelpTextView::ruleProperty, static_cast<int>(paragraph.rule));
    if (!paragraph.marker.empty()) {
        block.setLeftMargin(HelpPage::listIndent);
        block.setTextIndent(-HelpPage::listIndent);
        block.setTabPositions({QTextOption::Tab(HelpPage::listIndent, QTextOption::LeftTab)});
    }
    if (first) {
        cursor.setBlockFormat(block);
    } else {
        cursor.insertBlock(block);
    }
    const QFont& base = fontOf(paragraph.font);
    if (!paragraph.marker.empty()) {
        cursor.insertText(QString::fromStdString(paragraph.marker) + QLatin1Char('\t'),
                          charFormat(AppFont::nsBody()));
    }
    for (const auto& span : core::HelpDocument::spans(paragraph.text)) {
        const bool emphasized = span.emphasized && paragraph.font == HelpPage::Font::body;
        cursor.insertText(QString::fromStdString(span.text),
                          charFormat(emphasized ? AppFont::nsBodyEmphasis() : base));
    }
}

} // namespace

HelpWindow::HelpWindow(Services services, Loader loader, std::string localization)
    : loader_(loader ? std::move(loader) : Loader([] { return bundled(); })),
      localization_(std::move(localization)),
      // On a small screen it shrinks to the visible area, less a margin.
      window_(std::move(services), AuxiliaryWindowPlacement::help(), true) {}

HelpWindow::~HelpWindow() = default;

std::vector<std::string> HelpWindow::helpFolders(const std::optional<std::string>& preferred) {
    const std::string name = preferred.value_or("ja");
    if (name.starts_with("en")) {
        return {"en.lproj", "ja.lproj"};
    }
    return {"ja.lproj"};
}

std::string HelpWindow::preferredLocalization(const std::vector<std::string>& languages) {
    for (const auto& language : languages) {
        if (language.starts_with("en") || language.starts_with("ja")) {
            return language;
        }
    }
    return "ja";
}

std::string HelpWindow::systemLocalization() {
    std::vector<std::string> languages;
    for (const QString& language : QLocale::system().uiLanguages()) {
        languages.push_back(language.toStdString());
    }
    return preferredLocalization(languages);
}

std::optional<core::HelpDocument> HelpWindow::bundled(const std::optional<std::string>& preferred,
                                                      const QString& root) {
    for (const auto& folder : helpFolders(preferred)) {
        QFile file(root + QLatin1Char('/') + QString::fromStdString(folder) + QStringLiteral("/Help.md"));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray bytes = file.readAll();
        // Text that is not UTF-8 is unreadable, like a missing file.
        QStringDecoder decoder(QStringDecoder::Utf8);
        static_cast<void>(QString(decoder(bytes)));
        if (decoder.hasError()) {
            continue;
        }
        auto document = core::HelpDocument::parse(std::string_view(bytes.constData(), bytes.size()));
        if (!document.sections.empty()) {
            return document;
        }
    }
    return std::nullopt;
}

std::optional<core::HelpDocument> HelpWindow::bundled() {
    return bundled(systemLocalization());
}

void HelpWindow::show(std::optional<HelpTopic> topic) {
    const bool existed = window_.isBuilt();
    if (!existed) {
        build();
    }
    // A window coming back on screen reads the document again before it is placed.
    if (!window_.isVisible()) {
        load();
    }
    window_.present();
    text_->setFocus();
    if (topic) {
        // The topic's heading in the help text of the user's language, as
        // the string table has it when a translation is installed; a help
        // text that fell back to Japanese carries the Japanese heading, the key.
        const std::string key(titleKey(*topic));
        bool found = false;
        for (const auto& candidate : {title(*topic, localization_), core::localized(key), key}) {
            if (jump(candidate)) {
                core::Log::app().info("ヘルプの「{}」の項目を開きました", candidate);
                found = true;
                break;
            }
        }
        if (!found) {
            core::Log::app().notice("ヘルプに飛び先の項目が見つかりませんでした");
        }
    }
    core::Log::app().info("ヘルプの窓を開きました（{}・項目 {}）", existed ? "作り直さずに" : "作って",
                          page_.itemCount());
}

void HelpWindow::build() {
    auto& frame = window_.build<AuxiliaryWindowFrame>();
    frame.setObjectName(QStringLiteral("help"));
    frame.setWindowTitle(QString::fromStdString(core::localized("Pellacor のヘルプ")));
    frame.resize(width, height);
    frame.setMinimumSize(760, 480);

    contents_ = new QListWidget(&frame);
    contents_->setObjectName(QStringLiteral("help:contents"));
    contents_->setAccessibleName(QString::fromStdString(core::localized("目次")));
    contents_->setFixedWidth(contentsWidth);
    contents_->setFrameShape(QFrame::NoFrame);
    contents_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    contents_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    contents_->setSelectionMode(QAbstractItemView::SingleSelection);
    contents_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    QObject::connect(contents_, &QListWidget::itemClicked, contents_, [this](QListWidgetItem* item) {
        const int row = contents_->row(item);
        if (row >= 0) {
            jump(static_cast<std::size_t>(row));
        }
    });
    QObject::connect(contents_, &QListWidget::currentRowChanged, contents_, [this](int row) {
        if (row >= 0) {
            jump(static_cast<std::size_t>(row));
        }
    });

    auto* separator = new QFrame(&frame);
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Plain);
    separator->setFixedWidth(1);

    text_ = new HelpTextView(&frame);
    text_->setObjectName(QStringLiteral("help:text"));
    text_->setAccessibleName(QString::fromStdString(core::localized("ヘルプの本文")));
    text_->setFont(AppFont::nsBody());

    find_ = new HelpFindBar(*text_, &frame);
    auto* findShortcut = new QShortcut(QKeySequence::Find, &frame);
    QObject::connect(findShortcut, &QShortcut::activated, find_, &HelpFindBar::open);
    auto* column = new QVBoxLayout;
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(find_);
    column->addWidget(text_, 1);

    auto* layout = new QHBoxLayout(&frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(contents_);
    layout->addWidget(separator);
    layout->addLayout(column, 1);
    frame.setFocusProxy(text_);
}

void HelpWindow::load() {
    const auto document = loader_();
    if (!document) {
        core::Log::app().error("ヘルプの本文を読み込めませんでした");
        page_ = HelpPage::missing();
    } else {
        page_ = HelpPage::of(*document);
    }
    auto* text = new QTextDocument(text_);
    text->setDocumentMargin(0);
    text->setDefaultFont(AppFont::nsBody());
    QTextFrameFormat frame = text->rootFrame()->frameFormat();
    frame.setLeftMargin(HelpPage::insetX);
    frame.setRightMargin(HelpPage::insetX);
    frame.setTopMargin(HelpPage::insetY);
    frame.setBottomMargin(HelpPage::insetY);
    text->rootFrame()->setFrameFormat(frame);
    QTextCursor cursor(text);
    for (std::size_t index = 0; index < page_.paragraphs.size(); ++index) {
        appendParagraph(cursor, page_.paragraphs[index], index == 0);
    }
    // The view deletes the text it showed before, its own child as well.
    text_->setDocument(text);
    text_->moveCursor(QTextCursor::Start);
    text_->verticalScrollBar()->setValue(0);
    fillContents();
}

void HelpWindow::fillContents() {
    const QSignalBlocker quiet(contents_);
    contents_->clear();
    for (std::size_t index = 0; index < page_.rows.size(); ++index) {
        const auto& row = page_.rows[index];
        const QFont& font = row.isGroup ? AppFont::nsBodyEmphasis() : AppFont::nsBody();
        const double wrap = HelpPage::textWidth(columnWidth, row.isGroup);
        const QString title = QString::fromStdString(row.title);

        auto* container = new QWidget;
        auto* label = new QLabel(title, container);
        label->setObjectName(QStringLiteral("help:row%1").arg(index));
        label->setFont(font);
        label->setWordWrap(true);
        // Wrapped at the row's text width, as the row's height was measured.
        label->setFixedWidth(static_cast<int>(wrap));
        auto* column = new QVBoxLayout(container);
        const int shift = static_cast<int>(HelpPage::labelShift(row.isGroup, index));
        // A shift down of the label's centre: twice the room above as below.
        column->setContentsMargins(contentsInset + static_cast<int>(HelpPage::labelLeading(row.isGroup)),
                                   2 * shift, 0, 0);
        column->setSpacing(0);
        column->addWidget(label, 0, Qt::AlignLeft | Qt::AlignVCenter);

        const QRectF measured =
            QFontMetricsF(font).boundingRect(QRectF(0, 0, wrap, 10000), Qt::TextWordWrap, title);
        const double rowHeight = HelpPage::rowHeight(measured.height(), row.isGroup, index);
        auto* item = new QListWidgetItem(contents_);
        item->setSizeHint(QSize(static_cast<int>(columnWidth), static_cast<int>(std::ceil(rowHeight))));
        item->setData(Qt::AccessibleTextRole, title);
        contents_->setItemWidget(item, container);
    }
    contents_->clearSelection();
    contents_->setCurrentRow(-1);
}

void HelpWindow::jump(std::size_t row) {
    if (row >= page_.rows.size()) {
        return;
    }
    const int start = static_cast<int>(page_.rows[row].start);
    const auto top = text_->lineTop(start);
    if (!top) {
        return;
    }
    QTextCursor cursor(text_->document());
    cursor.setPosition(start);
    text_->setTextCursor(cursor);
    text_->verticalScrollBar()->setValue(static_cast<int>(std::lround(HelpPage::jumpOffset(*top))));
}

bool HelpWindow::jump(const std::string& title) {
    const auto row = page_.itemRow(title);
    if (!row) {
        return false;
    }
    {
        // The selection follows without jumping twice.
        const QSignalBlocker quiet(contents_);
        contents_->setCurrentRow(static_cast<int>(*row));
    }
    contents_->scrollToItem(contents_->item(static_cast<int>(*row)));
    jump(*row);
    return true;
}

} // namespace pellacor::app
