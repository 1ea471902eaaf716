#include "Trayvane/Onboarding/PermissionGuideText.h"

#include "MenuBarCore/Support/Localized.h"

namespace pellacor::app {

using core::localized;

const std::string& PermissionGuideText::title() {
    static const std::string text = localized("アクセシビリティの許可をお願いします");
    return text;
}

const std::string& PermissionGuideText::why() {
    static const std::string text =
        localized("Pellacor は、メニューバーのアイコンを読み取って、隠したり出したりします。"
                  "そのために、macOS の「アクセシビリティ」の許可が1つだけ要ります。");
    return text;
}

const std::string& PermissionGuideText::safe() {
    static const std::string text =
        localized("許可が無い間は、何も隠しません。メニューバーはいつもどおりです。"
                  "アイコンの中の文字（メールの件数など）は記録しません。どこにも送りません。");
    return text;
}

const std::string& PermissionGuideText::waiting() {
    static const std::string text = localized("まだ許可されていません。");
    return text;
}

const std::string& PermissionGuideText::grantedButStuck() {
    static const std::string text =
        localized("許可は付いています。動き始めないときは「開き直す」を押してください"
                  "（許可は、開き直すまで効かないことがあります）。");
    return text;
}

const std::vector<PermissionGuideText::Step>& PermissionGuideText::steps() {
    static const std::vector<Step> steps{
        {1, localized("下の「システム設定を開く」を押します。")},
        {2,
         localized(
             "開いた画面（デバイスの制御とデータへのアクセス）の一覧を下へスクロールし、"
             "「Pellacor.app」の行の右のスイッチをオンにします（一覧はアプリのファイル名の ABC 順です）。")},
        {3, localized("一覧に無いときは、一覧の下の「＋」を押して、「アプリケーション」フォルダの「Pellacor」"
                      "を選びます。")},
        {4, localized("オンにすると、数秒で動き始めます。この窓も自動で閉じます。")},
    };
    return steps;
}

} // namespace pellacor::app
