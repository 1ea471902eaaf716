#pragma once

#include <filesystem>

namespace pellacor::core {

// One spelling per place on disk: links resolved as far as the path exists, "."
// and ".." taken out, no trailing separator. Paths compared after this are equal
// exactly when they name the same place, however they were written.
std::filesystem::path standardizedPath(const std::filesystem::path& path);

// Whether `path` is `folder` itself or lies below it (both standardised first).
bool isWithinFolder(const std::filesystem::path& path, const std::filesystem::path& folder);

} // namespace pellacor::core
