#include "MenuBarSystem/Reordering/ItemReorderer.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/TaskHandle.h"
#include "Support/BinaryPlistBuilder.h"
#include "Support/LayoutHome.h"
#include "Support/SystemResultPrinters.h"

#include <gtest/gtest.h>
#include <limits>
#include <mutex>
#include <ostream>
#include <pthread.h>
#include <set>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using pellacor::testing::LayoutHome;
using platform::PropertyListValue;
using Dictionary = PropertyListValue::Dictionary;
using Result = SystemResult<core::LayoutTable>;

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

const std::string control = "status:app.trayvane.pellacor::Item-0";
const std::string appA = "status:com.example.a::Item-0";
const std::string appB = "status:com.example.b::Item-0";

class ItemReordererTest : public ::testing::Test {
protected:
    // Runs the call as a task on the main executor and waits for its result.
    std::optional<Result> run(concurrency::Task<Result> task) {
        auto handle = concurrency::spawn(executor, std::move(task));
        if (!executor.runUntil([&] { return handle.isFinished(); })) {
            return std::nullopt;
        }
        return handle.result();
    }

    void storeUsualTable() {
        layout.storeTable({{control, PropertyListValue::real(5)},
                           {appA, PropertyListValue::real(6)},
                           {appB, PropertyListValue::integer(4)},
                           {"status:com.example.flag::Item-0", PropertyListValue::boolean(false)},
                           {"status:com.example.nan::Item-0", PropertyListValue::real(nan)}});
    }

    const core::LayoutTable usualNumbers{{control, 5}, {appA, 6}, {appB, 4}};

    concurrency::ManualExecutor executor;
    LayoutHome layout;
    // The process's one reorderer queue, as the program hands it in; made after
    // the executor it resumes tasks on, so it is gone first.
    std::shared_ptr<concurrency::SerialQueue> queue =
        std::make_shared<concurrency::SerialQueue>(ItemReorderer::queueLabel());
    ItemReorderer reorderer{queue, layout.preferences, layout.fileManager};
};

TEST_F(ItemReordererTest, ReadsTheNumericTable) {
    storeUsualTable();
    EXPECT_EQ(run(reorderer.readTable()), Result::ok(usualNumbers));
}

TEST_F(ItemReordererTest, WithoutTheGrantNothingIsReadOrWritten) {
    storeUsualTable();
    const auto before = layout.fileBytes();
    layout.desktop->setMenuBarContainerGranted(false);
    EXPECT_EQ(run(reorderer.readTable()), Result::unavailable(UnavailableReason::layoutFolderNotGranted));
    EXPECT_EQ(run(reorderer.write({{appA, 1}}, usualNumbers)),
              Result::unavailable(UnavailableReason::layoutFolderNotGranted));
    EXPECT_EQ(layout.fileBytes(), before);
}

TEST_F(ItemReordererTest, AnAbsentTableIsMissing) {
    std::filesystem::create_directories(layout.layoutFile().parent_path());
    EXPECT_EQ(run(reorderer.readTable()), Result::unavailable(UnavailableReason::layoutTableMissing));
    EXPECT_EQ(run(reorderer.write({{appA, 1}}, {})),
              Result::unavailable(UnavailableReason::layoutTableMissing));
    layout.storeValue(PropertyListValue("no table"));
    EXPECT_EQ(run(reorderer.readTable()), Result::unavailable(UnavailableReason::layoutTableMissing));
}

TEST_F(ItemReordererTest, WritesTheEntriesAndAnswersTheTableReadBack) {
    storeUsualTable();
    const auto result = run(reorderer.write({{appA, 4.5}, {appB, 5.5}}, usualNumbers));
    const core::LayoutTable written{{control, 5}, {appA, 4.5}, {appB, 5.5}};
    EXPECT_EQ(result, Result::ok(written));
    EXPECT_EQ(run(reorderer.readTable()), Result::ok(written));
    EXPECT_EQ(layout.storedTable()->at("status:com.example.flag::Item-0"), PropertyListValue::boolean(false));
    EXPECT_EQ(layout.storedTable()->at("status:com.example.nan::Item-0"), PropertyListValue::real(nan));
    // The menu bar saw the new table.
    EXPECT_EQ(layout.desktop->layoutTable(), written);
}

TEST_F(ItemReordererTest, AChangedTableIsLeftByteForByte) {
    storeUsualTable();
    const auto before = layout.fileBytes();
    auto stale = usualNumbers;
    stale[appB] = 4.0000001;
    EXPECT_EQ(run(reorderer.write({{appA, 1}}, stale)),
              Result::unavailable(UnavailableReason::layoutChanged));
    EXPECT_EQ(layout.fileBytes(), before);
}

