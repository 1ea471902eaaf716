#include "Platform/PropertyListFile.h"
#include "Support/BinaryPlistBuilder.h"
#include "Support/OddFiles.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
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

TEST(PropertyListHostileFileTest, TextThatIsNotUtf8ReadsByteForByteAndSurvivesAWriteBesideIt) {
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

    // The foreign key has no binary form; the write still happens, and the
    // key reads back byte for byte beside the changed entry.
    auto changed = read.dictionary;
    changed.insert_or_assign("status:com.example.a::Item-0", PropertyListValue::real(6));
    ASSERT_TRUE(PropertyListFile::write(file, changed));
    const auto after = PropertyListFile::read(file);
    ASSERT_EQ(after.status, Status::ok);
    EXPECT_EQ(after.dictionary, changed);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    struct Case {
        const char* name;
        Dictionary dictionary;
        bool writable; // in the XML form, its bytes kept
    };
    const std::vector<Case> unstorable{
        {"a key with a NUL", Dictionary{{std::string("a\0b", 3), PropertyListValue::integer(1)}}, false},
        {"a string with a NUL", Dictionary{{"a", PropertyListValue(std::string("x\0y", 3))}}, false},
        {"a lone surrogate", Dictionary{{"a", PropertyListValue("\xed\xa0\x80")}}, true},
        {"an overlong form", Dictionary{{"a", PropertyListValue("\xc0\xaf")}}, true},
        {"a reference beyond 32 bits",
         Dictionary{{"a", PropertyListValue(PropertyListValue::Uid{1ULL << 32})}}, false},
        {"a cut sequence deep inside",
         Dictionary{{"a", PropertyListValue(PropertyListValue::Array{
                              PropertyListValue(Dictionary{{"\xe6\x99", PropertyListValue::integer(1)}})})}},
         true},
    };
    for (const auto& c : unstorable) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir / "new.plist");
        EXPECT_FALSE(PropertyListValue(c.dictionary).isStorable());
        EXPECT_EQ(PropertyListFile::encodeBinary(c.dictionary), "");
        EXPECT_EQ(PropertyListFile::write(dir / "new.plist", c.dictionary), c.writable);
        EXPECT_EQ(std::filesystem::exists(dir / "new.plist"), c.writable);
        if (c.writable) {
            EXPECT_EQ(PropertyListFile::read(dir / "new.plist").dictionary, c.dictionary);
        }
    }
    EXPECT_TRUE(PropertyListValue(Dictionary{{"時計 \xf0\x9f\x95\x90", PropertyListValue("\xef\xbf\xbd")}})
                    .isStorable());
}

namespace {

// Found by fuzzing: a binary file whose entries hold text that is not UTF-8
// and a keyed-archive reference; the write beside them was refused, as the
// reference came back from the XML form as a dictionary.
const std::string foreignTextBesideAReference(
    "\x62\x70\x6c\x69\x73\x74\x30\x30\xda\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x10\x11\x12\x13"
    "\x14\x17\x18\x19\x1a\x55\x61\x72\x72\x61\x79\x53\x62\x69\x67\x54\x64\x61\x74\x61\x54\x64\x61\x74"
    "\x65\x53\x69\x6e\x74\x56\x6e\x65\x73\x74\x65\x64\x54\x72\x65\x61\x6c\x54\x74\x65\x78\x74\x54\x74"
    "\x72\x75\x65\x53\x75\x69\x64\xa3\x0c\x0d\x0e\x10\xfc\x50\x62\x81\x0f\x23\x40\x04\x00\x00\x00\x00"
    "\x00\x00\x13\x40\x00\x00\x00\x00\x00\x00\x00\x43\x00\x01\xfe\xba\x41\x61\x70\x70\x2e\x74\x00\x00"
    "\x13\xff\xff\xff\xff\xff\xff\xff\xfb\xa5\x15\x16\x54\x66\x6c\x61\x67\x08\x23\x3f\xb9\x99\x99\x99"
    "\x99\x99\x9a\x68\x30\xe1\x30\xcb\x30\xe5\x30\xfc\x30\xd0\x30\xfc\x00\x20\x27\x13\x09\x80\x07\x08"
    "\x2c\x1d\x23\x27\x2c\x31\x35\x3c\x41\x46\x4b\x4f\x53\x55\x57\x4c\x4c\x4c\x4c\x4c\x4c\x4c\x4c\x4c"
    "\xa5\x15\x16\x54\x66\x6c\x61\x67\x08\x23\x3f\xb9\x99\x99\x00\x00\x61\x30\x00\x1f\xc2\xf5\x99\x99"
    "\x99\x9a\x68\x30\xe1\x30\xcb\x30\xe5\x30\xfc\x30\xd0\x30\xfc\x00\x20\x27\x13\x09\x80\x07\x08\x1d"
    "\x23\x27\x2c\x31\x35\x3c\x41\x46\x4b\x4f\x53\x8a\x93\xa4\xa5\x00\x00\x00\x00\x00\x00\x01\x01\x00"
    "\x00\x00\x00\x00\x00\x00\x1b\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xa7",
    287);

} // namespace

