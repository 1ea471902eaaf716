// Runs the coordinator, composed as the program composes it, over the default
// simulated desktop for ten virtual minutes in each steady state, and prints
// how often timers woke the main executor (and the Command-drag watcher's
// queue), which waits the coordinator's loops asked for, and how many times
// the bar and the layout table were read. Run by hand:
//
//     build/release/bench/pellacor_wakeups [minutes]

#include "MenuBarCore/Support/Log.h"
#include "Platform/Simulated/MenuBarLayoutFile.h"
#include "Support/ComposedDesktop.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

using namespace pellacor;
using namespace std::chrono_literals;
using testing::ComposedDesktop;

namespace {

enum class Steady { collapsedHoverOn, collapsedHoverOff, revealed, paused };

const char* name(Steady steady) {
    switch (steady) {
    case Steady::collapsedHoverOn:
        return "collapsed, hover reveal on";
    case Steady::collapsedHoverOff:
        return "collapsed, hover reveal off";
    case Steady::revealed:
        return "revealed (pointer in the menu bar)";
    case Steady::paused:
        return "paused";
    }
    return "?";
}

// The user's sections: three applications shown, the others hidden.
core::Profile profile() {
    std::map<core::AppKey, core::Section> sections;
    for (const char* app : {"com.example.fernlight", "com.example.murmurtask", "com.example.zephyrin"}) {
        sections[core::AppKey(app)] = core::Section::shown;
    }
    return core::Profile(core::Uuid::random(), "ふだん", std::move(sections), {}, core::Section::hidden);
}

bool measure(Steady steady, concurrency::Duration span) {
    concurrency::ManualExecutor executor;
    ComposedDesktop::Options options;
    options.scenario.home.layoutTable[platform::MenuBarLayoutFile::key(ComposedDesktop::selfID, "Item-0")] =
        10;
    options.profile = profile();
    options.switches.hoverReveal = steady == Steady::collapsedHoverOn;
    ComposedDesktop desktop(executor, std::move(options));
    // The waits the coordinator's own loops ask for, by length.
    auto waits = std::make_shared<std::map<long long, long long>>();
    desktop.composition->clocks.sleep =
        [waits, sleep = desktop.composition->clocks.sleep](concurrency::Duration duration) {
            ++(*waits)[std::chrono::duration_cast<std::chrono::milliseconds>(duration).count()];
            return sleep(duration);
        };
    auto coordinator = desktop.makeCoordinator();
    coordinator->start(std::nullopt);
    if (desktop.runUntil([&] { return coordinator->effectiveState() == core::MenuBarState::collapsed; },
                         60s) != ComposedDesktop::Outcome::done) {
        std::fprintf(stderr, "%s: the coordinator did not collapse\n", name(steady));
        return false;
    }
    switch (steady) {
    case Steady::revealed:
        desktop.simulated->input()->moveMouse({300, desktop.desktop->mainScreen().frame.maxY() - 5});
        coordinator->toggle(false);
        break;
    case Steady::paused:
        coordinator->pause();
        break;
    default:
        break;
    }
    // Whatever start-up and the change set going (placements, rereads) ends first.
    if (desktop.runFor(60s) != ComposedDesktop::Outcome::done) {
        std::fprintf(stderr, "%s: a call never came back\n", name(steady));
        return false;
    }
    const auto state = coordinator->effectiveState();
    desktop.time->executorWakeUps = 0;
    desktop.time->queueWakeUps = 0;
    *desktop.calls = {};
    waits->clear();
    if (desktop.runFor(span) != ComposedDesktop::Outcome::done) {
        std::fprintf(stderr, "%s: a call never came back\n", name(steady));
        return false;
    }
    const double seconds = std::chrono::duration<double>(span).count();
    std::printf("%s (state %s, then %s)\n", name(steady), std::string(core::rawValue(state)).c_str(),
                std::string(core::rawValue(coordinator->effectiveState())).c_str());
    std::printf("  main executor wake-ups: %.2f/s\n",
                static_cast<double>(desktop.time->executorWakeUps) / seconds);
    std::printf("  drag watcher queue wake-ups: %.2f/s\n",
                static_cast<double>(desktop.time->queueWakeUps) / seconds);
    std::printf(
        "  item reads: %.2f/min (full %d, owner %d); layout table reads %d, writes %d; hit tests %d\n",
        desktop.calls->itemReads() / (seconds / 60), desktop.calls->fullReads, desktop.calls->ownerReads,
        desktop.calls->tableReads, desktop.calls->tableWrites, desktop.calls->hitTests);
    std::printf("  the coordinator's waits:");
    for (const auto& [milliseconds, count] : *waits) {
        std::printf(" %lld ms × %.2f/s", milliseconds, static_cast<double>(count) / seconds);
    }
    std::printf("\n");
    coordinator->shutdown();
    desktop.settle();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    core::Log::setSinks({});
    const long minutes = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 10;
    if (minutes <= 0) {
        std::fprintf(stderr, "usage: pellacor_wakeups [minutes]\n");
        return 2;
    }
    std::printf("over %ld virtual minutes in each steady state\n", minutes);
    bool ok = true;
    for (const Steady steady :
         {Steady::collapsedHoverOn, Steady::collapsedHoverOff, Steady::revealed, Steady::paused}) {
        ok = measure(steady, std::chrono::minutes(minutes)) && ok;
    }
    return ok ? 0 : 1;
}
