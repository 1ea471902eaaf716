#include "MenuBarSystem/Private/LayoutFolder.h"

#include "MenuBarCore/Support/FilePath.h"

namespace pellacor::system {

LayoutFolder::LayoutFolder(std::shared_ptr<platform::FileManager> fileManager)
    : fileManager_(std::move(fileManager)), cache_(std::make_shared<Cache>()) {}

std::filesystem::path LayoutFolder::url() const {
    std::call_once(cache_->once, [this] { cache_->url = fileManager_->homeDirectory() / homeRelativePath; });
    return cache_->url;
}

bool LayoutFolder::isLayoutFolder(const std::filesystem::path& url) const {
    return core::standardizedPath(url).string() == core::standardizedPath(this->url()).string();
}

} // namespace pellacor::system
