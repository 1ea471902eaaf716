#include "MenuBarCore/Support/FeedbackReport.h"

#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/ProductInfo.h"

#include <array>
#include <cstdint>
#include <set>

namespace pellacor::core {

namespace {

std::string onOff(bool on) {
    return on ? localized("入") : localized("切");
}

// Whether `text` is well-formed UTF-8: no stray continuation byte, no
// truncated sequence, no overlong form, surrogate or value past U+10FFFF.
bool isValidUtf8(std::string_view text) {
    std::size_t index = 0;
    while (index < text.size()) {
        const auto lead = static_cast<unsigned char>(text[index]);
        std::size_t length = 0;
        char32_t value = 0;
        if (lead < 0x80) {
            ++index;
            continue;
        }
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            value = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            value = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            value = lead & 0x07;
        } else {
            return false;
        }
        if (index + length > text.size()) {
            return false;
        }
        for (std::size_t next = 1; next < length; ++next) {
            const auto byte = static_cast<unsigned char>(text[index + next]);
            if ((byte & 0xC0) != 0x80) {
                return false;
            }
            value = (value << 6) | (byte & 0x3F);
        }
        static constexpr std::array<char32_t, 5> smallest{0, 0, 0x80, 0x800, 0x10000};
        if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        index += length;
    }
    return true;
}

} // namespace

const std::string& FeedbackReport::includedSummary() {
    static const std::string summary = localized(
        "アプリと macOS "
        "のバージョン・ビルド・機種・アクセシビリティの許可・いまの状態・置き場所ごとのアプリの数・"
        "新しいアイコンの置き場所・プロファイルと自動の切り替えの数・設定の入と切・画面の数とノッチ");
    return summary;
}

const std::string& FeedbackReport::excludedSummary() {
    static const std::string summary =
        localized("アプリの名前・アイコンの中の文字・プロファイルや自動の切り替えに付けた名前・コンピュータ名"
                  "・ユーザ名・保存先の場所・記録（ログ）");
    return summary;
}

FeedbackReport::SectionCounts FeedbackReport::sectionCounts(const std::vector<ItemSnapshot>& items,
                                                            const Profile& profile,
                                                            const std::optional<std::string>& selfBundleID) {
    std::set<AppKey> owners;
    for (const auto& item : items) {
        if (item.isApple() || (selfBundleID && item.ownerBundleID() == *selfBundleID)) {
            continue;
        }
        owners.insert(item.owner());
    }
    SectionCounts counts;
    for (const auto& owner : owners) {
        switch (profile.section(owner)) {
        case Section::shown:
            ++counts.shown;
            break;
        case Section::hidden:
            ++counts.hidden;
            break;
        case Section::alwaysHidden:
            ++counts.alwaysHidden;
            break;
        }
    }
    return counts;
}

std::string FeedbackReport::sectionName(Section section) {
    switch (section) {
    case Section::shown:
        return localized("表示");
    case Section::hidden:
        return localized("隠す");
    case Section::alwaysHidden:
        return localized("いつも隠す");
    }
    return localized("隠す");
}

std::string FeedbackReport::subject(const Environment& environment) {
    return localized("%@ %@ のご意見・不具合", {ProductInfo::name, environment.appVersion});
}

std::string FeedbackReport::body(const Environment& environment) {
    std::vector<std::string> lines;
    lines.push_back(localized("（この上に、お困りのことやご要望をお書きください）"));
    lines.emplace_back();
    lines.push_back(localized("・どんな操作をしたか:"));
    lines.push_back(localized("・どうなると思ったか:"));
    lines.push_back(localized("・実際にどうなったか:"));
    lines.emplace_back();
    lines.push_back(localized("――― ここから下は動作環境です（消していただいてかまいません）―――"));
    lines.push_back(std::string(ProductInfo::name) + ": " + environment.appVersion);
    if (!environment.build.empty()) {
        lines.push_back(localized("ビルド: %@", {environment.build}));
    }
    lines.push_back("macOS: " + environment.osVersion);
    lines.push_back(localized("機種: %@", {environment.model}));
    const std::string granted = !environment.accessibilityGranted ? localized("まだ確かめていません")
                                : *environment.accessibilityGranted ? localized("許可済み")
                                                                    : localized("未許可");
    lines.push_back(localized("アクセシビリティ: %@", {granted}));
    lines.push_back(localized("状態: %@", {environment.stateText}));
    const auto& counts = environment.sectionCounts;
    lines.push_back(localized("アプリの数: 表示 %lld・隠す %lld・いつも隠す %lld",
                              {counts.shown, counts.hidden, counts.alwaysHidden}));
    lines.push_back(localized("新しいアイコンの置き場所: %@", {sectionName(environment.newItemSection)}));
    lines.push_back(localized("プロファイル: %lld 個", {environment.profileCount}));
    lines.push_back(localized("自動の切り替え: %lld 個", {environment.ruleCount}));
    const auto& switches = environment.switches;
    lines.push_back(localized(
        "設定: ログイン時に起動 %@・マウスを乗せて出す %@・下の段 %@・ノッチ対策 %@・⌘ドラッグ "
        "%@・ユーザの切り替えの代わり %@",
        {onOff(switches.launchAtLogin), onOff(switches.hoverReveal), onOff(switches.belowBar),
         onOff(switches.notchOverflow), onOff(switches.dragSort), onOff(switches.userSwitcherStandIn)}));
    lines.push_back(localized(
        "画面: %lld 枚（ノッチのある画面 %@）",
        {environment.screenCount, environment.hasNotchScreen ? localized("あり") : localized("なし")}));
    lines.emplace_back();
    lines.push_back(localized("※ %@は含めていません。", {excludedSummary()}));
    lines.push_back(localized("　 画面の写真を添えていただくときは、このメールに手で添付してください。"));

    std::string text;
    for (std::size_t index = 0; index < lines.size(); ++index) {
        if (index > 0) {
            text += '\n';
        }
        text += lines[index];
    }
    return text;
}

std::optional<std::string> FeedbackReport::percentEncoded(std::string_view text, std::string_view keep) {
    if (!isValidUtf8(text)) {
        return std::nullopt;
    }
    static constexpr std::string_view hex = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (const char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                                (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                                byte == '~';
        if (unreserved || (byte < 0x80 && keep.find(character) != std::string_view::npos)) {
            encoded += character;
        } else {
            encoded += '%';
            encoded += hex[byte >> 4];
            encoded += hex[byte & 0x0F];
        }
    }
    return encoded;
}

std::optional<std::string> FeedbackReport::mailtoURL(const Environment& environment) {
    const auto address = percentEncoded(recipient, "@");
    const auto encodedSubject = percentEncoded(subject(environment));
    const auto encodedBody = percentEncoded(body(environment));
    if (!address || !encodedSubject || !encodedBody) {
        return std::nullopt;
    }
    // Every part is encoded down to unreserved characters, so the joined text
    // is always a well-formed URL.
    return "mailto:" + *address + "?subject=" + *encodedSubject + "&body=" + *encodedBody;
}

std::string FeedbackReport::clipboardText(const Environment& environment) {
    return localized("宛先: %@\n件名: %@\n\n%@", {recipient, subject(environment), body(environment)});
}

} // namespace pellacor::core
