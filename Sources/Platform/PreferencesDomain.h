#pragma once

#include "Platform/PropertyListValue.h"

#include <optional>
#include <string>

namespace pellacor::platform {

// The preferences of the current user on any host, by domain, as the system's
// preferences calls give them: copy a value, set one, synchronise a domain. A
// domain is named by the absolute path of its property-list file.
//
// Values set are held until the domain is synchronised, which stores them in
// the file and makes the file's current contents visible. Reads see values set
// and not yet synchronised. May be called from any thread.
class PreferencesDomain {
public:
    virtual ~PreferencesDomain() = default;

    // The value under key; nothing when absent or the domain cannot be read.
    virtual std::optional<PropertyListValue> copyValue(const std::string& key, const std::string& domain) = 0;
    // Sets (or, with nothing, removes) the value under key, to be stored by the next synchronise.
    virtual void setValue(const std::string& key, std::optional<PropertyListValue> value,
                          const std::string& domain) = 0;
    // Stores the values set since the last synchronise. False when that failed;
    // they are then still pending.
    virtual bool synchronize(const std::string& domain) = 0;
};

} // namespace pellacor::platform
