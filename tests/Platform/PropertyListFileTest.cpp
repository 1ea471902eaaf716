#include "Platform/PropertyListFile.h"

#include "Support/TempDir.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::platform;
using pellacor::testing::TempDir;
using Dictionary = PropertyListValue::Dictionary;
using Status = PropertyListFile::ReadResult::Status;

namespace {

Dictionary everyKind() {
    Dictionary nested{{"flag", PropertyListValue::boolean(false)}, {"count", PropertyListValue::integer(3)}};
    return Dictionary{
        {"true", PropertyListValue::boolean(true)},
        {"false", PropertyListValue::boolean(false)},
        {"zero", PropertyListValue::integer(0)},
        {"one", PropertyListValue::integer(1)},
        {"negative", PropertyListValue::integer(-5)},
        {"smallest", PropertyListValue::integer(std::numeric_limits<std::int64_t>::min())},
        {"largest", PropertyListValue::integer(std::numeric_limits<std::int64_t>::max())},
        {"tenth", PropertyListValue::real(0.1)},
        {"third", PropertyListValue::real(1.0 / 3.0)},
        {"whole real", PropertyListValue::real(2.0)},
        {"tiny", PropertyListValue::real(std::numeric_limits<double>::denorm_min())},
        {"huge", PropertyListValue::real(std::numeric_limits<double>::max())},
        {"minus zero", PropertyListValue::real(-0.0)},
        {"nan", PropertyListValue::real(std::numeric_limits<double>::quiet_NaN())},
        {"infinity", PropertyListValue::real(-std::numeric_limits<double>::infinity())},
        {"text", PropertyListValue("メニューバー ✓")},
        {"empty text", PropertyListValue("")},
        {"date", PropertyListValue(PropertyListValue::Date{760'000'000, 250'000})},
        {"data", PropertyListValue(PropertyListValue::Data{0, 1, 254, 255})},
        {"uid", PropertyListValue(PropertyListValue::Uid{7})},
        {"array",
         PropertyListValue(PropertyListValue::Array{PropertyListValue::integer(1), PropertyListValue("b")})},
        {"dictionary", PropertyListValue(nested)},
        {"status:com.example.a::Item-0", PropertyListValue::real(12.75)},
    };
}

TEST(PropertyListFileTest, EveryKindRoundTripsThroughTheBinaryFormExactly) {
    TempDir dir;
    const auto file = dir / "prefs.plist";
    ASSERT_TRUE(PropertyListFile::write(file, everyKind()));
    EXPECT_TRUE(TempDir::read(file).starts_with("bplist00"));

    const auto read = PropertyListFile::read(file);
    ASSERT_EQ(read.status, Status::ok);
    EXPECT_EQ(read.dictionary, everyKind());
    // Kinds stay apart: true is not 1, 2.0 is not 2.
    EXPECT_EQ(read.dictionary.at("true").kind(), PropertyListValue::Kind::boolean);
    EXPECT_EQ(read.dictionary.at("one").kind(), PropertyListValue::Kind::integer);
    EXPECT_EQ(read.dictionary.at("whole real").kind(), PropertyListValue::Kind::real);
    EXPECT_NE(read.dictionary.at("one"), read.dictionary.at("true"));
    EXPECT_TRUE(std::signbit(*read.dictionary.at("minus zero").realValue()));
    EXPECT_EQ(*read.dictionary.at("third").realValue(), 1.0 / 3.0);
}

TEST(PropertyListFileTest, ReadsTheXmlForm) {
    TempDir dir;
    const auto file = dir.write("prefs.plist", R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>TrailingItemPreferredPositions</key>
	<dict>
		<key>status:com.example.a::Item-0</key>
		<real>0.10000000000000001</real>
		<key>status:com.example.b::Item-0</key>
		<integer>-7</integer>
		<key>flag</key>
		<true/>
		<key>name</key>
		<string>時計</string>
	</dict>
</dict>
</plist>
)");
    const auto read = PropertyListFile::read(file);
    ASSERT_EQ(read.status, Status::ok);
    const auto* table = read.dictionary.at("TrailingItemPreferredPositions").dictionaryValue();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->at("status:com.example.a::Item-0"), PropertyListValue::real(0.1));
    EXPECT_EQ(table->at("status:com.example.b::Item-0"), PropertyListValue::integer(-7));
    EXPECT_EQ(table->at("flag"), PropertyListValue::boolean(true));
    EXPECT_EQ(table->at("name"), PropertyListValue("時計"));
}

TEST(PropertyListFileTest, TellsAMissingFileFromOneThatIsNoDictionaryPropertyList) {
    TempDir dir;
    EXPECT_EQ(PropertyListFile::read(dir / "absent.plist").status, Status::missing);
    EXPECT_EQ(PropertyListFile::read(dir.write("garbage.plist", "not a property list")).status,
              Status::unreadable);
    EXPECT_EQ(PropertyListFile::read(dir.write("empty.plist", "")).status, Status::unreadable);
    EXPECT_EQ(PropertyListFile::read(dir.write("array.plist", R"(<?xml version="1.0"?>
<plist version="1.0"><array><integer>1</integer></array></plist>)"))
                  .status,
              Status::unreadable);
    std::filesystem::create_directory(dir / "folder.plist");
    EXPECT_EQ(PropertyListFile::read(dir / "folder.plist").status, Status::unreadable);
}

TEST(PropertyListFileTest, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    TempDir dir;
    // The rename cannot replace a non-empty folder.
    std::filesystem::create_directories(dir / "prefs.plist" / "inside");
    EXPECT_FALSE(PropertyListFile::write(dir / "prefs.plist", everyKind()));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "prefs.plist" / "inside"));
    // No folder to write into.
    EXPECT_FALSE(PropertyListFile::write(dir / "missing" / "prefs.plist", everyKind()));

    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1U);
}

TEST(PropertyListFileTest, AWriteReplacesTheWholeFile) {
    TempDir dir;
    const auto file = dir / "prefs.plist";
    ASSERT_TRUE(PropertyListFile::write(file, everyKind()));
    const Dictionary small{{"only", PropertyListValue::integer(1)}};
    ASSERT_TRUE(PropertyListFile::write(file, small));
    EXPECT_EQ(PropertyListFile::read(file).dictionary, small);
}

TEST(PropertyListValueTest, RealsCompareByTheirBits) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(PropertyListValue::real(nan), PropertyListValue::real(nan));
    EXPECT_NE(PropertyListValue::real(0.0), PropertyListValue::real(-0.0));
    EXPECT_NE(PropertyListValue::real(1.0), PropertyListValue::integer(1));
    EXPECT_EQ(PropertyListValue::real(1.0).integerValue(), std::nullopt);
    EXPECT_EQ(PropertyListValue::integer(1).realValue(), std::nullopt);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