TEST_F(ItemReordererTest, AnEntryThatReadsBackDifferentlyIsRejectedAndStaysStored) {
    storeUsualTable();
    // The system keeps positions in single precision.
    layout.preferences->transformSet = [](PropertyListValue value) {
        Dictionary table = *value.dictionaryValue();
        for (auto& [key, entry] : table) {
            if (auto real = entry.realValue()) {
                entry = PropertyListValue::real(static_cast<float>(*real));
            }
        }
        return PropertyListValue(table);
    };
    EXPECT_EQ(run(reorderer.write({{appA, 0.1}}, usualNumbers)),
              Result::unavailable(UnavailableReason::layoutWriteRejected));
    EXPECT_EQ(layout.storedTable()->at(appA), PropertyListValue::real(static_cast<float>(0.1)));

    // Positions that survive the rounding read back exactly.
    EXPECT_EQ(run(reorderer.readTable())->value()->at(appA), static_cast<float>(0.1));
    const auto table = *run(reorderer.readTable())->value();
    EXPECT_TRUE(run(reorderer.write({{appA, 0.25}}, table))->isOk());
}

TEST_F(ItemReordererTest, NonFinitePositionsAreNeverWritten) {
    storeUsualTable();
    const auto before = layout.fileBytes();
    for (double position : {nan, std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(run(reorderer.write({{appA, 1}, {appB, position}}, usualNumbers)),
                  Result::unavailable(UnavailableReason::layoutWriteRejected));
        EXPECT_EQ(layout.fileBytes(), before);
    }
}

TEST_F(ItemReordererTest, ANonFiniteStoredPositionDoesNotBlockLaterWrites) {
    storeUsualTable();
    const auto first = run(reorderer.write({{appA, 7}}, usualNumbers));
    ASSERT_TRUE(first && first->isOk());
    EXPECT_TRUE(run(reorderer.write({{appA, 8}}, *first->value()))->isOk());
}

// The system's file, with one key beside the planned ones made as the test says.
std::string layoutFileWithKey(const std::string& odd, bool utf16) {
    pellacor::testing::BinaryPlistBuilder plist;
    const auto oddKey = utf16 ? plist.utf16(std::u16string(odd.begin(), odd.end())) : plist.ascii(odd);
    const auto table = plist.dictionary(
        {{oddKey, plist.real(9)}, {plist.ascii(appA), plist.real(6)}, {plist.ascii(appB), plist.real(4)}});
    return plist.bytes(plist.dictionary({{plist.ascii("TrailingItemPreferredPositions"), table},
                                         {plist.ascii("OtherSetting"), plist.ascii("kept")}}));
}

TEST_F(ItemReordererTest, AHostileKeyNeitherStopsTheProgramNorGetsRewritten) {
    // A NUL inside a key makes the whole file unreadable: the table is missing.
    layout.storeFileBytes(layoutFileWithKey(std::string("status:a\0b::x", 13), true));
    EXPECT_EQ(run(reorderer.readTable()), Result::unavailable(UnavailableReason::layoutTableMissing));
    EXPECT_EQ(run(reorderer.write({{appA, 1}}, {})),
              Result::unavailable(UnavailableReason::layoutTableMissing));

    // A key that is not UTF-8 reads whole, but writing it back would cut it
    // ("status:caf"): the write is refused and the file stays as it was.
    const std::string latin1 = "status:caf\xe9::x";
    const auto bytes = layoutFileWithKey(latin1, false);
    layout.storeFileBytes(bytes);
    const core::LayoutTable stored{{latin1, 9}, {appA, 6}, {appB, 4}};
    EXPECT_EQ(run(reorderer.readTable()), Result::ok(stored));
    EXPECT_EQ(run(reorderer.write({{appA, 1}, {appB, 2}}, stored)),
              Result::unavailable(UnavailableReason::layoutWriteRejected));
    EXPECT_EQ(layout.fileBytes(), bytes);
    MenuBarLayoutShim shim(layout.preferences, layout.fileManager);
    EXPECT_EQ(shim.write({{appA, 1}}, stored), MenuBarLayoutShim::WriteResult::refused());
    EXPECT_EQ(run(reorderer.readTable()), Result::ok(stored)) << "nothing is left pending either";
}

TEST_F(ItemReordererTest, WritesRunOneAtATimeOnTheReordererQueue) {
    EXPECT_EQ(ItemReorderer::queueLabel(), "app.trayvane.pellacor.reorderer");
    storeUsualTable();
    std::mutex mutex;
    std::set<std::string> threads;
    layout.preferences->transformSet = [&](PropertyListValue value) {
        char name[16] = {};
        pthread_getname_np(pthread_self(), name, sizeof name);
        std::lock_guard lock(mutex);
        threads.insert(name);
        return value;
    };
    // Two reorderers over the one queue whose writers both read the same table: the
    // second write waits for the first and then finds the table changed.
    ItemReorderer other(queue, layout.preferences, layout.fileManager);
    auto first = concurrency::spawn(executor, reorderer.write({{appA, 1}}, usualNumbers));
    auto second = concurrency::spawn(executor, other.write({{appB, 2}}, usualNumbers));
    ASSERT_TRUE(executor.runUntil([&] { return first.isFinished() && second.isFinished(); }));
    EXPECT_TRUE(first.result()->isOk());
    EXPECT_EQ(second.result(), Result::unavailable(UnavailableReason::layoutChanged));
    EXPECT_EQ(threads,
              std::set<std::string>{concurrency::SerialQueue::threadName(ItemReorderer::queueLabel())});
}

} // namespace
} // namespace PELLACOR_TEST_FILE
