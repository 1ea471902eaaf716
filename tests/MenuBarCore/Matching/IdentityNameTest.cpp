#include "MenuBarCore/Matching/IdentityName.h"

#include "MenuBarCore/Model/ItemSnapshot.h"
#include "MenuBarCore/Support/JsonCoding.h"
#include "Support/ModelPrinters.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;

namespace {

ItemSnapshot snapshot(std::string owner, int index, std::optional<std::string> identifier,
                      std::optional<std::string> description, std::optional<std::string> title) {
    return ItemSnapshot(std::move(owner), 42, std::move(identifier), std::move(description), std::move(title),
                        index, std::nullopt);
}

} // namespace

TEST(IdentityNameTest, UsableIdentifierKeepsOnlyDeveloperChosenNames) {
    struct Case {
        const char* label;
        std::optional<std::string> raw;
        bool usable;
    };
    const std::vector<Case> cases{
        {"absent", std::nullopt, false},
        {"empty", "", false},
        {"generated", "_NS:73", false},
        {"generated prefix only", "_NS:", false},
        {"generated, otherwise valid", "_NS:battery.item", false},
        {"NS prefix without colon", "_NS73", true},
        {"64 characters", std::string(64, 'a'), true},
        {"65 characters", std::string(65, 'a'), false},
        {"with a space", "battery item", false},
        {"with a tab", "battery\titem", false},
        {"reverse domain", "com.example.Battery-Item_2", true},
        {"single character", "x", true},
        {"non-ASCII letter", "com.example.café", false},
        {"full-width letter", "ａｂｃ", false},
        {"slash", "com/example", false},
        {"colon", "menu:extra", false},
        {"embedded NUL", std::string("ab\0cd", 5), false},
    };
    for (const auto& c : cases) {
        auto result = IdentityName::usableIdentifier(c.raw);
        if (c.usable) {
            EXPECT_EQ(result, c.raw) << c.label;
        } else {
            EXPECT_EQ(result, std::nullopt) << c.label;
        }
    }
}

// Expected values are 64-bit FNV-1a of the UTF-8 bytes left after removing the
// decimal digits and trimming, worked out independently of this code.
TEST(IdentityNameTest, FingerprintHashesTheDigitFreeTrimmedText) {
    struct Case {
        const char* label;
        std::optional<std::string> text;
        std::optional<std::string> fingerprint;
    };
    const std::vector<Case> cases{
        // The hash itself, on texts without digits or edge spaces.
        {"FNV-1a of \"a\"", "a", "AF63DC4C8601EC8C"},
        {"FNV-1a of \"foobar\"", "foobar", "85944171F73967E8"},
        {"short hash padded with zeros", "oqaa", "000AB9B467538B8F"},
        // Digits go, the spaces around them stay.
        {"battery 85", "Battery 85 %", "FD490A4B5AC92241"},
        {"battery 42", "Battery 42 %", "FD490A4B5AC92241"},
        {"battery without digits keeps two spaces", "Battery  %", "FD490A4B5AC92241"},
        {"one inner space is another text", "Battery %", "B1B382D40909529D"},
        {"digits at the ends, then trimmed", " \t 12:34 \n", "AF63B74C8601ADAD"},
        {"digits in several places", "bat 12 34 x", "D1EA6181185CCD60"},
        // Every script's decimal digits go, full-width ones included.
        {"full-width digits", "電池 ８５％", "C60CA63E71A00AF3"},
        {"full-width text without digits", "電池 ％", "C60CA63E71A00AF3"},
        {"Arabic-Indic digits", "٤٢ items", "3E7884BF4F412C6F"},
        {"Devanagari digits", "items ४५", "3E7884BF4F412C6F"},
        // Numbers that are not decimal digits stay.
        {"superscript two", "Level ²", "A842D064F5679497"},
        {"circled numbers", "①②", "5A72C1CE9C466118"},
        {"Roman numeral", "Ⅻ時", "B18897C57D6357D2"},
        {"kanji numeral", "三時", "98EF0A871F2563B1"},
        // The whole white-space set is trimmed, and nothing else.
        {"no-break and ideographic spaces trimmed", "\u00a0Wi-Fi\u3000", "CDEC9EF5C73B26A1"},
        {"zero-width space is not white space", "\u200bWi-Fi", "41FA8656A6C311F6"},
        // Nothing left: no fingerprint.
        {"absent", std::nullopt, std::nullopt},
        {"empty", "", std::nullopt},
        {"white space only", " \n\t", std::nullopt},
        {"digits only", "1234", std::nullopt},
        {"digits and white space", " 12 34 ", std::nullopt},
        {"full-width digits and ideographic space", "\u3000８５\u3000", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IdentityName::fingerprint(c.text), c.fingerprint) << c.label;
    }
}

