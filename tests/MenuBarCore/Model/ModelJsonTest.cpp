#include "MenuBarCore/Model/AppKey.h"
#include "MenuBarCore/Model/AppRule.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Model/Section.h"
#include "MenuBarCore/Support/JsonCoding.h"
#include "Support/ModelPrinters.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;

namespace {

const Uuid profileID = *Uuid::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
const Uuid ruleID = *Uuid::parse("0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0");

// Encodes, writes as text, reads the text back and decodes.
template <typename T> DecodeResult<T> throughText(const T& value) {
    return decodeJsonText<T>(encodeJson(value).dump(2));
}

struct FailureCase {
    std::string name;
    std::string json;
    DecodeError::Kind kind;
    std::string codingPath;
};

constexpr const char* validProfile = R"({
  "id": "e621e1f8-c36c-495a-93fc-0c247a3e6e5f",
  "name": "仕事",
  "sections": {"com.example.mail": "shown", "": "alwaysHidden"},
  "order": ["com.example.mail", ""],
  "newItemSection": "hidden"
})";

// The valid profile above with one member replaced (or removed when `value` is empty).
std::string profileWith(const std::string& member, const std::string& value) {
    auto json = *parseJson(validProfile);
    if (value.empty()) {
        json.erase(member);
    } else {
        json[member] = Json::parse(value);
    }
    return json.dump();
}

constexpr const char* validRule =
    R"({"id": "0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0", "appBundleID": "com.example.zoom",
        "condition": "frontmost", "profileID": "E621E1F8-C36C-495A-93FC-0C247A3E6E5F"})";

std::string ruleWith(const std::string& member, const std::string& value) {
    auto json = *parseJson(validRule);
    if (value.empty()) {
        json.erase(member);
    } else {
        json[member] = Json::parse(value);
    }
    return json.dump();
}

} // namespace

TEST(ModelJsonTest, ProfilesSurviveARoundTripThroughText) {
    std::vector<Profile> profiles{
        Profile(profileID, "ふだん", {}, {}, Section::hidden),
        Profile(Uuid::random(), "Ｗｏｒｋ \"quoted\"\n",
                {{AppKey("com.example.a"), Section::shown},
                 {AppKey("com.example.b"), Section::hidden},
                 {AppKey("com.apple.clock"), Section::alwaysHidden},
                 {AppKey(""), Section::shown}},
                {AppKey("com.example.b"), AppKey("com.example.a"), AppKey("com.example.b"),
                 AppKey("not.in.sections")},
                Section::alwaysHidden),
    };
    for (const auto& profile : profiles) {
        auto decoded = throughText(profile);
        ASSERT_TRUE(decoded) << decoded.error().description();
        EXPECT_EQ(*decoded, profile);
    }
}

TEST(ModelJsonTest, ProfileIsWrittenWithTheFiveMembersAndUpperCaseUuid) {
    Profile profile(profileID, "仕事", {{AppKey("com.example.mail"), Section::shown}},
                    {AppKey("com.example.mail")}, Section::hidden);
    EXPECT_EQ(encodeJson(profile), Json::parse(R"({
        "id": "E621E1F8-C36C-495A-93FC-0C247A3E6E5F",
        "name": "仕事",
        "sections": {"com.example.mail": "shown"},
        "order": ["com.example.mail"],
        "newItemSection": "hidden"
    })"));
}

TEST(ModelJsonTest, ProfileReadsAnyCaseUuidEmptyMemberNamesAndIgnoresUnknownMembers) {
    auto json = *parseJson(validProfile);
    json["comment"] = {1, 2, 3};
    auto profile = decodeJson<Profile>(json);
    ASSERT_TRUE(profile) << profile.error().description();
    EXPECT_EQ(profile->id(), profileID);
    EXPECT_EQ(profile->name, "仕事");
    EXPECT_EQ(profile->section(AppKey("")), Section::alwaysHidden);
    EXPECT_EQ(profile->sections.size(), 2u);
    EXPECT_EQ(profile->order, (std::vector<AppKey>{AppKey("com.example.mail"), AppKey("")}));
    EXPECT_EQ(profile->newItemSection, Section::hidden);

    auto empty = decodeJsonText<Profile>(profileWith("sections", "{}"));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->sections.empty());
    EXPECT_TRUE(decodeJsonText<Profile>(profileWith("order", "[]")));
}

TEST(ModelJsonTest, ProfileDecodingIsStrict) {
    using K = DecodeError::Kind;
    const std::vector<FailureCase> cases{
        {"not an object", "[]", K::typeMismatch, ""},
        {"null document", "null", K::valueNotFound, ""},
        {"missing id", profileWith("id", ""), K::keyNotFound, "id"},
        {"missing name", profileWith("name", ""), K::keyNotFound, "name"},
        {"missing sections", profileWith("sections", ""), K::keyNotFound, "sections"},
        {"missing order", profileWith("order", ""), K::keyNotFound, "order"},
        {"missing newItemSection", profileWith("newItemSection", ""), K::keyNotFound, "newItemSection"},
        {"null name", profileWith("name", "null"), K::valueNotFound, "name"},
        {"id not a string", profileWith("id", "42"), K::typeMismatch, "id"},
        {"id not a UUID", profileWith("id", R"("E621E1F8-C36C-495A-93FC")"), K::dataCorrupted, "id"},
        {"id with braces", profileWith("id", R"("{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}")"), K::dataCorrupted,
         "id"},
        {"name not a string", profileWith("name", "[\"a\"]"), K::typeMismatch, "name"},
        {"sections an array", profileWith("sections", R"(["shown"])"), K::typeMismatch, "sections"},
        {"section capitalised", profileWith("sections", R"({"com.example.mail": "Hidden"})"),
         K::dataCorrupted, "sections[\"com.example.mail\"]"},
        {"section not a string", profileWith("sections", R"({"x": 1})"), K::typeMismatch, "sections.x"},
        {"section null", profileWith("sections", R"({"x": null})"), K::valueNotFound, "sections.x"},
        {"order an object", profileWith("order", "{}"), K::typeMismatch, "order"},
        {"order element a number", profileWith("order", R"(["a", 2])"), K::typeMismatch, "order[1]"},
        {"newItemSection capitalised", profileWith("newItemSection", R"("Hidden")"), K::dataCorrupted,
         "newItemSection"},
        {"newItemSection unknown", profileWith("newItemSection", R"("visible")"), K::dataCorrupted,
         "newItemSection"},
        {"newItemSection a number", profileWith("newItemSection", "0"), K::typeMismatch, "newItemSection"},
        {"not JSON", "{\"id\": ", K::dataCorrupted, ""},
    };
    for (const auto& c : cases) {
        auto result = decodeJsonText<Profile>(c.json);
        ASSERT_FALSE(result) << c.name;
        EXPECT_EQ(result.error().kind, c.kind) << c.name << ": " << result.error().description();
        EXPECT_EQ(result.error().codingPath, c.codingPath) << c.name;
    }
}

