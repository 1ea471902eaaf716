#include "MenuBarSystem/Safety/HealthReport.h"

namespace pellacor::system {

std::string toString(const HealthReport& report) {
    std::string text = "[";
    for (std::size_t i = 0; i < report.problems.size(); ++i) {
        if (i > 0) {
            text += ", ";
        }
        text += toString(report.problems[i]);
    }
    return text + "]";
}

} // namespace pellacor::system
