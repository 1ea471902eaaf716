#include "Platform/Simulated/SimulatedLoginWindow.h"

#include "Platform/Simulated/SimulatedRuntimeLoader.h"

#include <string>

namespace pellacor::platform {

std::shared_ptr<SimulatedLoginWindow> SimulatedLoginWindow::create() {
    return std::shared_ptr<SimulatedLoginWindow>(new SimulatedLoginWindow());
}

void SimulatedLoginWindow::install(SimulatedRuntimeLoader& loader) {
    const std::string library(libraryPath);
    loader.registerLibrary(library);
    std::weak_ptr<SimulatedLoginWindow> weak = weak_from_this();
    // A function that outlives the framework object fails like a broken one.
    loader.registerFunction(library, std::string(switchFunctionName), [weak]() -> std::int32_t {
        auto framework = weak.lock();
        return framework ? framework->switchToLoginWindow() : -1;
    });
}

std::int32_t SimulatedLoginWindow::switchToLoginWindow() {
    ++calls_;
    const std::int32_t status = result_;
    if (status == 0) {
        ++switches_;
    }
    return status;
}

} // namespace pellacor::platform
