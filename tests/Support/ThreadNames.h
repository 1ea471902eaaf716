#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace pellacor::testing {

// The names of this process's threads, one entry per thread.
inline std::vector<std::string> threadNames() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(entry.path() / "comm");
        std::string name;
        std::getline(comm, name);
        names.push_back(name);
    }
    return names;
}

} // namespace pellacor::testing
