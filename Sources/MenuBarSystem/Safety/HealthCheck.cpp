#include "MenuBarSystem/Safety/HealthCheck.h"

#include "MenuBarCore/Support/FilePath.h"
#include "MenuBarCore/Text/Text.h"

#include <algorithm>
#include <system_error>

namespace pellacor::system {

HealthCheck::HealthCheck(std::shared_ptr<ItemReading> reader, bool hidingAvailable,
                         std::filesystem::path bundleURL, const std::string& selfBundleID,
                         std::filesystem::path applicationsFolder)
    : reader_(std::move(reader)), hidingAvailable_(hidingAvailable), bundleURL_(std::move(bundleURL)),
      selfBundleID_(core::Text::trimmed(selfBundleID)), applicationsFolder_(std::move(applicationsFolder)) {}

concurrency::Task<HealthReport> HealthCheck::run() const {
    return run(*this);
}

concurrency::Task<HealthReport> HealthCheck::run(HealthCheck check) {
    auto read = co_await check.reader_->readItems();
    co_return check.evaluate(read);
}

HealthReport HealthCheck::evaluate(const ItemReading::Result& read) const {
    HealthReport report;
    if (!isInApplicationsFolder(bundleURL_, applicationsFolder_)) {
        report.problems.push_back(HealthProblem::notInApplicationsFolder);
    }
    if (!hidingAvailable_) {
        report.problems.push_back(HealthProblem::hidingComponentMissing);
    }
    switch (read.kind()) {
    case ItemReading::Result::Kind::unavailable:
        report.problems.push_back(HealthProblem::cannotRead(*read.reason()));
        break;
    case ItemReading::Result::Kind::timeout:
        report.problems.push_back(HealthProblem::readTimedOut);
        break;
    case ItemReading::Result::Kind::ok: {
        const auto items = read.value();
        if (items->empty()) {
            report.problems.push_back(HealthProblem::noItems);
        } else if (std::none_of(items->begin(), items->end(), [this](const core::ItemSnapshot& item) {
                       return item.ownerBundleID() == selfBundleID_;
                   })) {
            report.problems.push_back(HealthProblem::ownItemMissing);
        }
        break;
    }
    }
    return report;
}

bool HealthCheck::isInApplicationsFolder(const std::filesystem::path& url,
                                         const std::filesystem::path& applicationsFolder) {
    // A bundle URL is always absolute; a relative path would be read against
    // whatever the working folder happens to be.
    if (!url.is_absolute() || !applicationsFolder.is_absolute()) {
        return false;
    }
    const std::filesystem::path bundle = core::standardizedPath(url);
    return bundle.extension() == ".app" && bundle.parent_path() == core::standardizedPath(applicationsFolder);
}

std::optional<HealthProblem>
HealthCheck::judgeFirstRestriction(const SystemResult<core::VisibilityPlan>& result) {
    switch (result.kind()) {
    case SystemResult<core::VisibilityPlan>::Kind::unavailable:
        if (*result.reason() == UnavailableReason::hidingComponentMissing) {
            return HealthProblem::hidingComponentMissing;
        }
        return HealthProblem::hidingDidNotTakeEffect;
    case SystemResult<core::VisibilityPlan>::Kind::timeout:
        return HealthProblem::hidingDidNotTakeEffect;
    case SystemResult<core::VisibilityPlan>::Kind::ok:
        if (result.value()->isNoRestriction()) {
            return HealthProblem::hidingDidNotTakeEffect;
        }
        return std::nullopt;
    }
    return HealthProblem::hidingDidNotTakeEffect;
}

} // namespace pellacor::system
