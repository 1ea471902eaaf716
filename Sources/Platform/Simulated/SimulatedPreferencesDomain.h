#pragma once

#include "Platform/PreferencesDomain.h"
#include "Platform/PreferencesObserving.h"
#include "Platform/PropertyListFile.h"
#include "Platform/Simulated/SimulatedDesktop.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

namespace pellacor::platform {

// The preferences of the simulated desktop, kept in real property-list files: a
// domain is the absolute path of its file (other names are not supported: they
// read nothing and never synchronise). A read goes to the file each time, after
// the values set and not yet synchronised. Synchronising merges those into the
// file's current contents and replaces the file atomically in the binary form,
// creating its folders; a file that exists but cannot be read is never
// overwritten (the synchronise fails), and is logged as an error with its path
// and the reason, once until it reads again. Files the program has no access to
// (see SimulatedDesktop::isAccessible) read nothing and do not synchronise. A
// synchronise that fails drops the domain's pending values, so reads go back
// to what the file holds.
//
// After every successful synchronise the desktop re-reads its layout table, so
// a layout written through the menu bar's domain shows on the simulated bar.
//
// Observations see what reads see: after each set and each synchronise of a
// domain, every observer of one of its keys whose value now reads differently
// hears of it, on the thread that made the change.
class SimulatedPreferencesDomain final : public PreferencesDomain, public PreferencesObserving {
public:
    explicit SimulatedPreferencesDomain(std::shared_ptr<SimulatedDesktop> desktop);
    ~SimulatedPreferencesDomain() override;

    std::optional<PropertyListValue> copyValue(const std::string& key, const std::string& domain) override;
    void setValue(const std::string& key, std::optional<PropertyListValue> value,
                  const std::string& domain) override;
    bool synchronize(const std::string& domain) override;

    std::unique_ptr<Observation> observeValue(const std::string& key, const std::string& domain,
                                              Handler onChange) override;

private:
    using Changes = std::map<std::string, std::optional<PropertyListValue>>;
    class ValueObservation;
    struct Observer;

    // The file's contents; logs a file that cannot be read. Called with mutex_ held.
    PropertyListFile::ReadResult read(const std::filesystem::path& file);
    bool store(const std::filesystem::path& file, const Changes& changes);
    void tellObservers(const std::string& domain);

    std::shared_ptr<SimulatedDesktop> desktop_;
    std::mutex mutex_; // held across file access, so one domain call runs at a time
    std::map<std::string, Changes> pending_;
    std::set<std::string> reportedUnreadable_; // files logged as unreadable since they last read
    std::mutex observersMutex_;                // never held while a handler runs or mutex_ is taken
    std::map<std::uint64_t, std::shared_ptr<Observer>> observers_;
    std::uint64_t nextObserver_ = 1;
};

} // namespace pellacor::platform