TEST(ModelJsonTest, ErrorsNameTheirPlaceInsideLists) {
    auto json = Json::array({*parseJson(validProfile), *parseJson(profileWith("order", "[true]"))});
    auto result = decodeJson<std::vector<Profile>>(json, CodingPath().member("profiles"));
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().codingPath, "profiles[1].order[0]");
    EXPECT_EQ(result.error().description(),
              "typeMismatch at profiles[1].order[0]: expected a string, found a Boolean");
}

TEST(ModelJsonTest, RulesSurviveARoundTripThroughText) {
    for (auto condition : {AppRule::Condition::running, AppRule::Condition::frontmost}) {
        AppRule rule(Uuid::random(), "com.example.zoom", condition, profileID);
        auto decoded = throughText(rule);
        ASSERT_TRUE(decoded) << decoded.error().description();
        EXPECT_EQ(*decoded, rule);
    }
    EXPECT_EQ(encodeJson(AppRule(ruleID, "", AppRule::Condition::running, profileID)), Json::parse(R"({
        "id": "0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0", "appBundleID": "",
        "condition": "running", "profileID": "E621E1F8-C36C-495A-93FC-0C247A3E6E5F"})"));
}

TEST(ModelJsonTest, RuleReadsAnyCaseUuidAndIgnoresUnknownMembers) {
    auto json = *parseJson(validRule);
    json["priority"] = 3;
    auto rule = decodeJson<AppRule>(json);
    ASSERT_TRUE(rule) << rule.error().description();
    EXPECT_EQ(*rule, AppRule(ruleID, "com.example.zoom", AppRule::Condition::frontmost, profileID));
}

TEST(ModelJsonTest, RuleDecodingIsStrict) {
    using K = DecodeError::Kind;
    const std::vector<FailureCase> cases{
        {"not an object", R"("rule")", K::typeMismatch, ""},
        {"missing id", ruleWith("id", ""), K::keyNotFound, "id"},
        {"missing appBundleID", ruleWith("appBundleID", ""), K::keyNotFound, "appBundleID"},
        {"missing condition", ruleWith("condition", ""), K::keyNotFound, "condition"},
        {"missing profileID", ruleWith("profileID", ""), K::keyNotFound, "profileID"},
        {"appBundleID not a string", ruleWith("appBundleID", "{}"), K::typeMismatch, "appBundleID"},
        {"appBundleID null", ruleWith("appBundleID", "null"), K::valueNotFound, "appBundleID"},
        {"condition capitalised", ruleWith("condition", R"("Running")"), K::dataCorrupted, "condition"},
        {"condition unknown", ruleWith("condition", R"("launched")"), K::dataCorrupted, "condition"},
        {"condition a Boolean", ruleWith("condition", "true"), K::typeMismatch, "condition"},
        {"id not a UUID", ruleWith("id", R"("rule-1")"), K::dataCorrupted, "id"},
        {"profileID not a UUID", ruleWith("profileID", R"("")"), K::dataCorrupted, "profileID"},
        {"profileID a number", ruleWith("profileID", "7"), K::typeMismatch, "profileID"},
    };
    for (const auto& c : cases) {
        auto result = decodeJsonText<AppRule>(c.json);
        ASSERT_FALSE(result) << c.name;
        EXPECT_EQ(result.error().kind, c.kind) << c.name << ": " << result.error().description();
        EXPECT_EQ(result.error().codingPath, c.codingPath) << c.name;
    }
}

TEST(ModelJsonTest, RawValuesAreExactAndCaseSensitive) {
    for (auto section : allSections) {
        EXPECT_EQ(sectionFromRawValue(rawValue(section)), section);
        EXPECT_EQ(decodeJson<Section>(encodeJson(section)).value(), section);
    }
    EXPECT_EQ(rawValue(Section::alwaysHidden), "alwaysHidden");
    for (const char* bad : {"Shown", "always_hidden", "alwayshidden", "", " hidden"}) {
        EXPECT_FALSE(sectionFromRawValue(bad)) << bad;
    }
    EXPECT_EQ(AppRule::conditionFromRawValue("running"), AppRule::Condition::running);
    EXPECT_EQ(AppRule::conditionFromRawValue("frontmost"), AppRule::Condition::frontmost);
    EXPECT_FALSE(AppRule::conditionFromRawValue("Frontmost"));
    EXPECT_EQ(toString(AppRule::Condition::frontmost), "frontmost");
}

} // namespace PELLACOR_TEST_FILE
