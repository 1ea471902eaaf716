#include "OffscreenApplication.h"
#include "Trayvane/Settings/ProfilesModel.h"
#include "Trayvane/Settings/SectionsModel.h"
#include "Trayvane/Settings/SectionsSettingsView.h"

#include <QApplication>
#include <QLayout>
#include <benchmark/benchmark.h>
#include <fmt/format.h>

using namespace pellacor;
using namespace pellacor::core;

namespace {

// A hundred applications with one item each, spread over the three sections
// (every fifth one hidden for good, every other one hidden), with the
// program's own item and two of Apple's on the bar, all running.
struct Hundred {
    app::SectionsModel model;
    app::ProfilesModel profiles;

    static Profile profile(int count) {
        std::map<AppKey, Section> sections;
        std::vector<AppKey> order;
        for (int i = 0; i < count; ++i) {
            const AppKey app(fmt::format("com.example.app{}", i));
            sections.emplace(app, i % 5 == 0 ? Section::alwaysHidden
                                  : i % 2    ? Section::hidden
                                             : Section::shown);
            order.push_back(app);
        }
        return Profile(Uuid::random(), "ふだん", sections, order, Section::hidden);
    }

    explicit Hundred(int count) : model(profile(count), "app.trayvane.pellacor") {
        std::vector<ItemSnapshot> items;
        std::set<std::string> running;
        auto add = [&](const std::string& owner, int index) {
            items.emplace_back(owner, 1000 + index, owner + ".status", std::nullopt, std::nullopt, 0,
                               Rect(24.0 * index, 0, 24, 24));
            running.insert(owner);
        };
        for (int i = 0; i < count; ++i) {
            add(fmt::format("com.example.app{}", i), i);
        }
        add("com.apple.clock", count);
        add("com.apple.weather", count + 1);
        add("app.trayvane.pellacor", count + 2);
        model.update(items, running, std::nullopt);
    }
};

app::SectionRowView::NameLookup names() {
    return [](const std::string& id) { return "App " + id.substr(15); };
}

// Laid out as a window of the settings' size would lay it out.
void layOut(app::SectionsSettingsView& page) {
    page.resize(620, 800);
    page.widget()->layout()->activate();
}

} // namespace

// The page made from a model of N applications: every band, row, label and
// menu button built and laid out, as when the settings window first shows it.
static void BM_SectionsPageBuild(benchmark::State& state) {
    bench::offscreenApplication();
    Hundred hundred(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        app::SectionsSettingsView page(hundred.model, hundred.profiles, nullptr, names());
        layOut(page);
        benchmark::DoNotOptimize(page.widget());
    }
}
BENCHMARK(BM_SectionsPageBuild)->Arg(100)->Unit(benchmark::kMillisecond);

// One application moved to another section, as a drop on a band does: the
// model's edit, the page handing every band its rows again, and the layout.
static void BM_SectionsPageRebuildAfterMove(benchmark::State& state) {
    bench::offscreenApplication();
    Hundred hundred(static_cast<int>(state.range(0)));
    app::SectionsSettingsView page(hundred.model, hundred.profiles, nullptr, names());
    layOut(page);
    bool there = false;
    for (auto _ : state) {
        hundred.model.move({"com.example.app2"}, there ? Section::shown : Section::alwaysHidden);
        there = !there;
        page.widget()->layout()->activate();
    }
}
BENCHMARK(BM_SectionsPageRebuildAfterMove)->Arg(100)->Unit(benchmark::kMillisecond);

// One application dropped in front of another of a different section, as a
// drop on a row does: a new section and a new order in one edit.
static void BM_SectionsPageRebuildAfterReorder(benchmark::State& state) {
    bench::offscreenApplication();
    Hundred hundred(static_cast<int>(state.range(0)));
    app::SectionsSettingsView page(hundred.model, hundred.profiles, nullptr, names());
    layOut(page);
    bool front = false;
    for (auto _ : state) {
        hundred.model.reorder({"com.example.app2"}, front ? "com.example.app40" : "com.example.app3");
        front = !front;
        page.widget()->layout()->activate();
    }
}
BENCHMARK(BM_SectionsPageRebuildAfterReorder)->Arg(100)->Unit(benchmark::kMillisecond);
