#include "MenuBarCore/Integrations/UrlComponents.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using pellacor::core::UrlComponents;
using Item = UrlComponents::QueryItem;

namespace {

struct Case {
    std::string url;
    std::optional<UrlComponents> expected;
};

UrlComponents parts(std::string scheme, std::optional<std::string> host, std::string path,
                    std::optional<std::string> query = std::nullopt, std::vector<Item> items = {}) {
    return UrlComponents{std::move(scheme), std::move(host), std::move(path), std::move(query),
                         std::move(items)};
}

TEST(UrlComponentsTest, SplitsByTheGenericSyntax) {
    const std::vector<Case> cases = {
        {"pellacor://reveal", parts("pellacor", "reveal", "")},
        {"pellacor:reveal", parts("pellacor", std::nullopt, "reveal")},
        {"pellacor:///reveal", parts("pellacor", "", "/reveal")},
        {"pellacor:/a//b/", parts("pellacor", std::nullopt, "/a//b/")},
        {"pellacor:", parts("pellacor", std::nullopt, "")},
        {"pellacor://", parts("pellacor", "", "")},
        {"HTTP://Host/P", parts("HTTP", "Host", "/P")},
        {"a+b-c.d:x", parts("a+b-c.d", std::nullopt, "x")},
        {"pellacor://u:p@host:8080/p", parts("pellacor", "host", "/p")},
        {"pellacor://host:/p", parts("pellacor", "host", "/p")},
        {"pellacor://[::1]:80", parts("pellacor", "[::1]", "")},
        {"pellacor://[v7.x]", parts("pellacor", "[v7.x]", "")},
        {"pellacor://%41b/%2F%20x", parts("pellacor", "Ab", "// x")},
        {"pellacor:%E4%BB%95", parts("pellacor", std::nullopt, "仕")},
        {"pellacor://h/p#frag?/x", parts("pellacor", "h", "/p")},
        {"pellacor://h?", parts("pellacor", "h", "", "")},
        {"pellacor://h?a=1&b&c=&=d&&a=2=3+4%2B",
         parts("pellacor", "h", "", "a=1&b&c=&=d&&a=2=3+4%2B",
               {{"a", "1"}, {"b", std::nullopt}, {"c", ""}, {"", "d"}, {"", std::nullopt}, {"a", "2=3+4+"}})},
        {"pellacor:x?%3D=%26", parts("pellacor", std::nullopt, "x", "%3D=%26", {{"=", "&"}})},
        {"pellacor:x?a?b/c:@", parts("pellacor", std::nullopt, "x", "a?b/c:@", {{"a?b/c:@", std::nullopt}})},
        {"pellacor:x?a=%00", parts("pellacor", std::nullopt, "x", "a=%00", {{"a", std::string("\0", 1)}})},
        // Refused: no scheme, bad characters, bad escapes, bad UTF-8, bad authority.
        {"", std::nullopt},
        {"reveal", std::nullopt},
        {"1a:x", std::nullopt},
        {":x", std::nullopt},
        {"/a:b", std::nullopt},
        {"pel lacor:x", std::nullopt},
        {"pellacor:a b", std::nullopt},
        {"pellacor:a\nb", std::nullopt},
        {"pellacor:a\x01", std::nullopt},
        {"pellacor:\xc3\xa9", std::nullopt},
        {"pellacor:a%", std::nullopt},
        {"pellacor:a%1", std::nullopt},
        {"pellacor:a%1g", std::nullopt},
        {"pellacor:a?b=%", std::nullopt},
        {"pellacor:a#%zz", std::nullopt},
        {"pellacor:a#b#c", std::nullopt},
        {"pellacor:%FF", std::nullopt},
        {"pellacor:%C3%28", std::nullopt},
        {"pellacor:%F4%90%80%80", std::nullopt},
        {"pellacor:a?%80=1", std::nullopt},
        {"pellacor:a?x=%E2%82", std::nullopt},
        {"pellacor://h%FF", std::nullopt},
        {"pellacor:a[b]", std::nullopt},
        {"pellacor:a{b}", std::nullopt},
        {"pellacor:a\\b", std::nullopt},
        {"pellacor:a|b", std::nullopt},
        {"pellacor://h:8x", std::nullopt},
        {"pellacor://h:1:2", std::nullopt},
        {"pellacor://a@b@c", std::nullopt},
        {"pellacor://[::1", std::nullopt},
        {"pellacor://[]", std::nullopt},
        {"pellacor://[::1]x", std::nullopt},
        {"pellacor://[%41]", std::nullopt},
        {"pellacor://u[@h", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UrlComponents::split(c.url), c.expected) << c.url;
    }
}

TEST(UrlComponentsTest, TheSchemeIsReadWithoutCheckingTheRest) {
    EXPECT_EQ(UrlComponents::schemeOf("Pellacor://a b %"), "Pellacor");
    EXPECT_EQ(UrlComponents::schemeOf("x:"), "x");
    EXPECT_EQ(UrlComponents::schemeOf("pellacor"), std::nullopt);
    EXPECT_EQ(UrlComponents::schemeOf("pel_lacor:x"), std::nullopt);
    EXPECT_EQ(UrlComponents::schemeOf("9p:x"), std::nullopt);
    EXPECT_EQ(UrlComponents::schemeOf(""), std::nullopt);
}

TEST(UrlComponentsTest, TextOutsideAsciiBecomesItsEscapedBytes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"pellacor://profile?name=Work%20Mail", "pellacor://profile?name=Work%20Mail"},
        {"pellacor://profile?name=ふだん", "pellacor://profile?name=%E3%81%B5%E3%81%A0%E3%82%93"},
        {"é", "%C3%A9"},
        {"a\xff\x80"
         "b",
         "a%FF%80b"},
        {std::string("\0 \x7f", 3), std::string("\0 \x7f", 3)},
        {"", ""},
    };
    for (const auto& [text, escaped] : cases) {
        EXPECT_EQ(UrlComponents::withNonAsciiEscaped(text), escaped) << text;
    }
}

} // namespace
} // namespace PELLACOR_TEST_FILE
