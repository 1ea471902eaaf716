#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace pellacor::testing {

// A fresh folder under the system's temporary directory, removed with everything
// in it when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Writes text to a file below the folder, creating parent folders.
    std::filesystem::path write(const std::string& relative, const std::string& contents) const;
    // Reads a whole file as bytes; empty when it cannot be read.
    static std::string read(const std::filesystem::path& file);
    // The names of everything directly inside a folder, sorted.
    static std::vector<std::string> entries(const std::filesystem::path& folder);

private:
    std::filesystem::path path_;
};

} // namespace pellacor::testing
