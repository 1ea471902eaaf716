#pragma once

#include "MenuBarSystem/Reading/ItemReading.h"
#include "Support/FakeCallLog.h"
#include "Support/ScriptedReplies.h"

#include <fmt/format.h>
#include <fmt/ranges.h>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace pellacor::testing {

// The item reader the coordinator reads through. Unscripted reads answer
// `items` (a read by owners keeps only theirs).
//
// Full reads and reads by owners are scripted apart, and reads by owners once per
// owner set: several quick reads in flight for different applications each take
// their own scripts and can be held and released in any order.
class FakeItemReader final : public system::ItemReading {
public:
    ~FakeItemReader() override;

    explicit FakeItemReader(concurrency::MainExecutor& executor) : allReads(executor), executor_(executor) {}

    std::vector<core::ItemSnapshot> items;
    ScriptedReplies<Result> allReads;
    FakeCallLog log;

    // The replies to reads of exactly these owners.
    ScriptedReplies<Result>& ownerReads(const std::set<std::string>& owners) {
        auto& replies = ownerReads_[owners];
        if (!replies) {
            replies = std::make_unique<ScriptedReplies<Result>>(executor_);
        }
        return *replies;
    }
    ScriptedReplies<Result>& ownerReads(const std::string& owner) { return ownerReads(std::set{owner}); }

    // When the calls with this text ("readItems", "readItems(com.example.app)")
    // were made, in virtual time.
    std::vector<concurrency::Duration> timesOf(const std::string& call) const {
        std::vector<concurrency::Duration> times;
        for (const auto& [text, at] : timeline_) {
            if (text == call) {
                times.push_back(at.time_since_epoch());
            }
        }
        return times;
    }

    concurrency::Task<Result> readItems() override {
        note("readItems");
        return allReads.next(Result::ok(items));
    }
    concurrency::Task<Result> readItems(std::set<std::string> owners) override {
        note(fmt::format("readItems({})", fmt::join(owners, ", ")));
        return ownerReads(owners).next(keepingOwners(Result::ok(items), owners));
    }

private:
    void note(std::string call) {
        timeline_.emplace_back(call, executor_.now());
        log.note(std::move(call));
    }

    concurrency::MainExecutor& executor_;
    std::vector<std::pair<std::string, concurrency::Instant>> timeline_;
    std::map<std::set<std::string>, std::unique_ptr<ScriptedReplies<Result>>> ownerReads_;
};

} // namespace pellacor::testing
