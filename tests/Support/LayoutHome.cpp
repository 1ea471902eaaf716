#include "Support/LayoutHome.h"

#include "Platform/PropertyListFile.h"
#include "Platform/Simulated/MenuBarLayoutFile.h"

#include <fstream>
#include <stdexcept>

namespace pellacor::testing {

using platform::MenuBarLayoutFile;
using platform::PropertyListFile;
using platform::PropertyListValue;

LayoutHome::LayoutHome() {
    desktop->setHomeFolder(dir_.path());
    desktop->setMenuBarContainerGranted(true);
}

std::filesystem::path LayoutHome::layoutFile() const {
    return MenuBarLayoutFile::location(dir_.path());
}

void LayoutHome::storeValue(const PropertyListValue& value) const {
    std::filesystem::create_directories(layoutFile().parent_path());
    PropertyListValue::Dictionary contents{{std::string(MenuBarLayoutFile::positionsKey), value},
                                           {"OtherSetting", PropertyListValue("kept")}};
    if (!PropertyListFile::write(layoutFile(), contents)) {
        throw std::runtime_error("cannot write " + layoutFile().string());
    }
    desktop->reloadLayoutTable();
}

void LayoutHome::storeTable(const PropertyListValue::Dictionary& table) const {
    storeValue(PropertyListValue(table));
}

std::optional<PropertyListValue::Dictionary> LayoutHome::storedTable() const {
    auto contents = PropertyListFile::read(layoutFile()).dictionary;
    auto value = contents.find(std::string(MenuBarLayoutFile::positionsKey));
    if (value == contents.end() || value->second.dictionaryValue() == nullptr) {
        return std::nullopt;
    }
    return *value->second.dictionaryValue();
}

void LayoutHome::storeFileBytes(const std::string& bytes) const {
    std::filesystem::create_directories(layoutFile().parent_path());
    std::ofstream(layoutFile(), std::ios::binary | std::ios::trunc) << bytes;
    desktop->reloadLayoutTable();
}

std::string LayoutHome::fileBytes() const {
    return TempDir::read(layoutFile());
}

} // namespace pellacor::testing
