#pragma once

#include "Platform/FileManager.h"
#include "Platform/HotkeyManager.h"
#include "Platform/LoginItemService.h"
#include "Platform/PreferencesDomain.h"
#include "Platform/RuntimeLoader.h"

#include <memory>

namespace pellacor::platform {

// The platform interfaces the program's services are built over. The
// application delegate fills it from one implementation (the simulated
// desktop) and hands each service the interfaces it needs.
struct PlatformServices {
    std::shared_ptr<RuntimeLoader> runtimeLoader;
    std::shared_ptr<HotkeyManager> hotkeyManager;
    std::shared_ptr<LoginItemService> loginItemService;
    std::shared_ptr<PreferencesDomain> preferencesDomain;
    std::shared_ptr<FileManager> fileManager;
};

} // namespace pellacor::platform
