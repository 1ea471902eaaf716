#include "Platform/PropertyListFile.h"
#include "Support/BinaryPlistBuilder.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::platform;
using pellacor::testing::BinaryPlistBuilder;
using pellacor::testing::TempDir;
using Dictionary = PropertyListValue::Dictionary;
using Status = PropertyListFile::ReadResult::Status;

namespace {

// {"k": <value>} with the value made by `make`.
template <typename Make> std::string underOneKey(Make make) {
    BinaryPlistBuilder plist;
    const auto key = plist.ascii("k");
    const auto value = make(plist);
    return plist.bytes(plist.dictionary({{key, value}}));
}

std::string dictionaryWithKey(bool utf16, std::string_view key) {
    BinaryPlistBuilder plist;
    const auto name = utf16 ? plist.utf16(std::u16string(key.begin(), key.end())) : plist.ascii(key);
    return plist.bytes(plist.dictionary({{name, plist.real(1)}}));
}

// Arrays `depth` deep, the innermost empty.
std::string nestedArrays(std::size_t depth) {
    return underOneKey([depth](BinaryPlistBuilder& plist) {
        auto inner = plist.array({});
        for (std::size_t i = 1; i < depth; ++i) {
            inner = plist.array({inner});
        }
        return inner;
    });
}

std::string nestedXmlArrays(std::size_t depth) {
    std::string xml = R"(<?xml version="1.0"?><plist version="1.0"><dict><key>k</key>)";
    for (std::size_t i = 0; i < depth; ++i) {
        xml += "<array>";
    }
    for (std::size_t i = 0; i < depth; ++i) {
        xml += "</array>";
    }
    return xml + "</dict></plist>";
}

// `levels` arrays, each holding the next one twice: 2^levels values once the
// references are followed, from a file of a few hundred bytes.
std::string sharedReferences(std::size_t levels) {
    return underOneKey([levels](BinaryPlistBuilder& plist) {
        auto inner = plist.real(1);
        for (std::size_t i = 0; i < levels; ++i) {
            inner = plist.array({inner, inner});
        }
        return inner;
    });
}

std::string selfContainingArray() {
    return underOneKey([](BinaryPlistBuilder& plist) {
        const auto array = plist.array({});
        plist.setElements(array, {array});
        return array;
    });
}

} // namespace

