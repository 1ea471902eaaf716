#include "MenuBarSystem/Reordering/LayoutFolder.h"

namespace pellacor::system {

namespace {

// One spelling per place: links resolved as far as the path exists, "." and ".."
// taken out, no trailing separator.
std::filesystem::path standardized(const std::filesystem::path& path) {
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

} // namespace

LayoutFolder::LayoutFolder(std::shared_ptr<platform::FileManager> fileManager)
    : fileManager_(std::move(fileManager)), cache_(std::make_shared<Cache>()) {}

std::filesystem::path LayoutFolder::url() const {
    std::call_once(cache_->once, [this] { cache_->url = fileManager_->homeDirectory() / homeRelativePath; });
    return cache_->url;
}

bool LayoutFolder::isLayoutFolder(const std::filesystem::path& url) const {
    return standardized(url).string() == standardized(this->url()).string();
}

} // namespace pellacor::system
