#pragma once

#include "Platform/FileManager.h"
#include "Platform/Workspace.h"

#include <map>
#include <memory>
#include <string>

namespace pellacor::app {

// The display name of an application, by bundle identifier, for every panel
// and page: the running application's own name first, then the name of its
// bundle on disk. A name found is kept for the whole run; an identifier that no
// installed application has is answered with itself and looked up again on
// the next call, so an application installed later is named. Main thread only.
class AppLookup {
public:
    AppLookup(std::shared_ptr<const platform::Workspace> workspace,
              std::shared_ptr<const platform::FileManager> fileManager);

    // Never fails: the worst answer is the bundle identifier itself.
    std::string name(const std::string& bundleID);

private:
    std::shared_ptr<const platform::Workspace> workspace_;
    std::shared_ptr<const platform::FileManager> fileManager_;
    // Only ever added to.
    std::map<std::string, std::string> names_;
};

} // namespace pellacor::app
