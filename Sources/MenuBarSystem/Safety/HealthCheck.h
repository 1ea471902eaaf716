#pragma once

#include "Concurrency/Task.h"
#include "MenuBarCore/Planning/VisibilityPlan.h"
#include "MenuBarSystem/Reading/ItemReading.h"
#include "MenuBarSystem/Safety/HealthChecking.h"
#include "MenuBarSystem/Safety/HealthProblem.h"
#include "MenuBarSystem/Safety/HealthReport.h"
#include "MenuBarSystem/Support/SystemResult.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace pellacor::system {

// The self check at start-up that decides whether hiding may begin, and the
// judgement of the first restriction. A value: it keeps no state and runs on
// the caller's executor.
class HealthCheck final : public HealthChecking {
public:
    // Where applications are installed on the computer the program runs on.
    static constexpr const char* applicationsFolderPath = "/Applications";

    // `reader` must not be null. `selfBundleID` is trimmed of white space and
    // line breaks. `applicationsFolder` is the folder that stands for
    // "/Applications" (another one on the simulated desktop).
    HealthCheck(std::shared_ptr<ItemReading> reader, bool hidingAvailable, std::filesystem::path bundleURL,
                const std::string& selfBundleID,
                std::filesystem::path applicationsFolder = applicationsFolderPath);

    const std::shared_ptr<ItemReading>& reader() const { return reader_; }
    bool hidingAvailable() const { return hidingAvailable_; }
    const std::filesystem::path& bundleURL() const { return bundleURL_; }
    const std::string& selfBundleID() const { return selfBundleID_; }
    const std::filesystem::path& applicationsFolder() const { return applicationsFolder_; }

    // Reads every status item and judges the read.
    concurrency::Task<HealthReport> run() const;

    // In this order: not in the Applications folder; hiding component missing;
    // then what the read shows (refused, timed out, no items, none of our own).
    HealthReport evaluate(const ItemReading::Result& read) const override;

    // Whether the bundle lies directly in the Applications folder: with its links
    // resolved and its path standardised, it must end in ".app" and its parent
    // must be that folder itself (not a subfolder of it, nor another folder).
    static bool
    isInApplicationsFolder(const std::filesystem::path& url,
                           const std::filesystem::path& applicationsFolder = applicationsFolderPath);

    // The judgement of the first restriction after start-up: no problem only when
    // an allow plan was confirmed.
    static std::optional<HealthProblem>
    judgeFirstRestriction(const SystemResult<core::VisibilityPlan>& result);

private:
    static concurrency::Task<HealthReport> run(HealthCheck check);

    std::shared_ptr<ItemReading> reader_;
    bool hidingAvailable_;
    std::filesystem::path bundleURL_;
    std::string selfBundleID_;
    std::filesystem::path applicationsFolder_;
};

} // namespace pellacor::system
