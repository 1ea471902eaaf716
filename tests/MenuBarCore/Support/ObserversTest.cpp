#include "MenuBarCore/Support/Observers.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using pellacor::core::Observers;
using pellacor::core::Subscription;

TEST(ObserversTest, AnObserverRemovedDuringANotificationIsNotToldLaterInThatRound) {
    Observers<int> observers;
    std::vector<std::string> told;
    Subscription first;
    Subscription second;
    Subscription added;
    first = observers.observe([&](int round) {
        told.push_back("first " + std::to_string(round));
        first.reset();  // itself
        second.reset(); // one not yet told in this round
        added = observers.observe([&](int later) { told.push_back("added " + std::to_string(later)); });
    });
    second = observers.observe([&](int round) { told.push_back("second " + std::to_string(round)); });
    const Subscription third =
        observers.observe([&](int round) { told.push_back("third " + std::to_string(round)); });

    observers.notify(1);
    observers.notify(2);
    EXPECT_EQ(told, (std::vector<std::string>{"first 1", "third 1", "third 2", "added 2"}))
        << "one added during a round is first told in the next";
    EXPECT_EQ(observers.count(), 2U);
}

TEST(ObserversTest, ASubscriptionUnsubscribesWhenItGoesAwayAndMayOutliveTheList) {
    auto observers = std::make_unique<Observers<>>();
    int told = 0;
    {
        const Subscription scoped = observers->observe([&] { ++told; });
        observers->notify();
    }
    observers->notify();
    EXPECT_EQ(told, 1);
    EXPECT_EQ(observers->count(), 0U);

    Subscription kept = observers->observe([&] { ++told; });
    Subscription moved = std::move(kept);
    EXPECT_FALSE(kept.isActive()); // NOLINT(bugprone-use-after-move): a moved subscription is empty
    observers->notify();
    EXPECT_EQ(told, 2) << "moved, still one observer";
    observers.reset();
    moved.reset(); // the list is gone: nothing to remove, nothing breaks
    EXPECT_FALSE(moved.isActive());
}

TEST(ObserversTest, AnObserverMayDestroyTheModelItObserves) {
    struct Model {
        Observers<> observers;
    };
    auto model = std::make_unique<Model>();
    int told = 0;
    const Subscription first = model->observers.observe([&] {
        ++told;
        model.reset();
    });
    const Subscription second = model->observers.observe([&] { ++told; });
    model->observers.notify();
    EXPECT_EQ(told, 2) << "the round ends over the list it started with";
}

TEST(ObserversTest, AssignStoresAnEqualValueSilentlyAndTellsADifferentOne) {
    Observers<std::string> observers;
    std::vector<std::string> told;
    const Subscription subscription =
        observers.observe([&](const std::string& what) { told.push_back(what); });
    std::optional<std::string> note;
    std::vector<int> list{1, 2};

    EXPECT_FALSE(observers.assign(note, std::nullopt, "note")) << "two absent values are equal";
    EXPECT_TRUE(observers.assign(note, std::optional<std::string>("a"), "note"));
    EXPECT_FALSE(observers.assign(note, std::optional<std::string>("a"), "note"));
    EXPECT_FALSE(observers.assign(list, std::vector<int>{1, 2}, "list"));
    EXPECT_TRUE(observers.assign(list, std::vector<int>{2, 1}, "list")) << "element by element, in order";
    EXPECT_TRUE(observers.assign(note, std::nullopt, "note"));
    EXPECT_EQ(told, (std::vector<std::string>{"note", "list", "note"}));
    EXPECT_EQ(list, (std::vector<int>{2, 1}));
    EXPECT_FALSE(note);
}

TEST(ObserversTest, ACopiedModelHasNoObserversAndAMovedOneTakesThemAlong) {
    Observers<> original;
    int told = 0;
    const Subscription subscription = original.observe([&] { ++told; });
    const Observers<> copy = original; // NOLINT(performance-unnecessary-copy-initialization)
    copy.notify();
    EXPECT_EQ(told, 0);
    Observers<> moved = std::move(original);
    moved.notify();
    EXPECT_EQ(told, 1);
    original.notify(); // NOLINT(bugprone-use-after-move): emptied, still usable
    EXPECT_EQ(told, 1);
}

} // namespace PELLACOR_TEST_FILE
