#include "Trayvane/Settings/GeneralSettingsView.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Onboarding/SymbolView.h"
#include "Trayvane/Settings/GeneralPageLook.h"
#include "Trayvane/Settings/SettingsCheckBox.h"
#include "Trayvane/Theme/AppButton.h"
#include "Trayvane/Theme/AppColor.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/Appearance.h"
#include "Trayvane/Theme/QtText.h"
#include "Trayvane/Theme/ThemeViews.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace pellacor::app {

using core::localized;

namespace {

QLabel* heading(std::string_view key, QWidget* parent) {
    auto* label = new QLabel(qtText(localized(key)), parent);
    appHeading(*label);
    return label;
}

// Wraps onto as many lines as it needs; never cut short.
QLabel* wrapping(const QString& value, QWidget* parent) {
    auto* label = new QLabel(value, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QLabel* helpText(std::string_view key, QWidget* parent) {
    auto* label = wrapping(qtText(localized(key)), parent);
    appSecondary(*label);
    return label;
}

QVBoxLayout* section() {
    // No alignment of its own: the texts take the full width and wrap in it;
    // boxes and buttons are placed on the left one by one.
    auto* stack = new QVBoxLayout;
    stack->setSpacing(8);
    return stack;
}

// Runs a callback of the model only when the delegate has set it.
void call(const std::function<void()>& callback) {
    if (callback) {
        callback();
    }
}

SymbolView::Colour themed(ThemeColor colour) {
    return [colour](const QWidget& view) { return colour.resolved(appearanceOf(view.palette())); };
}

struct RevealRow {
    std::string_view label;
    const char* identifier;
    bool (GeneralModel::*shown)() const;
    std::function<void(bool)> GeneralModel::*request;
    std::string_view help;
};

const std::array<RevealRow, 5>& revealRows() {
    static const std::array<RevealRow, 5> rows{{
        {"マウスを乗せて出す", "general:hoverReveal", &GeneralModel::hoverReveal,
         &GeneralModel::onSetHoverReveal,
         "このアプリのアイコンか、メニューバーの右側の空いている所にマウスを 0.3 "
         "秒乗せると、隠したアイコンが出ます。アイコンの上や、メニューを開いている間は出しません。"},
        {"下の段に出す", "general:belowBar", &GeneralModel::belowBar, &GeneralModel::onSetBelowBar,
         "隠したアイコンをメニューバーに戻す代わりに、メニューバーのすぐ下に並べて出します。"
         "並んだアイコンを押すと、そのアプリのメニューが開きます。⇧クリックは、今までどおりメニューバーに全部"
         "出します。"},
        {"ユーザの切り替えの代わりのアイコン（ユーザ名など）を出す", "general:userSwitcherStandIn",
         &GeneralModel::userSwitcherStandIn, &GeneralModel::onSetUserSwitcherStandIn,
         "システム設定の「メニューバー」で「ファストユーザスイッチ」を入にしているときだけ出ます。"
         "そこを変えたときは、一時停止して再開するか、Pellacor を開き直すと合わせます。"
         "しまっている間は、ファストユーザスイッチのアイコンを macOS が消します。"
         "その間だけ、同じ形のアイコンを代わりに出します。"
         "押すと、隠したアイコンを少しの間だけ全部出して、本物のメニューを開きます。メニューを閉じると、しま"
         "い直します。"},
        {"⌘ドラッグで置き場所を変える", "general:dragSort", &GeneralModel::dragSort,
         &GeneralModel::onSetDragSort,
         "⌘ "
         "を押しながらアイコンをドラッグして、このアプリのアイコンより右に置くと「表示」、左に置くと「隠す」"
         "になります。"
         "このアプリのアイコンを動かすと、見えているアイコン全部の置き場所が、左右で決まり直します。"},
        {"入りきらないアプリを下の段へ", "general:notchOverflow", &GeneralModel::notchOverflow,
         &GeneralModel::onSetNotchOverflow,
         "ノッチのある画面でメニューバーがいっぱいになると、macOS "
         "は入りきらないアイコンを「≪」の後ろへ畳んで見えなくします。"
         "しまっている間、「表示」のアプリがそうなったら、左のものから一時的に隠して、下の段に並べます。"
         "空きができたら戻します。置き場所は変えません。「下の段に出す」が入のときだけ働きます。"},
    }};
    return rows;
}

} // namespace

GeneralSettingsView::GeneralSettingsView(GeneralModel& model, QWidget* parent)
    : QScrollArea(parent), model_(model) {
    setObjectName("general");
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFont(AppFont::body());

    auto* content = new QWidget;
    content->setObjectName("general:content");
    auto* stack = new QVBoxLayout(content);
    stack->setSpacing(24);
    stack->setContentsMargins(20, 20, 20, 20);
    // The widgets are made with the content as parent, so each section can
    // be laid out before it is added.
    setWidget(content);
    stack->addLayout(loginSection());
    stack->addLayout(revealSection());
    stack->addLayout(permissionSection());
    stack->addLayout(pauseSection());
    stack->addStretch(1);

    changes_ = model_.observers.observe([this](GeneralModel::Property) { showModel(); });
    showModel();
}

GeneralSettingsView::~GeneralSettingsView() = default;

QVBoxLayout* GeneralSettingsView::loginSection() {
    QWidget* content = widget();
    auto* stack = section();
    stack->addWidget(heading("ログイン時に起動", content));
    loginBox_ = new SettingsCheckBox(qtText(localized("Mac にログインしたら、自動で起動する")), content);
    loginBox_->setObjectName("general:loginItem");
    loginBox_->onRequest = [this](bool wanted) {
        if (model_.onSetLoginItem) {
            model_.onSetLoginItem(wanted);
        }
    };
    stack->addWidget(loginBox_, 0, Qt::AlignLeft);
    loginNote_ = wrapping({}, content);
    loginNote_->setObjectName("general:loginNote");
    appSecondary(*loginNote_);
    stack->addWidget(loginNote_);
    loginSettings_ = appButton(qtText(localized("ログイン項目の設定を開く")), false, content);
    connect(loginSettings_, &QPushButton::clicked, this, [this] { call(model_.onOpenLoginSettings); });
    stack->addWidget(loginSettings_, 0, Qt::AlignLeft);
    return stack;
}

QVBoxLayout* GeneralSettingsView::revealSection() {
    QWidget* content = widget();
    auto* stack = section();
    stack->addWidget(heading("出し方", content));
    for (std::size_t i = 0; i < revealRows().size(); ++i) {
        const RevealRow& row = revealRows()[i];
        auto* box = new SettingsCheckBox(qtText(localized(row.label)), content);
        box->setObjectName(row.identifier);
        // Never disabled: the notch box stays clickable while the below-bar
        // switch is off; only its help text says it then does nothing.
        box->onRequest = [this, request = row.request](bool wanted) {
            if (const auto& callback = model_.*request) {
                callback(wanted);
            }
        };
        stack->addWidget(box, 0, Qt::AlignLeft);
        stack->addWidget(helpText(row.help, content));
        reveals_[i] = {box, row.shown};
    }
    return stack;
}

QVBoxLayout* GeneralSettingsView::permissionSection() {
    QWidget* content = widget();
    auto* stack = section();
    stack->addWidget(heading("アクセシビリティの許可", content));
    // One element for assistive tools: the line's text, the icon left out.
    permission_ = new QWidget(content);
    permission_->setObjectName("general:permission");
    auto* row = new QHBoxLayout(permission_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    const int lineHeight = QFontMetrics(AppFont::body()).height();
    permissionSymbol_ = new SymbolView("exclamationmark.triangle", 16, {}, lineHeight, permission_);
    permissionText_ = wrapping({}, permission_);
    permissionText_->setFont(AppFont::body());
    row->addWidget(permissionSymbol_, 0, Qt::AlignTop);
    row->addWidget(permissionText_, 1);
    stack->addWidget(permission_);
    permissionGuide_ = appButton(qtText(localized("許可の案内を開く")), true, content);
    connect(permissionGuide_, &QPushButton::clicked, this, [this] { call(model_.onOpenPermissionGuide); });
    stack->addWidget(permissionGuide_, 0, Qt::AlignLeft);
    return stack;
}

QVBoxLayout* GeneralSettingsView::pauseSection() {
    QWidget* content = widget();
    auto* stack = section();
    stack->addWidget(heading("一時停止", content));
    stack->addWidget(
        helpText("一時停止すると、隠すのをやめて全部のアイコンを見せます。自動の動きも全部止めます。"
                 "⇧ を押しながらこのアプリを起動しても、一時停止で始まります。",
                 content));
    stateText_ = wrapping({}, content);
    stateText_->setObjectName("general:state");
    stateText_->setFont(AppFont::body());
    stack->addWidget(stateText_);
    resume_ = appButton(qtText(localized("再開")), true, content);
    resume_->setObjectName("general:resume");
    connect(resume_, &QPushButton::clicked, this, [this] { call(model_.onResume); });
    pause_ = appButton(qtText(localized("一時停止（再開するまで全部見せる）")), false, content);
    pause_->setObjectName("general:pause");
    connect(pause_, &QPushButton::clicked, this, [this] { call(model_.onPause); });
    stack->addWidget(resume_, 0, Qt::AlignLeft);
    stack->addWidget(pause_, 0, Qt::AlignLeft);
    return stack;
}

void GeneralSettingsView::showModel() {
    const GeneralPageLook look = GeneralPageLook::of(model_);
    loginBox_->setOn(look.loginBoxOn);
    loginNote_->setText(look.loginNote ? qtText(*look.loginNote) : QString());
    loginNote_->setVisible(look.loginNote.has_value());
    loginSettings_->setVisible(look.showsLoginSettings);

    for (const Reveal& reveal : reveals_) {
        reveal.box->setOn((model_.*reveal.shown)());
    }

    permissionSymbol_->setSymbol(
        look.permissionSymbol,
        themed(look.permissionGranted ? AppColor::successText : AppColor::warningText));
    permissionText_->setText(qtText(look.permissionText));
    permission_->setAccessibleName(permissionText_->text());
    permissionGuide_->setVisible(look.showsPermissionGuide);

    stateText_->setText(qtText(look.stateText));
    resume_->setVisible(look.offersResume);
    pause_->setVisible(!look.offersResume);
}

} // namespace pellacor::app