TEST(IdentityNameTest, NameOfAnItemTakesTheFirstClueThatApplies) {
    // Removing the number leaves two spaces side by side.
    const auto battery = *IdentityName::fingerprint("Battery  %");
    const auto clock = *IdentityName::fingerprint("Clock");
    struct Case {
        const char* label;
        ItemSnapshot item;
        IdentityName::Kind kind;
    };
    const std::vector<Case> cases{
        {"identifier first", snapshot("com.example.a", 3, "battery", "Battery 5 %", "Clock"),
         IdentityName::Identifier{"battery"}},
        {"generated identifier is screened out",
         snapshot("com.example.a", 3, "_NS:12", "Battery 7 %", "Clock"), IdentityName::Description{battery}},
        {"description before title", snapshot("com.example.a", 3, std::nullopt, "Battery 99 %", "Clock"),
         IdentityName::Description{battery}},
        {"digits-only description falls to the title",
         snapshot("com.example.a", 3, std::nullopt, "85", "Clock"), IdentityName::Title{clock}},
        {"empty description falls to the title", snapshot("com.example.a", 3, std::nullopt, "", "Clock 12"),
         IdentityName::Title{clock}},
        {"digit-only description, title keeps its colon",
         snapshot("com.example.a", 3, std::nullopt, " 1 ", "12:00 "),
         IdentityName::Title{*IdentityName::fingerprint(":")}},
        {"nothing at all: index", snapshot("com.example.a", 3, std::nullopt, std::nullopt, std::nullopt),
         IdentityName::Index{3}},
        {"only digits everywhere: index", snapshot("com.example.a", 0, std::nullopt, "42", " 7 "),
         IdentityName::Index{0}},
    };
    for (const auto& c : cases) {
        IdentityName name(c.item);
        EXPECT_EQ(name, IdentityName(AppKey("com.example.a"), c.kind)) << c.label;
    }
}

TEST(IdentityNameTest, EqualityAndHashTakeOwnerCaseAndPayload) {
    const AppKey a("com.example.a");
    const AppKey b("com.example.b");
    const std::string print = "0123456789ABCDEF";
    const std::vector<IdentityName> distinct{
        IdentityName(a, IdentityName::Identifier{"x"}),   IdentityName(b, IdentityName::Identifier{"x"}),
        IdentityName(a, IdentityName::Identifier{"y"}),   IdentityName(a, IdentityName::Description{print}),
        IdentityName(a, IdentityName::Title{print}),      IdentityName(a, IdentityName::Index{0}),
        IdentityName(a, IdentityName::Index{1}),          IdentityName(b, IdentityName::Index{1}),
        IdentityName(a, IdentityName::Identifier{print}),
    };
    std::unordered_set<IdentityName> set(distinct.begin(), distinct.end());
    EXPECT_EQ(set.size(), distinct.size());
    for (std::size_t i = 0; i < distinct.size(); ++i) {
        for (std::size_t j = 0; j < distinct.size(); ++j) {
            EXPECT_EQ(distinct[i] == distinct[j], i == j) << i << " vs " << j;
        }
        IdentityName copy = distinct[i];
        EXPECT_TRUE(set.contains(copy));
        EXPECT_EQ(std::hash<IdentityName>()(copy), std::hash<IdentityName>()(distinct[i]));
    }
}

TEST(IdentityNameTest, DescriptionNamesOwnerAndClue) {
    const AppKey app("com.example.a");
    EXPECT_EQ(IdentityName(app, IdentityName::Identifier{"battery"}).description(),
              "com.example.a|識別子:battery");
    EXPECT_EQ(IdentityName(app, IdentityName::Description{"00000000000000FF"}).description(),
              "com.example.a|説明:#00000000000000FF");
    EXPECT_EQ(IdentityName(app, IdentityName::Title{"ABCDEF0123456789"}).description(),
              "com.example.a|題:#ABCDEF0123456789");
    EXPECT_EQ(IdentityName(app, IdentityName::Index{12}).description(), "com.example.a|番:12");
}

