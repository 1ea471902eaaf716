#include "MenuBarSystem/Private/MenuBarLayoutShim.h"

#include "Support/LayoutHome.h"

#include <gtest/gtest.h>
#include <limits>
#include <ostream>

namespace pellacor::system {
void PrintTo(const MenuBarLayoutShim::WriteResult& result, std::ostream* os) {
    *os << "WriteResult(" << static_cast<int>(result.kind()) << ", " << result.readBack().size()
        << " entries)";
}
} // namespace pellacor::system

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using pellacor::testing::LayoutHome;
using platform::PropertyListValue;
using Dictionary = PropertyListValue::Dictionary;
using WriteResult = MenuBarLayoutShim::WriteResult;

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

// A table as the system keeps it: positions, and entries that are no positions.
Dictionary storedTable() {
    return Dictionary{
        {"status:app.trayvane.pellacor::Item-0", PropertyListValue::real(5.0)},
        {"status:com.example.a::Item-0", PropertyListValue::real(6.5)},
        {"status:com.example.b::Item-0", PropertyListValue::integer(3)},
        {"status:com.example.flag::Item-0", PropertyListValue::boolean(true)},
        {"status:com.example.text::Item-0", PropertyListValue("4.0")},
        {"status:com.example.nan::Item-0", PropertyListValue::real(nan)},
        {"status:com.example.inf::Item-0", PropertyListValue::real(-infinity)},
        {"status:com.example.nested::Item-0",
         PropertyListValue(Dictionary{{"x", PropertyListValue::real(1)}})},
    };
}

const core::LayoutTable storedNumbers{
    {"status:app.trayvane.pellacor::Item-0", 5.0},
    {"status:com.example.a::Item-0", 6.5},
    {"status:com.example.b::Item-0", 3.0},
};

class MenuBarLayoutShimTest : public ::testing::Test {
protected:
    LayoutHome layout;
    MenuBarLayoutShim shim{layout.preferences, layout.fileManager};
};

TEST_F(MenuBarLayoutShimTest, NumbersAreTheIntegerAndFiniteRealEntries) {
    EXPECT_EQ(MenuBarLayoutShim::numbers(storedTable()), storedNumbers);
    EXPECT_TRUE(MenuBarLayoutShim::numbers({}).empty());
}

TEST_F(MenuBarLayoutShimTest, ReadsTheTableFromTheMenuBarsPreferenceFile) {
    EXPECT_EQ(shim.applicationID(), layout.layoutFile().string());
    EXPECT_EQ(shim.readTable(), std::nullopt) << "no file";
    layout.storeValue(PropertyListValue::integer(1));
    EXPECT_EQ(shim.readTable(), std::nullopt) << "not a dictionary";
    layout.storeTable({});
    EXPECT_EQ(shim.readTable(), core::LayoutTable{});
    layout.storeTable(storedTable());
    EXPECT_EQ(shim.readTable(), storedNumbers);
}

TEST_F(MenuBarLayoutShimTest, CanAccessOnlyAGrantedExistingFolder) {
    EXPECT_FALSE(shim.canAccess()) << "no folder yet";
    layout.storeTable({});
    EXPECT_TRUE(shim.canAccess());
    layout.desktop->setMenuBarContainerGranted(false);
    EXPECT_FALSE(shim.canAccess());
}

TEST_F(MenuBarLayoutShimTest, WriteSetsTheEntriesAndLeavesEveryOtherEntryAsItWas) {
    layout.storeTable(storedTable());
    const core::LayoutTable entries{
        {"status:com.example.a::Item-0", 4.25},        // replaces a real
        {"status:com.example.b::Item-0", 4.75},        // replaces an integer
        {"status:com.example.new::Item-0", 0.1 + 0.2}, // added
    };
    const auto result = shim.write(entries, storedNumbers);

    core::LayoutTable expectedBack = storedNumbers;
    for (const auto& [key, position] : entries) {
        expectedBack[key] = position;
    }
    EXPECT_EQ(result, WriteResult::written(expectedBack));

    Dictionary expectedStored = storedTable();
    for (const auto& [key, position] : entries) {
        expectedStored.insert_or_assign(key, PropertyListValue::real(position));
    }
    EXPECT_EQ(layout.storedTable(), expectedStored) << "booleans, texts, non-finite and nested values kept";
    EXPECT_TRUE(layout.fileBytes().starts_with("bplist00"));
    // The unrelated setting of the same file is kept too.
    EXPECT_EQ(layout.preferences->copyValue("OtherSetting", shim.applicationID()), PropertyListValue("kept"));
}

TEST_F(MenuBarLayoutShimTest, AnUnexpectedTableIsNeverWritten) {
    layout.storeTable(storedTable());
    const auto before = layout.fileBytes();
    const core::LayoutTable entries{{"status:com.example.a::Item-0", 1.0}};

    auto differing = storedNumbers;
    differing["status:com.example.b::Item-0"] = 3.0000000000000004;
    auto extra = storedNumbers;
    extra["status:com.example.nan::Item-0"] = 0;
    auto lacking = storedNumbers;
    lacking.erase("status:com.example.a::Item-0");
    auto withNan = storedNumbers;
    withNan["status:com.example.nan::Item-0"] = nan;

    for (const auto& expected : {differing, extra, lacking, withNan, core::LayoutTable{}}) {
        EXPECT_EQ(shim.write(entries, expected), WriteResult::tableChanged());
        EXPECT_EQ(layout.fileBytes(), before) << "byte for byte";
    }
}

TEST_F(MenuBarLayoutShimTest, AnEmptyWriteStoresTheTableUnchanged) {
    layout.storeTable(storedTable());
    EXPECT_EQ(shim.write({}, storedNumbers), WriteResult::written(storedNumbers));
    EXPECT_EQ(layout.storedTable(), storedTable());
}

TEST_F(MenuBarLayoutShimTest, WithoutAStoredTableOrASynchroniseTheTableIsMissing) {
    const core::LayoutTable entries{{"status:com.example.a::Item-0", 1.0}};
    EXPECT_EQ(shim.write(entries, {}), WriteResult::tableMissing()) << "no file";
    EXPECT_FALSE(std::filesystem::exists(layout.layoutFile()));

    layout.storeValue(PropertyListValue("not a table"));
    const auto notATable = layout.fileBytes();
    EXPECT_EQ(shim.write(entries, {}), WriteResult::tableMissing());
    EXPECT_EQ(layout.fileBytes(), notATable);

    layout.storeTable(storedTable());
    const auto before = layout.fileBytes();
    layout.preferences->failSynchronize = true;
    EXPECT_EQ(shim.write(entries, storedNumbers), WriteResult::tableMissing());
    EXPECT_EQ(layout.fileBytes(), before);
}

TEST_F(MenuBarLayoutShimTest, ATableThatDoesNotReadBackIsMissing) {
    layout.storeTable(storedTable());
    // The system stores something that is no dictionary.
    layout.preferences->transformSet = [](PropertyListValue) { return PropertyListValue::integer(0); };
    EXPECT_EQ(shim.write({{"status:com.example.a::Item-0", 1.0}}, storedNumbers),
              WriteResult::tableMissing());
}

} // namespace
} // namespace PELLACOR_TEST_FILE