TEST(PropertyListHostileFileTest, HostileFilesAreUnreadableInsteadOfFatal) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::string truncated = dictionaryWithKey(false, "k");
    truncated.resize(truncated.size() - 1);
    std::string offsetPastTheTable = dictionaryWithKey(false, "k");
    offsetPastTheTable[offsetPastTheTable.size() - 8] = 0x7F; // the offset table's position
    const std::vector<Case> cases{
        {"a UTF-16 key holding U+0000", dictionaryWithKey(true, std::string("a\0b", 3))},
        {"an ASCII key holding a NUL", dictionaryWithKey(false, std::string("a\0b", 3))},
        {"10,000 nested arrays", nestedArrays(10'000)},
        {"10,000 nested arrays in XML", nestedXmlArrays(10'000)},
        {"1,000,000 nested arrays in XML", nestedXmlArrays(1'000'000)},
        {"30 levels of shared references", sharedReferences(30)},
        {"an array holding itself", selfContainingArray()},
        {"a NUL inside XML",
         std::string("<?xml version=\"1.0\"?><plist><dict><key>a\0b</key><true/></dict></plist>", 70)},
        {"a cut-off trailer", truncated},
        {"an offset table outside the file", offsetPastTheTable},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PropertyListFile::decode(c.bytes), std::nullopt);
        EXPECT_EQ(PropertyListFile::read(dir.write("hostile.plist", c.bytes)).status, Status::unreadable);
    }
}

TEST(PropertyListHostileFileTest, FilesWithinTheBoundsStillRead) {
    const auto deep = PropertyListFile::decode(nestedArrays(PropertyListFile::maximumDepth - 1));
    ASSERT_TRUE(deep.has_value());
    std::size_t depth = 0;
    for (const auto* array = deep->at("k").arrayValue(); array != nullptr;
         array = array->empty() ? nullptr : array->front().arrayValue()) {
        ++depth;
    }
    EXPECT_EQ(depth, PropertyListFile::maximumDepth - 1);
    EXPECT_TRUE(PropertyListFile::decode(nestedArrays(PropertyListFile::maximumDepth)) == std::nullopt)
        << "the top-level dictionary counts as one level";
    EXPECT_TRUE(PropertyListFile::decode(nestedXmlArrays(PropertyListFile::maximumDepth - 1)).has_value());
    // 2^12 values through shared references is still an ordinary file.
    const auto shared = PropertyListFile::decode(sharedReferences(12));
    ASSERT_TRUE(shared.has_value());
    EXPECT_EQ(shared->at("k").arrayValue()->size(), 2U);
}

TEST(PropertyListHostileFileTest, TextThatIsNotUtf8ReadsByteForByteButIsNeverWrittenChanged) {
    const std::string latin1Key = "status:caf\xe9::x";
    BinaryPlistBuilder plist;
    const auto bytes = plist.bytes(plist.dictionary({
        {plist.ascii(latin1Key), plist.real(4)},
        {plist.ascii("status:com.example.a::Item-0"), plist.real(5)},
    }));
    TempDir dir;
    const auto file = dir.write("prefs.plist", bytes);
    const auto read = PropertyListFile::read(file);
    ASSERT_EQ(read.status, Status::ok);
    EXPECT_EQ(read.dictionary.count(latin1Key), 1U) << "the key is kept whole";

    // Writing it back would cut the key at the bad byte: the write is refused.
    auto changed = read.dictionary;
    changed.insert_or_assign("status:com.example.a::Item-0", PropertyListValue::real(6));
    EXPECT_FALSE(PropertyListFile::write(file, changed));
    EXPECT_EQ(TempDir::read(file), bytes);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    struct Case {
        const char* name;
        Dictionary dictionary;
    };
    const std::vector<Case> unstorable{
        {"a key with a NUL", Dictionary{{std::string("a\0b", 3), PropertyListValue::integer(1)}}},
        {"a string with a NUL", Dictionary{{"a", PropertyListValue(std::string("x\0y", 3))}}},
        {"a lone surrogate", Dictionary{{"a", PropertyListValue("\xed\xa0\x80")}}},
        {"an overlong form", Dictionary{{"a", PropertyListValue("\xc0\xaf")}}},
        {"a reference beyond 32 bits",
         Dictionary{{"a", PropertyListValue(PropertyListValue::Uid{1ULL << 32})}}},
        {"a cut sequence deep inside",
         Dictionary{{"a", PropertyListValue(PropertyListValue::Array{
                              PropertyListValue(Dictionary{{"\xe6\x99", PropertyListValue::integer(1)}})})}}},
    };
    for (const auto& c : unstorable) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(PropertyListValue(c.dictionary).isStorable());
        EXPECT_EQ(PropertyListFile::encodeBinary(c.dictionary), "");
        EXPECT_FALSE(PropertyListFile::write(dir / "new.plist", c.dictionary));
        EXPECT_FALSE(std::filesystem::exists(dir / "new.plist"));
    }
    EXPECT_TRUE(PropertyListValue(Dictionary{{"時計 \xf0\x9f\x95\x90", PropertyListValue("\xef\xbf\xbd")}})
                    .isStorable());
}

TEST(PropertyListHostileFileTest, Utf16TextBecomesUtf8AndWritesBackTheSame) {
    BinaryPlistBuilder plist;
    const auto bytes = plist.bytes(plist.dictionary({
        {plist.utf16(u"時計"), plist.utf16(u"\U0001F550 clock")},
    }));
    const auto read = PropertyListFile::decode(bytes);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->at("時計"), PropertyListValue("\U0001F550 clock"));
    EXPECT_EQ(PropertyListFile::decode(PropertyListFile::encodeBinary(*read)), read);
}

} // namespace PELLACOR_TEST_FILE
