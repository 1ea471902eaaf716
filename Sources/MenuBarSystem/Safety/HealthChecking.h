#pragma once

#include "MenuBarSystem/Reading/ItemReading.h"
#include "MenuBarSystem/Safety/HealthReport.h"

namespace pellacor::system {

// Judges whether hiding may begin, from one read of the status items.
class HealthChecking {
public:
    virtual ~HealthChecking() = default;

    virtual HealthReport evaluate(const ItemReading::Result& read) const = 0;

protected:
    HealthChecking() = default;
    HealthChecking(const HealthChecking&) = default;
    HealthChecking& operator=(const HealthChecking&) = default;
};

} // namespace pellacor::system
