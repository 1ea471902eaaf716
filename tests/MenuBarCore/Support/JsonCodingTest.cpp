#include "MenuBarCore/Support/JsonCoding.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;

TEST(JsonCodingTest, WholeNumbersAreStrict) {
    using K = DecodeError::Kind;
    struct Case {
        const char* json;
        std::optional<std::int64_t> value;
        K kind;
    };
    const std::vector<Case> cases{
        {"1", 1, K::dataCorrupted},
        {"-7", -7, K::dataCorrupted},
        {"2.0", 2, K::dataCorrupted},
        {"9223372036854775807", INT64_MAX, K::dataCorrupted},
        {"9223372036854775808", std::nullopt, K::dataCorrupted},
        {"1.5", std::nullopt, K::dataCorrupted},
        {"1e300", std::nullopt, K::dataCorrupted},
        {"\"1\"", std::nullopt, K::typeMismatch},
        {"true", std::nullopt, K::typeMismatch},
        {"null", std::nullopt, K::valueNotFound},
    };
    for (const auto& c : cases) {
        auto result = decodeJsonText<std::int64_t>(c.json);
        if (c.value) {
            ASSERT_TRUE(result) << c.json;
            EXPECT_EQ(*result, *c.value) << c.json;
        } else {
            ASSERT_FALSE(result) << c.json;
            EXPECT_EQ(result.error().kind, c.kind) << c.json;
        }
    }
}

TEST(JsonCodingTest, BooleansAreNotNumbers) {
    EXPECT_EQ(decodeJsonText<bool>("false").value(), false);
    EXPECT_EQ(decodeJsonText<bool>("1").error().kind, DecodeError::Kind::typeMismatch);
    EXPECT_EQ(decodeJsonText<bool>("\"true\"").error().kind, DecodeError::Kind::typeMismatch);
}

TEST(JsonCodingTest, OptionalMembersReadMissingAndNullAsAbsent) {
    auto object = *parseJson(R"({"present": "x", "null": null, "wrong": 3})");
    EXPECT_EQ(decodeOptionalMember<std::string>(object, "present", {}).value(),
              std::optional<std::string>("x"));
    EXPECT_EQ(decodeOptionalMember<std::string>(object, "null", {}).value(), std::nullopt);
    EXPECT_EQ(decodeOptionalMember<std::string>(object, "missing", {}).value(), std::nullopt);
    auto wrong = decodeOptionalMember<std::string>(object, "wrong", {});
    ASSERT_FALSE(wrong);
    EXPECT_EQ(wrong.error().kind, DecodeError::Kind::typeMismatch);
    EXPECT_EQ(wrong.error().codingPath, "wrong");
}

TEST(JsonCodingTest, MalformedTextIsAnErrorNotAnException) {
    for (const char* text : {"", "{", "[1,]", "{\"a\" 1}", "nul", "\"\xff\"", "{} {}"}) {
        auto result = parseJson(text);
        ASSERT_FALSE(result) << text;
        EXPECT_EQ(result.error().kind, DecodeError::Kind::dataCorrupted);
    }
}

TEST(JsonCodingTest, CodingPathsReadLikeTheDocument) {
    CodingPath root;
    EXPECT_EQ(root.text(), "");
    EXPECT_EQ(root.member("profiles").element(2).member("sections").member("com.example.app").text(),
              "profiles[2].sections[\"com.example.app\"]");
    EXPECT_EQ(root.element(0).member("id").text(), "[0].id");
    EXPECT_EQ(root.member("").text(), "[\"\"]");
}

} // namespace PELLACOR_TEST_FILE
