#include "Trayvane/Settings/RuleAddSheet.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Onboarding/SymbolView.h"
#include "Trayvane/Settings/AppIconView.h"
#include "Trayvane/Theme/AppButton.h"
#include "Trayvane/Theme/AppColor.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/Appearance.h"
#include "Trayvane/Theme/MenuButton.h"
#include "Trayvane/Theme/QtText.h"
#include "Trayvane/Theme/ThemeViews.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace pellacor::app {

using core::AppRule;
using core::localized;

namespace {

QLabel* label(std::string_view key, QWidget* parent, bool heading) {
    auto* text = new QLabel(qtText(localized(key)), parent);
    text->setTextFormat(Qt::PlainText);
    if (heading) {
        text->setFont(AppFont::heading());
    }
    return text;
}

QVBoxLayout* group() {
    auto* stack = new QVBoxLayout;
    stack->setSpacing(6);
    return stack;
}

// One of the conditions as a radio choice: its symbol, then its title.
QPushButton* conditionButton(AppRule::Condition condition, QWidget* parent) {
    auto* choice = new QPushButton(parent);
    choice->setObjectName(QStringLiteral("ruleAdd:condition:") +
                          qtText(std::string(core::rawValue(condition))));
    choice->setFlat(true);
    choice->setAutoDefault(false);
    choice->setCheckable(true);
    choice->setAccessibleName(qtText(core::title(condition)));
    choice->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"));
    auto* line = new QHBoxLayout(choice);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    const int lineHeight = QFontMetrics(AppFont::body()).height();
    line->addWidget(new SymbolView("circle", 16, {}, lineHeight, choice));
    auto* text = new QLabel(qtText(core::title(condition)), choice);
    text->setFont(AppFont::body());
    line->addWidget(text);
    line->addStretch(1);
    choice->setMinimumHeight(lineHeight + 4);
    return choice;
}

} // namespace

RuleAddSheet::RuleAddSheet(RulesModel& model, std::shared_ptr<IconStore> icons, QWidget* parent)
    : Sheet("ruleAdd", sheetWidth, parent), model_(model), icons_(std::move(icons)) {
    setWindowTitle(qtText(localized("ルールを追加")));
    // The running applications as they are now: the list is not refreshed
    // while the sheet is open.
    if (model_.runningApps) {
        apps_ = model_.runningApps();
    }
    preselectProfile();

    auto* stack = makeStack(14);
    auto* title = new QLabel(windowTitle(), this);
    appHeading(*title);
    stack->addWidget(title);
    addAppGroup();
    addConditionGroup();
    addProfileGroup();
    addProblemText("ruleAdd:problem");
    auto* commitButton = addButtons("ruleAdd:cancel", localized("追加"), "ruleAdd:commit", true);
    connect(commitButton, &QPushButton::clicked, this, &RuleAddSheet::commit);
    showState();
}

void RuleAddSheet::preselectProfile() {
    const auto& profiles = model_.profiles();
    const auto notActive = std::find_if(profiles.begin(), profiles.end(),
                                        [](const ProfileChoice& choice) { return !choice.isActive; });
    if (notActive != profiles.end()) {
        profileID_ = notActive->id;
    } else if (!profiles.empty()) {
        profileID_ = profiles.front().id;
    }
}

void RuleAddSheet::addAppGroup() {
    auto* appGroup = group();
    appGroup->addWidget(label("アプリ", this, true));
    appLine_ = new QHBoxLayout;
    appLine_->setSpacing(10);
    appMenuButton_ = new MenuButton(QString(), QStringLiteral("ruleAdd:app"), this);
    QMenu* appMenu = appMenuButton_->menu();
    for (const auto& choice : apps_) {
        QAction* item = appMenu->addAction(qtTitle(choice.name));
        connect(item, &QAction::triggered, this, [this, choice] { chooseApp(choice); });
    }
    if (!apps_.empty()) {
        appMenu->addSeparator();
    }
    QAction* other = appMenu->addAction(qtTitle(localized("ほかのアプリを選ぶ…")));
    other->setObjectName("ruleAdd:other");
    connect(other, &QAction::triggered, this, &RuleAddSheet::chooseOtherApp);
    appLine_->addWidget(appMenuButton_, 0, Qt::AlignVCenter);
    appLine_->addStretch(1);
    appGroup->addLayout(appLine_);
    auto* appHelp =
        new QLabel(qtText(localized("一覧に出るのは、いま動いているアプリです。動いていないアプリは「ほかの"
                                    "アプリを選ぶ…」から選びます。")),
                   this);
    appHelp->setWordWrap(true);
    appSecondary(*appHelp);
    appGroup->addWidget(appHelp);
    stack()->addLayout(appGroup);
}

