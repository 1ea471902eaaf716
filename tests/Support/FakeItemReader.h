#pragma once

#include "MenuBarSystem/Reading/ItemReading.h"
#include "Support/FakeCallLog.h"
#include "Support/ScriptedReplies.h"

#include <fmt/format.h>
#include <fmt/ranges.h>
#include <set>
#include <string>
#include <vector>

namespace pellacor::testing {

// The item reader the coordinator reads through. Unscripted reads answer
// `items` (a read by owners keeps only theirs).
class FakeItemReader final : public system::ItemReading {
public:
    explicit FakeItemReader(concurrency::MainExecutor& executor) : allReads(executor), ownerReads(executor) {}

    std::vector<core::ItemSnapshot> items;
    ScriptedReplies<Result> allReads;
    ScriptedReplies<Result> ownerReads;
    FakeCallLog log;

    concurrency::Task<Result> readItems() override {
        log.note("readItems");
        return allReads.next(Result::ok(items));
    }
    concurrency::Task<Result> readItems(std::set<std::string> owners) override {
        log.note(fmt::format("readItems({})", fmt::join(owners, ", ")));
        return ownerReads.next(keepingOwners(Result::ok(items), owners));
    }
};

} // namespace pellacor::testing
