#include "Trayvane/Panels/SearchController.h"

#include "Concurrency/ManualExecutor.h"
#include "ProgramOnDesktop.h"
#include "Support/LogCapture.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::SearchController;
using app::SearchModel;
using core::BelowBarEntry;
using core::LogLevel;
using core::SearchCandidate;
using core::Section;

namespace {

// A window that becomes key or not as told, and writes down what it was asked.
class FakeSearchWindow final : public app::SearchWindowing {
public:
    explicit FakeSearchWindow(std::vector<std::string>& events) : events_(events) {}

    bool becomesKey = true;
    std::shared_ptr<SearchModel> presented;

    bool present(std::shared_ptr<SearchModel> model) override {
        events_.push_back("present");
        presented = std::move(model);
        return becomesKey;
    }
    void dismiss() override { events_.push_back("dismiss"); }
    std::string frameDescription() const override { return "(496, 451, 520, 417)"; }

private:
    std::vector<std::string>& events_;
};

SearchCandidate candidate(const std::string& app, int index = 0) {
    return {BelowBarEntry{"com.example." + app, index, 600 + index, std::nullopt}, Section::hidden};
}

std::string nameOf(const std::string& id) {
    return id == "com.example.fern" ? "Fernlight" : id == "com.example.cobalt" ? "Cobaltide" : "Murmurtask";
}

struct SearchControllerTest : ::testing::Test {
    std::vector<std::string> events;
    std::shared_ptr<SearchModel> model = std::make_shared<SearchModel>(nameOf);
    std::shared_ptr<FakeSearchWindow> window = std::make_shared<FakeSearchWindow>(events);
    concurrency::ManualExecutor executor;
    std::shared_ptr<app::IconStore> icons = app::IconStore::create(
        executor, nullptr, pellacor::testing::inlineRuns(), [](const std::optional<std::string>&) {
            return std::optional(QImage(2, 2, QImage::Format_ARGB32_Premultiplied));
        });
    int beeps = 0;
    bool busy = false;
    std::unique_ptr<SearchController> controller = make();
    pellacor::testing::LogCapture log;
    const std::vector<SearchCandidate> three{candidate("fern"), candidate("cobalt"), candidate("murmur")};

    std::unique_ptr<SearchController> make() {
        auto result = std::make_unique<SearchController>(model, window, icons, [this] {
            events.push_back("beep");
            ++beeps;
        });
        result->onPress = [this](const BelowBarEntry& entry) { events.push_back("press " + entry.id()); };
        result->onOpen = [this] { events.push_back("open"); };
        result->isBusy = [this] { return busy; };
        return result;
    }
    // The "app" lines written since the last look, as "level: message".
    std::vector<std::string> lines() {
        auto result = log.lines("app");
        log.clear();
        return result;
    }
};

} // namespace

TEST_F(SearchControllerTest, ShowOpensWithAnEmptyQueryTheFirstRowAndTheIconsOnTheirWay) {
    model->setCandidates({candidate("old")});
    model->setQuery("old");
    controller->show(three);
    EXPECT_TRUE(controller->isOpen());
    EXPECT_EQ(window->presented, model);
    EXPECT_EQ(model->query(), "");
    EXPECT_EQ(model->selection(), 0);
    EXPECT_EQ(model->candidates(), three);
    EXPECT_EQ(model->names().at("com.example.fern"), "Fernlight");
    for (const auto& c : three) {
        EXPECT_TRUE(icons->isLoading(c.entry.bundleID)) << c.id();
    }
    EXPECT_EQ(events, (std::vector<std::string>{"present", "open"}));
    EXPECT_EQ(lines(),
              std::vector<std::string>{"info: 検索の窓を出しました（候補 3 個・キー true・位置 (496, 451, "
                                       "520, 417)）"});

    // Open already: the hot key's second show is ignored, and nothing is logged.
    controller->show({candidate("other")});
    EXPECT_EQ(model->candidates(), three);
    EXPECT_EQ(events.size(), 2U);
    EXPECT_TRUE(lines().empty());
}

TEST_F(SearchControllerTest, APanelThatCannotBecomeKeyIsClosedAtOnceWithoutOnOpen) {
    window->becomesKey = false;
    controller->show(three);
    EXPECT_FALSE(controller->isOpen());
    EXPECT_EQ(events, (std::vector<std::string>{"present", "dismiss"}));
    EXPECT_EQ(lines(), (std::vector<std::string>{
                           "info: 検索の窓を出しました（候補 3 個・キー false・位置 (496, 451, 520, 417)）",
                           "error: 検索の窓がキーになれませんでした。閉じます",
                           "info: 検索の窓を閉じました（キーになれない）"}));
    window->becomesKey = true;
    controller->show(three);
    EXPECT_TRUE(controller->isOpen()) << "the next show tries again";
}

