#include "MenuBarCore/Support/FilePath.h"

#include <algorithm>
#include <system_error>

namespace pellacor::core {

std::filesystem::path standardizedPath(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path result = std::filesystem::weakly_canonical(path, error);
    if (error) {
        result = std::filesystem::absolute(path, error).lexically_normal();
    }
    if (!result.has_filename() && result.has_relative_path()) {
        result = result.parent_path();
    }
    return result;
}

bool isWithinFolder(const std::filesystem::path& path, const std::filesystem::path& folder) {
    const auto p = standardizedPath(path);
    const auto f = standardizedPath(folder);
    return std::mismatch(f.begin(), f.end(), p.begin(), p.end()).first == f.end();
}

} // namespace pellacor::core
