#include "Concurrency/ManualExecutor.h"
#include "OffscreenApplication.h"
#include "Trayvane/Settings/GeneralModel.h"
#include "Trayvane/Settings/ProfilesModel.h"
#include "Trayvane/Settings/RulesModel.h"
#include "Trayvane/Settings/SectionsModel.h"
#include "Trayvane/Settings/SettingsWindowController.h"

#include <QApplication>
#include <QLayout>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <memory>

using namespace pellacor;
using namespace pellacor::core;
using namespace std::chrono_literals;

namespace {

// The settings' models with a hundred running applications of one item each,
// spread over the three sections, and two screens.
struct Models {
    std::shared_ptr<app::SectionsModel> sections;
    std::shared_ptr<app::ProfilesModel> profiles = std::make_shared<app::ProfilesModel>();
    std::shared_ptr<app::RulesModel> rules = std::make_shared<app::RulesModel>();
    std::shared_ptr<app::GeneralModel> general = std::make_shared<app::GeneralModel>();
    std::set<std::string> running;
    std::vector<Rect> screens{Rect(0, 0, 1512, 982), Rect(1512, 0, 1920, 1080)};
    std::int64_t refreshes = 0;

    explicit Models(int count) {
        std::map<AppKey, Section> assigned;
        std::vector<AppKey> order;
        std::vector<ItemSnapshot> items;
        for (int i = 0; i < count; ++i) {
            const std::string id = fmt::format("com.example.app{}", i);
            assigned.emplace(AppKey(id), i % 5 == 0 ? Section::alwaysHidden
                                         : i % 2    ? Section::hidden
                                                    : Section::shown);
            order.emplace_back(id);
            items.emplace_back(id, 1000 + i, id + ".status", std::nullopt, std::nullopt, 0,
                               Rect(24.0 * i, 0, 24, 24));
            running.insert(id);
        }
        sections = std::make_shared<app::SectionsModel>(
            Profile(Uuid::random(), "ふだん", assigned, order, Section::hidden), "app.trayvane.pellacor");
        sections->update(items, running, std::nullopt);
        sections->refresh(running, screens, std::nullopt);
        profiles->setChoices({{Uuid::random(), "ふだん", true}, {Uuid::random(), "仕事", false}});
    }

    std::shared_ptr<app::SettingsWindowController> controller(concurrency::MainExecutor& executor) {
        auto made = app::SettingsWindowController::create(
            sections, profiles, rules, general,
            app::SettingsWindowController::Services{
                .executor = &executor,
                .now = {},
                .windows = {},
                .pages = {.icons = nullptr,
                          .name = [](const std::string& id) { return "App " + id.substr(15); }},
            });
        // What the shell's refresh does with the page's inputs when the items read changes nothing.
        made->onRefresh = [this] {
            ++refreshes;
            sections->refresh(running, screens, std::nullopt);
        };
        return made;
    }
};

} // namespace

// The first showing of the settings window over a hundred applications: the
// window, the tab bar and the sections page built, laid out and put on screen.
static void BM_SettingsWindowFirstShow(benchmark::State& state) {
    bench::offscreenApplication();
    Models models(static_cast<int>(state.range(0)));
    concurrency::ManualExecutor executor;
    for (auto _ : state) {
        auto controller = models.controller(executor);
        controller->show();
        controller->window()->layout()->activate();
        QApplication::processEvents();
        benchmark::DoNotOptimize(controller->window());
        state.PauseTiming();
        controller->close();
        controller.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SettingsWindowFirstShow)->Arg(100)->Unit(benchmark::kMillisecond);

// One refresh tick of the open window with nothing changed: the window's
// checks and the page's inputs compared; no model may tell its observers.
static void BM_SettingsRefreshTickUnchanged(benchmark::State& state) {
    bench::offscreenApplication();
    Models models(static_cast<int>(state.range(0)));
    concurrency::ManualExecutor executor;
    auto controller = models.controller(executor);
    controller->show();
    QApplication::processEvents();
    int notifications = 0;
    const auto sectionsSubscription =
        models.sections->observers.observe([&notifications](auto&&...) { ++notifications; });
    const auto profilesSubscription =
        models.profiles->observers.observe([&notifications](auto&&...) { ++notifications; });
    const auto navigationSubscription =
        controller->navigation().observers.observe([&notifications] { ++notifications; });
    std::int64_t ticks = 0;
    models.refreshes = 0;
    for (auto _ : state) {
        executor.advanceBy(app::SettingsWindowController::refreshInterval);
        ++ticks;
    }
    state.counters["notifications"] = notifications;
    state.counters["ticks"] = static_cast<double>(ticks);
    state.counters["refreshes"] = static_cast<double>(models.refreshes);
    fmt::print("refresh ticks with nothing changed: {} ticks, {} refreshes, {} model notifications\n", ticks,
               models.refreshes, notifications);
    controller->close();
}
BENCHMARK(BM_SettingsRefreshTickUnchanged)->Arg(100)->Unit(benchmark::kMicrosecond);