TEST_F(SearchControllerTest, CloseAndUpdateDoNothingWhileClosed) {
    controller->close("司令塔");
    controller->update(three);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(model->candidates().empty());
    EXPECT_TRUE(icons->images().empty() && !icons->isLoading("com.example.fern"))
        << "no icon prefetch either";
    EXPECT_TRUE(lines().empty());

    controller->show(three);
    model->setQuery("m");
    model->setSelection(1);
    lines();
    controller->close("ホットキー");
    EXPECT_FALSE(controller->isOpen());
    EXPECT_EQ(model->query(), "");
    EXPECT_EQ(model->selection(), 0);
    EXPECT_EQ(model->candidates(), three) << "the candidates stay until the next show";
    controller->close("司令塔");
    EXPECT_EQ(lines(), std::vector<std::string>{"info: 検索の窓を閉じました（ホットキー）"}) << "closed once";
    EXPECT_EQ(events, (std::vector<std::string>{"present", "open", "dismiss"}));
}

TEST_F(SearchControllerTest, UpdateWhileOpenKeepsTheQueryAndTheSelectedItemAndFetchesNewIcons) {
    controller->show(three);
    executor.runUntilIdle();
    model->setQuery("t"); // Fernlight, Cobaltide, Murmurtask all hold a "t"
    model->select(candidate("murmur"));
    const int before = model->selection();
    controller->update({candidate("new"), candidate("murmur"), candidate("fern")});
    EXPECT_EQ(model->query(), "t");
    EXPECT_EQ(model->results().at(static_cast<std::size_t>(model->selection())), candidate("murmur"));
    EXPECT_NE(model->selection(), before);
    EXPECT_TRUE(icons->isLoading("com.example.new"));
}

TEST_F(SearchControllerTest, APressClosesThePanelFirstThenHandsOnTheEntry) {
    controller->show(three);
    model->setQuery("cobalt");
    lines();
    model->submit();
    EXPECT_FALSE(controller->isOpen());
    EXPECT_EQ(events, (std::vector<std::string>{"present", "open", "dismiss", "press com.example.cobalt#0"}));
    EXPECT_EQ(lines(), std::vector<std::string>{"info: 検索の窓を閉じました（押した）"});

    model->submit(); // closed: a late Return presses nothing
    EXPECT_EQ(events.size(), 4U);
}

TEST_F(SearchControllerTest, APressWhileAnEarlierOneIsPendingBeepsAndKeepsEverything) {
    controller->show(three);
    model->setQuery("t");
    model->setSelection(2);
    lines();
    busy = true;
    model->submit();
    EXPECT_TRUE(controller->isOpen());
    EXPECT_EQ(model->query(), "t");
    EXPECT_EQ(model->selection(), 2);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(events, (std::vector<std::string>{"present", "open", "beep"}));
    EXPECT_EQ(lines(),
              std::vector<std::string>{
                  "default: 前に押したのを待っているので、検索の窓を残します（com.example.murmur）"});

    busy = false;
    model->submit();
    EXPECT_EQ(events.back(), "press com.example.murmur#0");

    controller->isBusy = nullptr; // no query set: not busy
    controller->show(three);
    model->submit();
    EXPECT_EQ(events.back(), "press com.example.fern#0");
}

TEST_F(SearchControllerTest, TheUserDismissesOnceWithTheReasonGiven) {
    struct Case {
        const char* what;
        std::function<void()> dismiss;
        std::string reason;
    };
    const std::vector<Case> cases{
        {"Esc in the field", [this] { model->onCancel(); }, "Esc"},
        {"Esc at the panel", [this] { window->onDismissedByUser("Esc"); }, "Esc"},
        {"a click elsewhere", [this] { window->onDismissedByUser("ほかを押した"); }, "ほかを押した"},
    };
    for (const auto& c : cases) {
        controller->show(three);
        lines();
        c.dismiss();
        c.dismiss();
        EXPECT_FALSE(controller->isOpen()) << c.what;
        EXPECT_EQ(lines(), std::vector<std::string>{"info: 検索の窓を閉じました（" + c.reason + "）"})
            << c.what;
    }
}

TEST_F(SearchControllerTest, TheClosuresHandedOutGoWithTheController) {
    controller.reset();
    EXPECT_FALSE(model->onPress);
    EXPECT_FALSE(model->onCancel);
    EXPECT_FALSE(window->onDismissedByUser);
}

} // namespace PELLACOR_TEST_FILE
