#pragma once

#include <map>
#include <string>

namespace pellacor::core {

// The system menu bar's layout table: item key ("status:" + owner bundle
// identifier + "::" + item name) to position. A larger position is further left;
// the program's control item divides hidden items (left of it) from shown ones.
// The planners ignore entries whose position is not finite: the system's table
// can only be trusted for numbers it can order.
using LayoutTable = std::map<std::string, double>;

} // namespace pellacor::core
