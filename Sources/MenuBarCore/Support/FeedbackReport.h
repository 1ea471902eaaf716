#pragma once

#include "MenuBarCore/Model/ItemSnapshot.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Model/Section.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::core {

// What a feedback mail carries: the facts of the user's set-up, never a name
// the user typed, an application's name or a path. The program never sends
// it; the user gets a mail draft or the same text on the clipboard and decides.
// Pure functions of an `Environment`, which the shell gathers.
struct FeedbackReport {
    // Where feedback goes: the project's own support mailbox.
    static constexpr std::string_view recipient = "feedback@pellacor.app";

    // What the draft holds and what it leaves out, translated once.
    static const std::string& includedSummary();
    static const std::string& excludedSummary();

    // How many distinct applications sit in each section.
    struct SectionCounts {
        int shown = 0;
        int hidden = 0;
        int alwaysHidden = 0;
        friend bool operator==(const SectionCounts&, const SectionCounts&) = default;
    };

    // The feature switches, on or off.
    struct Switches {
        bool launchAtLogin = false;
        bool hoverReveal = false;
        bool belowBar = false;
        bool notchOverflow = false;
        bool dragSort = false;
        bool userSwitcherStandIn = false;
        friend bool operator==(const Switches&, const Switches&) = default;
    };

    struct Environment {
        std::string appVersion;
        // Empty when the program has no build number.
        std::string build;
        std::string osVersion;
        std::string model;
        // Nothing before the first answer about the permission.
        std::optional<bool> accessibilityGranted;
        // The control item's one-line state text.
        std::string stateText;
        SectionCounts sectionCounts;
        Section newItemSection = Section::hidden;
        int profileCount = 0;
        int ruleCount = 0;
        Switches switches;
        int screenCount = 0;
        bool hasNotchScreen = false;
        friend bool operator==(const Environment&, const Environment&) = default;
    };

    // The applications of `items` by the section `profile` gives them (its
    // new-item section for one it does not know), each counted once; Apple's
    // applications and the program's own items are left out.
    static SectionCounts sectionCounts(const std::vector<ItemSnapshot>& items, const Profile& profile,
                                       const std::optional<std::string>& selfBundleID);

    // "表示", "隠す" or "いつも隠す", translated.
    static std::string sectionName(Section section);

    // "<product> <version> のご意見・不具合".
    static std::string subject(const Environment& environment);
    // The mail's lines, joined by "\n", with no line break at the end: a
    // prompt, three questions, then the set-up (no build line without a build).
    static std::string body(const Environment& environment);
    // "mailto:<recipient>?subject=…&body=…" with everything but the unreserved
    // characters (and the recipient's "@") percent-encoded, so the "?" and the
    // "&" are the only separators. Nothing when a part is not valid UTF-8.
    static std::optional<std::string> mailtoURL(const Environment& environment);
    // The recipient line, the subject line, an empty line, then the body.
    static std::string clipboardText(const Environment& environment);

    // `text` with every byte other than A–Z, a–z, 0–9, "-", ".", "_", "~" and
    // those of `keep` as "%XX" (upper-case hex); nothing when `text` is not
    // valid UTF-8.
    static std::optional<std::string> percentEncoded(std::string_view text, std::string_view keep = {});
};

} // namespace pellacor::core
