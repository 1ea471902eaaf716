#include "Trayvane/Settings/ProfileNameSheet.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Settings/ProfileNameCommit.h"
#include "Trayvane/Theme/AppButton.h"
#include "Trayvane/Theme/AppColor.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/QtText.h"
#include "Trayvane/Theme/ThemeViews.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace pellacor::app {

using core::localized;

ProfileNameSheet::ProfileNameSheet(ProfilesModel& model, ProfileBarEditor editor, QWidget* parent)
    : QDialog(parent), model_(model), editor_(std::move(editor)) {
    setObjectName("profile:nameSheet");
    setWindowModality(Qt::WindowModal);
    setFont(AppFont::body());
    const bool adding = editor_.isAdding();
    setWindowTitle(qtText(localized(adding ? "プロファイルを追加" : "名前を変える")));

    auto* stack = new QVBoxLayout(this);
    stack->setSpacing(12);
    stack->setContentsMargins(padding, padding, padding, padding);
    stack->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* title = new QLabel(windowTitle(), this);
    title->setObjectName("profile:sheetTitle");
    appHeading(*title);
    stack->addWidget(title);
    if (adding) {
        auto* explanation = new QLabel(
            qtText(localized("いまのプロファイルの振り分けと順番を写して、新しいプロファイルを作ります。"
                             "作ったプロファイルに切り替わります。")),
            this);
        explanation->setWordWrap(true);
        appSecondary(*explanation);
        stack->addWidget(explanation);
    }

    name_ = new QLineEdit(qtText(editor_.initial), this);
    name_->setObjectName("profile:name");
    name_->setPlaceholderText(qtText(localized("名前")));
    name_->setAccessibleName(name_->placeholderText());
    name_->setFont(AppFont::body());
    stack->addWidget(name_);

    problemText_ = new QLabel(this);
    problemText_->setObjectName("profile:problem");
    problemText_->setWordWrap(true);
    problemText_->setTextFormat(Qt::PlainText);
    appSecondaryFont(*problemText_);
    problemText_->hide();
    stack->addWidget(problemText_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* cancel = appButton(qtText(localized("キャンセル")), false, this);
    cancel->setObjectName("profile:cancel");
    auto* commitButton = appButton(qtText(localized(adding ? "追加" : "変える")), true, this);
    commitButton->setObjectName("profile:commit");
    // Return presses the commit button and nothing else, wherever the focus is.
    cancel->setAutoDefault(false);
    commitButton->setAutoDefault(false);
    commitButton->setDefault(true);
    buttons->addWidget(cancel, 0, Qt::AlignVCenter);
    buttons->addWidget(commitButton, 0, Qt::AlignVCenter);
    stack->addLayout(buttons);

    // Escape rejects the dialog, as "キャンセル" does.
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(commitButton, &QPushButton::clicked, this, &ProfileNameSheet::commit);
    name_->selectAll();
    name_->setFocus();
    fitHeight();
}

void ProfileNameSheet::commit() {
    problem_ = ProfileNameCommit::run(model_, editor_, name_->text().toStdString());
    if (!problem_) {
        accept();
        return;
    }
    QPalette palette = problemText_->palette();
    palette.setColor(QPalette::WindowText,
                     AppColor::errorText.resolved(appearanceOf(QApplication::palette())));
    problemText_->setPalette(palette);
    problemText_->setText(qtText(*problem_));
    problemText_->show();
    fitHeight();
}

void ProfileNameSheet::fitHeight() {
    layout()->invalidate();
    layout()->activate();
    // Without a wrapping text (renaming, no problem shown) the height does not
    // depend on the width.
    const int height = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(sheetWidth)
                                                     : layout()->totalSizeHint().height();
    setFixedSize(sheetWidth, height);
}

} // namespace pellacor::app
