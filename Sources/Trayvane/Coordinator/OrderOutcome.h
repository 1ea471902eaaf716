#pragma once

#include <string>

namespace pellacor::coordinator {

// The result of one request to write the layout order.
class OrderOutcome {
public:
    enum class Kind {
        written,            // the table was written; `count` entries changed
        unchanged,          // the table already gives the wanted order, or there was nothing to place
        needsFolder,        // the layout table's folder has not been granted
        noControl,          // no single key of the table can be the control item
        failed,             // reading or writing failed, or the table moved twice
        skipped,            // not carried out now
        changedBeforeWrite, // the table moved between reading and writing (one attempt only)
    };

    static OrderOutcome written(int count) { return OrderOutcome(Kind::written, count); }
    static OrderOutcome unchanged() { return OrderOutcome(Kind::unchanged); }
    static OrderOutcome needsFolder() { return OrderOutcome(Kind::needsFolder); }
    static OrderOutcome noControl() { return OrderOutcome(Kind::noControl); }
    static OrderOutcome failed() { return OrderOutcome(Kind::failed); }
    static OrderOutcome skipped() { return OrderOutcome(Kind::skipped); }
    static OrderOutcome changedBeforeWrite() { return OrderOutcome(Kind::changedBeforeWrite); }

    Kind kind() const { return kind_; }
    // The number of changed entries of `written`; 0 otherwise.
    int count() const { return count_; }

    // Same case and, for `written`, the same count.
    bool operator==(const OrderOutcome&) const = default;

private:
    explicit OrderOutcome(Kind kind, int count = 0) : kind_(kind), count_(count) {}

    Kind kind_;
    int count_ = 0;
};

// For logs: "written(3)", "skipped".
std::string toString(const OrderOutcome& outcome);

} // namespace pellacor::coordinator