TEST(IdentityNameTest, CodedFormHasOneMemberPerCase) {
    const AppKey app("com.example.a");
    struct Case {
        IdentityName name;
        const char* json;
    };
    const std::vector<Case> cases{
        {IdentityName(app, IdentityName::Identifier{"battery"}),
         R"({"kind":{"identifier":{"_0":"battery"}},"owner":"com.example.a"})"},
        {IdentityName(app, IdentityName::Description{"00000000000000FF"}),
         R"({"kind":{"description":{"fingerprint":"00000000000000FF"}},"owner":"com.example.a"})"},
        {IdentityName(app, IdentityName::Title{"ABCDEF0123456789"}),
         R"({"kind":{"title":{"fingerprint":"ABCDEF0123456789"}},"owner":"com.example.a"})"},
        {IdentityName(app, IdentityName::Index{-3}),
         R"({"kind":{"index":{"_0":-3}},"owner":"com.example.a"})"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(encodeJson(c.name).dump(), c.json);
        auto decoded = decodeJsonText<IdentityName>(c.json);
        ASSERT_TRUE(decoded) << decoded.error().description();
        EXPECT_EQ(*decoded, c.name);
    }
}

TEST(IdentityNameTest, DecodingRejectsMalformedKinds) {
    const DecodeError wrongCount{DecodeError::Kind::typeMismatch, "kind",
                                 "Invalid number of keys found, expected one."};
    struct Case {
        const char* label;
        const char* json;
        DecodeError::Kind kind;
        const char* codingPath;
    };
    const std::vector<Case> cases{
        {"no case", R"({"owner":"a","kind":{}})", DecodeError::Kind::typeMismatch, "kind"},
        {"two cases", R"({"owner":"a","kind":{"index":{"_0":1},"title":{"fingerprint":"x"}}})",
         DecodeError::Kind::typeMismatch, "kind"},
        {"unknown case only", R"({"owner":"a","kind":{"name":{"_0":"x"}}})", DecodeError::Kind::typeMismatch,
         "kind"},
        {"kind not an object", R"({"owner":"a","kind":"index"})", DecodeError::Kind::typeMismatch, "kind"},
        {"payload not an object", R"({"owner":"a","kind":{"index":1}})", DecodeError::Kind::typeMismatch,
         "kind.index"},
        {"payload under the wrong key", R"({"owner":"a","kind":{"title":{"_0":"x"}}})",
         DecodeError::Kind::keyNotFound, "kind.title.fingerprint"},
        {"index with a fraction", R"({"owner":"a","kind":{"index":{"_0":1.5}}})",
         DecodeError::Kind::dataCorrupted, "kind.index._0"},
        {"index beyond Int32", R"({"owner":"a","kind":{"index":{"_0":4294967296}}})",
         DecodeError::Kind::dataCorrupted, "kind.index._0"},
        {"identifier not a string", R"({"owner":"a","kind":{"identifier":{"_0":5}}})",
         DecodeError::Kind::typeMismatch, "kind.identifier._0"},
        {"no owner", R"({"kind":{"index":{"_0":1}}})", DecodeError::Kind::keyNotFound, "owner"},
        {"no kind", R"({"owner":"a"})", DecodeError::Kind::keyNotFound, "kind"},
    };
    for (const auto& c : cases) {
        auto decoded = decodeJsonText<IdentityName>(c.json);
        ASSERT_FALSE(decoded) << c.label;
        EXPECT_EQ(decoded.error().kind, c.kind) << c.label << ": " << decoded.error().description();
        EXPECT_EQ(decoded.error().codingPath, c.codingPath) << c.label;
    }
    EXPECT_EQ(decodeJsonText<IdentityName>(cases[0].json).error(), wrongCount);
    EXPECT_EQ(decodeJsonText<IdentityName>(cases[2].json).error(), wrongCount);

    // A member that names no case is not counted.
    auto extra = decodeJsonText<IdentityName>(R"({"owner":"a","kind":{"index":{"_0":2},"note":true}})");
    ASSERT_TRUE(extra) << extra.error().description();
    EXPECT_EQ(*extra, IdentityName(AppKey("a"), IdentityName::Index{2}));
}

} // namespace PELLACOR_TEST_FILE
