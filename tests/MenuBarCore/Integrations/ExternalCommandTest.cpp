#include "MenuBarCore/Integrations/ExternalCommand.h"

#include "MenuBarCore/Storage/StoredState.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;
using Rejection = ExternalCommand::Rejection;
using Parsed = ExternalCommand::Parsed;

namespace {

std::string describe(const Parsed& parsed) {
    if (const auto* command = parsed.command()) {
        std::string text(command->kind());
        if (command->type() == ExternalCommand::Case::switchProfile) {
            text += " [" + command->name() + "]";
        }
        return text;
    }
    return "rejected: " + std::string(ExternalCommand::rawValue(*parsed.rejection()));
}

// A URL of exactly `bytes` UTF-8 bytes that is otherwise a plain reveal.
std::string revealOfLength(std::size_t bytes) {
    std::string url = "pellacor://reveal?pad=";
    url += std::string(bytes - url.size(), 'x');
    return url;
}

struct Case {
    std::string url;
    Parsed expected;
};

TEST(ExternalCommandTest, ParsesEveryFormAndRefusesEveryFaultInItsOrder) {
    const auto revealed = ExternalCommand::reveal(false);
    const auto revealedAll = ExternalCommand::reveal(true);
    const std::vector<Case> cases = {
        // The scheme comes first, even before the length.
        {"other://reveal", Rejection::wrongScheme},
        {"other://reveal?pad=" + std::string(3000, 'x'), Rejection::wrongScheme},
        {"//reveal", Rejection::wrongScheme},
        {"reveal", Rejection::wrongScheme},
        {"", Rejection::wrongScheme},
        {" pellacor://reveal", Rejection::wrongScheme},
        {"pellacorx://reveal", Rejection::wrongScheme},
        {"PELLACOR://reveal", revealed},
        {"PeLLaCoR:collapse", ExternalCommand::collapse()},
        // The length counts bytes of the text, escapes included (for text
        // outside ASCII, those it stands for: see below).
        {revealOfLength(2048), revealed},
        {revealOfLength(2049), Rejection::tooLong},
        {"pellacor://profile?name=" + std::string(2048 - 24 - 9, 'a') + "%E4%BB%95", Rejection::badName},
        {"pellacor://profile?name=" + std::string(2048 - 24 - 8, 'a') + "%E4%BB%95", Rejection::tooLong},
        {"pellacor://reveal?pad=" + std::string(2048 - 22 - 3, 'x') + "%41", revealed},
        {"pellacor://reveal?pad=" + std::string(2048 - 22 - 2, 'x') + "%41", Rejection::tooLong},
        // Not RFC 3986 syntax, or not UTF-8 once decoded.
        {"pellacor://re veal", Rejection::unknownCommand},
        {"pellacor://reveal?all=1 ", Rejection::unknownCommand},
        {"pellacor://profile?name=Work Mail", Rejection::unknownCommand},
        {"pellacor://reveal\t", Rejection::unknownCommand},
        {std::string("pellacor://reveal\0", 18), Rejection::unknownCommand},
        {"pellacor://reveal\x7f", Rejection::unknownCommand},
        {"pellacor://reveal%", Rejection::unknownCommand},
        {"pellacor://reveal%4", Rejection::unknownCommand},
        {"pellacor://reveal%zz", Rejection::unknownCommand},
        {"pellacor://reveal?all=%G1", Rejection::unknownCommand},
        {"pellacor:reveal%2", Rejection::unknownCommand},
        {"pellacor://reveal#%", Rejection::unknownCommand},
        {"pellacor://%FF", Rejection::unknownCommand},
        {"pellacor:/reveal%C3", Rejection::unknownCommand},
        {"pellacor://reveal?all=%ED%A0%80", Rejection::unknownCommand},
        {"pellacor://reveal?%C0%AF=1", Rejection::unknownCommand},
        {"pellacor://reveal<", Rejection::unknownCommand},
        {"pellacor://reveal?all=\"1\"", Rejection::unknownCommand},
        {"pellacor://[::1/reveal", Rejection::unknownCommand},
        {"pellacor://reveal:80x", Rejection::unknownCommand},
        {"pellacor://a@b@reveal", Rejection::unknownCommand},
        // Host and path forms of each command word.
        {"pellacor://reveal", revealed},
        {"pellacor:reveal", revealed},
        {"pellacor:///reveal", revealed},
        {"pellacor://reveal/", revealed},
        {"pellacor:/reveal//", revealed},
        {"pellacor://%72eveal", revealed},
        {"pellacor:%72eveal", revealed},
        {"pellacor://user:pw@reveal:8080", revealed},
        {"pellacor://reveal#anchor", revealed},
        {"pellacor://Reveal", revealed},
        {"pellacor:REVEAL", revealed},
        {"pellacor://collapse", ExternalCommand::collapse()},
        {"pellacor:collapse", ExternalCommand::collapse()},
        {"pellacor:///collapse/", ExternalCommand::collapse()},
        {"pellacor://pause", ExternalCommand::pause()},
        {"pellacor:/pause", ExternalCommand::pause()},
        {"pellacor://resume", ExternalCommand::resume()},
        {"pellacor:resume", ExternalCommand::resume()},
        {"pellacor://profile?name=Work", ExternalCommand::switchProfile("Work")},
        {"pellacor:profile?name=Work", ExternalCommand::switchProfile("Work")},
        {"pellacor:///profile?name=Work", ExternalCommand::switchProfile("Work")},
        // The word is the host or the path, never both; an exact word.
        {"pellacor://reveal/all", Rejection::unknownCommand},
        {"pellacor://pause/now", Rejection::unknownCommand},
        {"pellacor:pause/now", Rejection::unknownCommand},
        {"pellacor://", Rejection::unknownCommand},
        {"pellacor:", Rejection::unknownCommand},
        {"pellacor:///", Rejection::unknownCommand},
        {"pellacor://show", Rejection::unknownCommand},
        {"pellacor://reveals", Rejection::unknownCommand},
        {"pellacor://%20reveal", Rejection::unknownCommand},
        {"pellacor://[::1]", Rejection::unknownCommand},
        // reveal reads "all" and nothing else.
        {"pellacor://reveal?all=1", revealedAll},
        {"pellacor://reveal?all=true", revealedAll},
        {"pellacor://reveal?all=YES", revealedAll},
        {"pellacor://reveal?ALL=1", revealedAll},
        {"pellacor://reveal?all=%31", revealedAll},
        {"pellacor://reveal?all=No", revealed},
        {"pellacor://reveal?all=0", revealed},
        {"pellacor://reveal?all=FALSE", revealed},
        {"pellacor://reveal?", revealed},
        {"pellacor://reveal?&&", revealed},
        {"pellacor://reveal?all=", Rejection::badValue},
        {"pellacor://reveal?all", Rejection::badValue},
        {"pellacor://reveal?all=2", Rejection::badValue},
        {"pellacor://reveal?all=+1", Rejection::badValue},
        {"pellacor://reveal?all=%201", Rejection::badValue},
        {"pellacor://reveal?all=yes=1", Rejection::badValue},
        {"pellacor://reveal?all=1&ALL=0", Rejection::duplicatedParameter},
        {"pellacor://reveal?all=1&all=1", Rejection::duplicatedParameter},
        {"pellacor://reveal?all&all", Rejection::duplicatedParameter},
        {"pellacor://reveal?name=a&name=b", revealed},
        {"pellacor://reveal?all=1&name=a&name", revealedAll},
        {"pellacor://reveal?alla=1&xall=1", revealed},
        // The others read no query at all.
        {"pellacor://collapse?x=1&x=2", ExternalCommand::collapse()},
        {"pellacor://pause?all=2&all", ExternalCommand::pause()},
        {"pellacor://resume?name", ExternalCommand::resume()},
        // profile reads "name".
        {"pellacor://profile", Rejection::missingName},
        {"pellacor://profile?", Rejection::missingName},
        {"pellacor://profile?name", Rejection::missingName},
        {"pellacor://profile?name=", Rejection::missingName},
        {"pellacor://profile?name=%20%0A", Rejection::missingName},
        {"pellacor://profile?nam=Work", Rejection::missingName},
        {"pellacor://profile?name=a&name=b", Rejection::duplicatedParameter},
        {"pellacor://profile?name=a&NAME", Rejection::duplicatedParameter},
        {"pellacor://profile?name=%00%01", Rejection::badName},
        {"pellacor://profile?name=%E2%80%8B", Rejection::badName},
        {"pellacor://profile?name=" + std::string(41, 'a'), Rejection::badName},
        {"pellacor://profile?name=" + std::string(40, 'a'),
         ExternalCommand::switchProfile(std::string(40, 'a'))},
        {"pellacor://profile?name=%20Work%20", ExternalCommand::switchProfile("Work")},
        {"pellacor://profile?name=Work+Mail", ExternalCommand::switchProfile("Work+Mail")},
        {"pellacor://profile?name=Work%20Mail", ExternalCommand::switchProfile("Work Mail")},
        {"pellacor://profile?name=a%0Ab%09c", ExternalCommand::switchProfile("a b c")},
        {"pellacor://profile?name=a=b", ExternalCommand::switchProfile("a=b")},
        {"pellacor://profile?Name=%E4%BB%95%E4%BA%8B", ExternalCommand::switchProfile("仕事")},
        {"pellacor://profile?x&name=Work&y=", ExternalCommand::switchProfile("Work")},
        {"pellacor://PROFILE?name=work", ExternalCommand::switchProfile("work")},
        // Text as it reads stands for its escaped UTF-8 bytes, and is counted so.
        {"pellacor://profile?name=ふだん", ExternalCommand::switchProfile("ふだん")},
        {"pellacor://profile?name=\xe4\xbb\x95", ExternalCommand::switchProfile("仕")},
        {"pellacor://profile?name=%E4%BB%95事", ExternalCommand::switchProfile("仕事")},
        {"pellacor://profile?name=ｗｏｒｋ　", ExternalCommand::switchProfile("ｗｏｒｋ")},
        {"pellacor://reveal?all=1#見出し", revealedAll},
        {"pellacor://réveal", Rejection::unknownCommand},
        {"pellacor://profile?name=仕 事", Rejection::unknownCommand},
        {"pellacor://profile?name=\xe4\xbb", Rejection::unknownCommand},
        {"pellacor://profile?name=\xff", Rejection::unknownCommand},
        {"pellacor://profile?name=\xc0\xaf", Rejection::unknownCommand},
        {"pellacör://reveal", Rejection::wrongScheme},
        {"pellacor://profile?name=" + std::string(2048 - 24 - 9, 'a') + "仕", Rejection::badName},
        {"pellacor://profile?name=" + std::string(2048 - 24 - 8, 'a') + "仕", Rejection::tooLong},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(describe(ExternalCommand::parse(c.url)), describe(c.expected)) << c.url.substr(0, 120);
        EXPECT_EQ(ExternalCommand::parse(c.url), c.expected) << c.url.substr(0, 120);
    }
    // The length cases above really are the lengths they claim.
    ASSERT_EQ(revealOfLength(2048).size(), 2048U);
    ASSERT_EQ(("pellacor://profile?name=" + std::string(2048 - 24 - 9, 'a') + "%E4%BB%95").size(), 2048U);
}

TEST(ExternalCommandTest, RejectionsKeepTheirTextsAndComeBackFromThem) {
    const std::vector<std::pair<Rejection, std::string>> texts = {
        {Rejection::wrongScheme, "先頭が違う"},
        {Rejection::tooLong, "長すぎる"},
        {Rejection::unknownCommand, "知らない命令"},
        {Rejection::missingName, "名前が無い"},
        {Rejection::badName, "使えない名前"},
        {Rejection::duplicatedParameter, "同じ項目が2つ以上ある"},
        {Rejection::badValue, "知らない値"},
    };
    ASSERT_EQ(std::size(ExternalCommand::allRejections), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(ExternalCommand::allRejections[i], texts[i].first);
        EXPECT_EQ(ExternalCommand::rawValue(texts[i].first), texts[i].second);
        EXPECT_EQ(ExternalCommand::rejection(texts[i].second), texts[i].first);
    }
    EXPECT_EQ(ExternalCommand::rejection("先頭が違う "), std::nullopt);
    EXPECT_EQ(ExternalCommand::rejection(""), std::nullopt);
}

TEST(ExternalCommandTest, KindIsTheLogWordAndNeverTheName) {
    EXPECT_EQ(ExternalCommand::reveal(false).kind(), "出す");
    EXPECT_EQ(ExternalCommand::reveal(true).kind(), "全部出す");
    EXPECT_EQ(ExternalCommand::switchProfile("秘密").kind(), "プロファイルの切り替え");
    EXPECT_EQ(ExternalCommand::switchProfile("秘密").description(), "プロファイルの切り替え");
    EXPECT_EQ(ExternalCommand::collapse().kind(), "しまう");
    EXPECT_EQ(ExternalCommand::pause().kind(), "一時停止");
    EXPECT_EQ(ExternalCommand::resume().kind(), "再開");
    EXPECT_NE(ExternalCommand::switchProfile("a"), ExternalCommand::switchProfile("b"));
    EXPECT_NE(ExternalCommand::reveal(true), ExternalCommand::reveal(false));
}

// The lookup by name, stored names first, then shown names.
struct ProfileLookupTest : ::testing::Test {
    static Profile named(const std::string& name) {
        return Profile(Uuid::random(), name, {}, {}, Section::hidden);
    }
    static StoredState with(const std::vector<Profile>& profiles) {
        return StoredState(StoredState::currentVersion, profiles, {}, profiles.front().id());
    }
};

TEST_F(ProfileLookupTest, FindsByStoredNameIgnoringCaseWidthAndCanonicalForm) {
    const auto everyday = named("Default");
    const auto work = named("Work");
    const auto cafe = named("Caf\u00e9");
    const auto kana = named("ガジェット");
    const auto state = with({everyday, work, cafe, kana});
    EXPECT_EQ(state.profileID("Work"), work.id());
    EXPECT_EQ(state.profileID("work"), work.id());
    EXPECT_EQ(state.profileID("ＷＯＲＫ"), work.id()); // full-width
    EXPECT_EQ(state.profileID("ｗｏｒｋ"), work.id());
    EXPECT_EQ(state.profileID("  Work\n"), work.id());   // normalized first
    EXPECT_EQ(state.profileID("Cafe\u0301"), cafe.id()); // canonically equivalent
    EXPECT_EQ(state.profileID("CAF\u00c9"), cafe.id());
    EXPECT_EQ(state.profileID("ｶﾞｼﾞｪｯﾄ"), kana.id()); // half-width kana
    EXPECT_EQ(state.profileID("カ\u3099ジェット"), kana.id());
    EXPECT_EQ(state.profileID("Cafe"), std::nullopt); // accents count
    EXPECT_EQ(state.profileID("Wor"), std::nullopt);
    EXPECT_EQ(state.profileID("がじぇっと"), std::nullopt); // kana kinds count
    EXPECT_EQ(state.profileID("default"), everyday.id());
}

TEST_F(ProfileLookupTest, TheDefaultProfileIsFoundByItsShownNameInTheSecondPass) {
    const auto everyday = named("Default");
    const auto work = named("Work");
    const auto state = with({everyday, work});
    EXPECT_EQ(state.profileID("ふだん"), everyday.id());
    EXPECT_EQ(state.profileID("ﾌﾀﾞﾝ"), std::nullopt);
    EXPECT_EQ(state.profileID("Default"), everyday.id());
}

TEST_F(ProfileLookupTest, AStoredNameWinsOverAnEarlierShownOne) {
    // "Default" would show as "ふだん", but only while no other profile is
    // stored under that text; here one is, so each is found by its own name.
    const auto everyday = named("Default");
    const auto real = named("ふだん");
    const auto state = with({everyday, real});
    EXPECT_EQ(state.profileID("ふだん"), real.id());
    EXPECT_EQ(state.profileID("Default"), everyday.id());
}

TEST_F(ProfileLookupTest, TwoInitialNamesShowAsStoredSoTheShownNameFindsNeither) {
    const auto a = named("Default");
    const auto b = named("ふだん");
    const auto c = named("Work");
    const auto state = with({c, a, b});
    EXPECT_EQ(state.profileID("Default"), a.id());
    EXPECT_EQ(state.profileID("ふだん"), b.id());
}

TEST_F(ProfileLookupTest, ANameThatNormalizesToNothingFindsNothing) {
    const auto state = with({named("Work")});
    EXPECT_EQ(state.profileID(""), std::nullopt);
    EXPECT_EQ(state.profileID(" \n\t"), std::nullopt);
    EXPECT_EQ(state.profileID("\u200b\u0001"), std::nullopt);
    EXPECT_EQ(state.profileID(std::string(41, 'a')), std::nullopt);
}

TEST_F(ProfileLookupTest, TheFirstOfSeveralMatchesInStoredOrderWins) {
    const auto upper = named("WORK");
    const auto lower = named("work");
    EXPECT_EQ(with({upper, lower}).profileID("Work"), upper.id());
    EXPECT_EQ(with({lower, upper}).profileID("Work"), lower.id());
}

} // namespace
} // namespace PELLACOR_TEST_FILE
