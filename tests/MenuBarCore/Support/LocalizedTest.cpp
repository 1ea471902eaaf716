#include "MenuBarCore/Support/Localized.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;

namespace {

// Every test leaves the program's own state behind: no translations.
class LocalizedLookupTest : public ::testing::Test {
protected:
    void TearDown() override { installTranslations({}); }
};

const Translations english = {
    {"表示", "Shown"},
    {"置き場所：%@", "Place: %@"},
    {"macOS のアイコン（%lld 本のアプリ）", "macOS icons (%lld apps)"},
    {"%@ を %lld 回", "%2$lld times: %1$@"},
    {"%@ と %@", "%@ and %@"},
};

} // namespace

TEST_F(LocalizedLookupTest, TheKeyIsShownWithoutATranslationAndTheTranslationWithOne) {
    struct Case {
        const char* name;
        Translations table;
        std::string key;
        std::string expected;
    };
    const Case cases[] = {
        {"no translations at all", {}, "表示", "表示"},
        {"a translation of this key", english, "表示", "Shown"},
        {"translations, but none of this key", english, "隠す", "隠す"},
        {"the empty key", english, "", ""},
        {"a key that looks like a mark", english, "%@", "%@"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        installTranslations(c.table);
        EXPECT_EQ(localized(c.key), c.expected);
        EXPECT_EQ(localized(c.key, {}), c.expected) << "no arguments leave the text as it is";
    }
}

TEST_F(LocalizedLookupTest, MarksAreFilledInOrderWithTextsAsTheyAreAndIntegersInDecimal) {
    struct Case {
        const char* name;
        Translations table;
        std::function<std::string()> lookup;
        std::string expected;
    };
    const std::string title = "いつも隠す";
    const std::size_t apps = 12345;
    const Case cases[] = {
        {"one text", {}, [&] { return localized("置き場所：%@", {title}); }, "置き場所：いつも隠す"},
        {"one integer",
         {},
         [&] { return localized("macOS のアイコン（%lld 本のアプリ）", {3}); },
         "macOS のアイコン（3 本のアプリ）"},
        {"an unsigned count, with no grouping", {}, [&] { return localized("%lld 個", {apps}); }, "12345 個"},
        {"negative and extreme integers",
         {},
         [] {
             return localized("%lld / %lld / %lld", {-7, INT64_MIN, UINT64_MAX});
         },
         "-7 / -9223372036854775808 / 18446744073709551615"},
        {"texts and integers mixed, in order",
         {},
         [] {
             return localized("%@ を %lld 回、%@", {"表示", 2, std::string_view("終わり")});
         },
         "表示 を 2 回、終わり"},
        {"the translation's marks are filled", english, [&] { return localized("置き場所：%@", {title}); },
         "Place: いつも隠す"},
        {"a translation's marks take the arguments in order", english,
         [] {
             return localized("%@ と %@", {"一", "二"});
         },
         "一 and 二"},
        {"a translation's numbered marks take the numbered arguments", english,
         [] {
             return localized("%@ を %lld 回", {"押す", 3});
         },
         "3 times: 押す"},
        {"a numbered mark past the arguments stays",
         {},
         [] { return localized("%3$@ %1$@ %0$@ %1$x", {"一"}); },
         "%3$@ 一 %0$@ %1$x"},
        {"a mark with no argument left stays",
         {},
         [] { return localized("%@ と %@ と %lld", {"一"}); },
         "一 と %@ と %lld"},
        {"arguments beyond the marks are ignored",
         {},
         [] {
             return localized("%@", {"一", "二", 3});
         },
         "一"},
        {"an inserted text is never read for marks",
         {},
         [] {
             return localized("%@|%@", {"%@%lld", "二"});
         },
         "%@%lld|二"},
        {"any other percent is copied",
         {},
         [] { return localized("100% で %d、%l、%@ %", {"済み"}); },
         "100% で %d、%l、済み %"},
        {"marks side by side",
         {},
         [] {
             return localized("%@%lld%@", {"a", 1, "b"});
         },
         "a1b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        installTranslations(c.table);
        EXPECT_EQ(c.lookup(), c.expected);
    }
}

} // namespace PELLACOR_TEST_FILE
