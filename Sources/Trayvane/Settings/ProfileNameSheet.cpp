#include "Trayvane/Settings/ProfileNameSheet.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Settings/ProfileNameCommit.h"
#include "Trayvane/Theme/AppButton.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/QtText.h"
#include "Trayvane/Theme/ThemeViews.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace pellacor::app {

using core::localized;

ProfileNameSheet::ProfileNameSheet(ProfilesModel& model, ProfileBarEditor editor, QWidget* parent)
    : Sheet("profile:nameSheet", sheetWidth, parent), model_(model), editor_(std::move(editor)) {
    const bool adding = editor_.isAdding();
    setWindowTitle(qtText(localized(adding ? "プロファイルを追加" : "名前を変える")));

    auto* stack = makeStack(12);

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

    addProblemText("profile:problem");
    auto* commitButton =
        addButtons("profile:cancel", localized(adding ? "追加" : "変える"), "profile:commit", true);
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
    showProblem(*problem_);
}

} // namespace pellacor::app