TEST(PropertyListHostileFileTest, AReferenceBesideForeignTextSurvivesTheXmlForm) {
    BinaryPlistBuilder plist;
    const auto built = plist.bytes(plist.dictionary({
        {plist.ascii("caf\xe9"), plist.ascii("\xe9t\xe9")},
        {plist.ascii("object"), plist.uid(7)},
        {plist.ascii("nested"), plist.array({plist.uid(0), plist.uid(0xFFFF'FFFF)})},
    }));
    for (const auto& [name, bytes] :
         {std::pair{"built", built}, std::pair{"found", foreignTextBesideAReference}}) {
        SCOPED_TRACE(name);
        auto dictionary = PropertyListFile::decode(bytes);
        ASSERT_TRUE(dictionary.has_value());
        dictionary->insert_or_assign("app.trayvane.pellacor.own", PropertyListValue::boolean(true));
        ASSERT_EQ(PropertyListFile::encodeBinary(*dictionary), "") << "the foreign text has no binary form";
        const auto xml = PropertyListFile::encodeXml(*dictionary);
        ASSERT_NE(xml, "");
        EXPECT_EQ(PropertyListFile::decode(xml), dictionary);
    }
    EXPECT_EQ(PropertyListFile::decode(built)->at("object"), PropertyListValue(PropertyListValue::Uid{7}));

    // Only a dictionary that can be nothing but a reference is read as one.
    const auto underKey = [](std::string_view value) {
        return "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>k</key>" + std::string(value) +
               "</dict></plist>";
    };
    const PropertyListValue reference(PropertyListValue::Uid{42});
    struct Case {
        const char* xml;
        bool reference;
    };
    const std::vector<Case> cases{
        {"<dict><key>CF$UID</key><integer>42</integer></dict>", true},
        {"<dict><key>CF$UID</key><integer>4294967296</integer></dict>", false},
        {"<dict><key>CF$UID</key><integer>-1</integer></dict>", false},
        {"<dict><key>CF$UID</key><string>42</string></dict>", false},
        {"<dict><key>CF$UID</key><integer>42</integer><key>more</key><true/></dict>", false},
        {"<dict><key>cf$uid</key><integer>42</integer></dict>", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xml);
        const auto read = PropertyListFile::decode(underKey(c.xml));
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(read->at("k") == reference, c.reference);
        EXPECT_EQ(read->at("k").kind() == PropertyListValue::Kind::dictionary, !c.reference);
    }
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

namespace {

// An ordinary XML preference file: many empty values side by side.
std::string flatXmlWithEmptyElements(std::size_t count) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n";
    for (std::size_t i = 0; i < count; ++i) {
        xml += "<key>k" + std::to_string(i) + "</key>" +
               (i % 3 == 0   ? "<true/>"
                : i % 3 == 1 ? "<dict/>"
                             : "<array/>") +
               "\n";
    }
    return xml + "</dict>\n</plist>\n";
}

} // namespace

TEST(PropertyListHostileFileTest, EmptyElementsOpenNoLevel) {
    const auto flat = PropertyListFile::decode(flatXmlWithEmptyElements(2 * PropertyListFile::maximumDepth));
    ASSERT_TRUE(flat.has_value());
    EXPECT_EQ(flat->size(), 2 * PropertyListFile::maximumDepth);
    EXPECT_EQ(flat->at("k0"), PropertyListValue::boolean(true));
}

TEST(PropertyListHostileFileTest, OnlyARegularFileOfBoundedSizeIsRead) {
    TempDir dir;
    for (const auto& odd : pellacor::testing::makeOddFiles(dir, "prefs.plist")) {
        SCOPED_TRACE(odd.label);
        EXPECT_EQ(PropertyListFile::read(odd.path).status, Status::unreadable);
    }
}

// The preference file is saved as the state document is: through the user's
// link, never over a device or a FIFO, never with a wider mode.
TEST(PropertyListHostileFileTest, AWriteGoesThroughALinkAndNeverReplacesWhatIsNoRegularFile) {
    TempDir dir;
    const Dictionary dictionary{{"k", PropertyListValue::integer(1)}};
    const auto modeOf = [](const std::filesystem::path& file) {
        struct stat info {};
        return ::stat(file.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    };
    const auto target = dir.write("elsewhere/prefs.plist", "old");
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_symlink(target, dir / "prefs.plist");
    ASSERT_TRUE(PropertyListFile::write(dir / "prefs.plist", dictionary));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "prefs.plist"));
    EXPECT_EQ(PropertyListFile::read(target).dictionary, dictionary);
    EXPECT_EQ(modeOf(target), 0640U);

    for (const auto& odd : pellacor::testing::makeOddFiles(dir, "odd.plist")) {
        if (std::string_view(odd.label) == "a 200 MB file") {
            continue;
        }
        SCOPED_TRACE(odd.label);
        struct stat before {};
        ASSERT_EQ(::lstat(odd.path.c_str(), &before), 0);
        EXPECT_FALSE(PropertyListFile::write(odd.path, dictionary));
        struct stat after {};
        ASSERT_EQ(::lstat(odd.path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
    }
}

} // namespace PELLACOR_TEST_FILE
