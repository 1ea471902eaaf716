// The menu bar's preference file as the layout table access sees it, through
// the simulated preferences: any file gives a table or none, and a write that
// moves every item by one either stores exactly the planned entries beside every
// other entry unchanged, or leaves the file byte for byte as it was and the
// table read as it was before.
#include "MenuBarSystem/Private/MenuBarLayoutShim.h"
#include "Platform/PropertyListFile.h"
#include "Platform/Simulated/MenuBarLayoutFile.h"
#include "Platform/Simulated/SimulatedDesktop.h"
#include "Platform/Simulated/SimulatedFileManager.h"
#include "Platform/Simulated/SimulatedPreferencesDomain.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

using namespace pellacor;
using platform::PropertyListFile;
using platform::PropertyListValue;

namespace {

struct Home {
    Home() {
        // In memory where there is such a folder: every write flushes to the disk.
        const bool memory = std::filesystem::is_directory("/dev/shm");
        std::string pattern =
            memory ? "/dev/shm/pellacor-fuzz-layout-XXXXXX" : "/tmp/pellacor-fuzz-layout-XXXXXX";
        folder = ::mkdtemp(pattern.data());
        desktop->setHomeFolder(folder);
        desktop->setMenuBarContainerGranted(true);
        file = platform::MenuBarLayoutFile::location(folder);
        std::filesystem::create_directories(file.parent_path());
    }
    ~Home() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::string bytes() const {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    std::filesystem::path folder;
    std::filesystem::path file;
    std::shared_ptr<platform::SimulatedDesktop> desktop = std::make_shared<platform::SimulatedDesktop>();
};

PropertyListValue::Dictionary tableIn(const std::string& bytes) {
    auto contents = PropertyListFile::decode(bytes);
    if (!contents) {
        return {};
    }
    auto table = contents->find(std::string(system::MenuBarLayoutShim::preferencesKey));
    if (table == contents->end() || table->second.dictionaryValue() == nullptr) {
        return {};
    }
    return *table->second.dictionaryValue();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Home home;
    const std::string before(reinterpret_cast<const char*>(data), size);
    std::ofstream(home.file, std::ios::binary | std::ios::trunc) << before;

    // A fresh domain each time, so that nothing stays pending from the last input.
    system::MenuBarLayoutShim shim(std::make_shared<platform::SimulatedPreferencesDomain>(home.desktop),
                                   std::make_shared<platform::SimulatedFileManager>(home.desktop));
    const auto table = shim.readTable();
    if (!table) {
        return 0;
    }
    core::LayoutTable planned;
    for (const auto& [key, position] : *table) {
        planned.emplace(key, position + 1);
    }
    const auto result = shim.write(planned, *table);
    const std::string after = home.bytes();
    if (result.kind() != system::MenuBarLayoutShim::WriteResult::Kind::written) {
        // A write that did not happen is never read back.
        if (after != before || shim.readTable() != table) {
            std::abort();
        }
        return 0;
    }
    auto expected = tableIn(before);
    for (const auto& [key, position] : planned) {
        expected.insert_or_assign(key, PropertyListValue::real(position));
    }
    if (tableIn(after) != expected || result.readBack() != planned) {
        std::abort();
    }
    return 0;
}