void RuleAddSheet::addConditionGroup() {
    auto* conditionGroup = group();
    conditionGroup->addWidget(label("いつ", this, true));
    for (std::size_t i = 0; i < conditionButtons_.size(); ++i) {
        const AppRule::Condition condition = core::allConditions[i];
        auto* choice = conditionButton(condition, this);
        connect(choice, &QPushButton::clicked, this, [this, condition] { chooseCondition(condition); });
        conditionButtons_[i] = choice;
        conditionGroup->addWidget(choice);
    }
    stack()->addLayout(conditionGroup);
}

void RuleAddSheet::addProfileGroup() {
    auto* profileGroup = group();
    profileGroup->addWidget(label("切り替える先のプロファイル", this, true));
    profileMenuButton_ = new MenuButton(QString(), QStringLiteral("ruleAdd:profile"), this);
    profileMenu_ = profileMenuButton_->menu();
    for (const auto& choice : model_.profiles()) {
        QAction* item = profileMenu_->addAction(qtTitle(choice.name));
        item->setCheckable(true);
        item->setData(qtText(choice.id.uuidString()));
        connect(item, &QAction::triggered, this, [this, id = choice.id] { chooseProfile(id); });
    }
    profileGroup->addWidget(profileMenuButton_, 0, Qt::AlignLeft);
    stack()->addLayout(profileGroup);
}

void RuleAddSheet::chooseApp(const RuleAppChoice& choice) {
    app_ = choice;
    showState();
}

RuleAddSheet::~RuleAddSheet() {
    if (const auto dismiss = std::exchange(dismissPanel_, nullptr)) {
        dismiss();
    }
}

void RuleAddSheet::chooseOtherApp() {
    if (!model_.chooseOtherApp) {
        return;
    }
    // One panel per sheet at a time.
    if (const auto dismiss = std::exchange(dismissPanel_, nullptr)) {
        dismiss();
    }
    // The panel answers on a later turn; the sheet may be gone by then.
    dismissPanel_ =
        model_.chooseOtherApp([sheet = QPointer<RuleAddSheet>(this)](std::optional<RuleAppChoice> chosen) {
            if (!sheet) {
                return;
            }
            sheet->dismissPanel_ = nullptr;
            if (chosen) {
                sheet->chooseApp(*chosen);
            }
        });
}

void RuleAddSheet::chooseCondition(AppRule::Condition condition) {
    condition_ = condition;
    showState();
}

void RuleAddSheet::chooseProfile(const core::Uuid& id) {
    profileID_ = id;
    showState();
}

void RuleAddSheet::commit() {
    const auto& profiles = model_.profiles();
    const bool profileListed =
        profileID_ && std::any_of(profiles.begin(), profiles.end(),
                                  [&](const ProfileChoice& choice) { return choice.id == *profileID_; });
    if (!app_) {
        problem_ = localized("アプリを選んでください。");
    } else if (!profileID_ || !profileListed) {
        // A profile deleted while the sheet was open counts as none chosen.
        problem_ = localized("切り替える先のプロファイルを選んでください。");
    } else if (model_.exists(app_->bundleID, condition_)) {
        problem_ =
            localized("「%@」の「%@」のルールは、もうあります。", {app_->name, core::title(condition_)});
    } else if (model_.onAdd && model_.onAdd(app_->bundleID, condition_, *profileID_)) {
        accept();
        return;
    } else {
        problem_ = localized("追加できませんでした。もう一度試してください。");
    }
    showProblem(*problem_);
    showState();
}

void RuleAddSheet::showState() {
    appMenuButton_->setText(app_ ? qtTitle(app_->name) : qtText(localized("選んでください")));
    if (app_ && (!appIcon_ || appIcon_->bundleID() != app_->bundleID)) {
        delete appIcon_;
        appIcon_ = new AppIconView(icons_, app_->bundleID, this);
        appIcon_->setObjectName("ruleAdd:icon");
        appLine_->insertWidget(1, appIcon_, 0, Qt::AlignVCenter);
    }
    for (std::size_t i = 0; i < conditionButtons_.size(); ++i) {
        const bool selected = core::allConditions[i] == condition_;
        QPushButton* choice = conditionButtons_[i];
        choice->setChecked(selected);
        if (auto* symbol = choice->findChild<SymbolView*>()) {
            if (selected) {
                symbol->setSymbol("largecircle.fill.circle", [](const QWidget& view) {
                    return view.palette().color(QPalette::Highlight);
                });
            } else {
                symbol->setSymbol("circle", [](const QWidget& view) {
                    return AppColor::secondaryText.resolved(appearanceOf(view.palette()));
                });
            }
        }
    }
    const auto& profiles = model_.profiles();
    const auto shown = std::find_if(profiles.begin(), profiles.end(), [&](const ProfileChoice& choice) {
        return profileID_ && choice.id == *profileID_;
    });
    profileMenuButton_->setText(shown != profiles.end() ? qtTitle(shown->name)
                                                        : qtText(localized("選んでください")));
    for (QAction* item : profileMenu_->actions()) {
        item->setChecked(profileID_ && item->data().toString() == qtText(profileID_->uuidString()));
    }
    fitHeight();
}

} // namespace pellacor::app
