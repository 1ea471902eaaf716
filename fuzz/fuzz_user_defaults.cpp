// The program's own preference file, as its user defaults read it through the
// simulated preferences: any bytes give every key's typed reads the value the
// file holds (or nothing when it cannot be read), the switches and the launch
// decision read without fault, and a write either stores exactly what was
// written beside every other entry unchanged, as a later process reads it, or
// reports failure and leaves the file byte for byte as it was.
#include "MenuBarCore/Support/Log.h"
#include "Platform/PropertyListFile.h"
#include "Platform/Simulated/SimulatedDesktop.h"
#include "Platform/Simulated/SimulatedPreferencesDomain.h"
#include "Trayvane/Common/DefaultsKey.h"
#include "Trayvane/Common/UserDefaults.h"
#include "Trayvane/Launch/LaunchPreferences.h"
#include "Trayvane/Settings/RevealPreferences.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

using namespace pellacor;
using app::DefaultsKey;
using app::UserDefaults;
using platform::PropertyListFile;
using platform::PropertyListValue;

namespace {

struct Home {
    Home() {
        // In memory where there is such a folder: every write goes to the disk.
        const bool memory = std::filesystem::is_directory("/dev/shm");
        std::string pattern =
            memory ? "/dev/shm/pellacor-fuzz-defaults-XXXXXX" : "/tmp/pellacor-fuzz-defaults-XXXXXX";
        folder = ::mkdtemp(pattern.data());
        file = UserDefaults::domainFile(folder, "app.trayvane.pellacor");
        std::filesystem::create_directories(file.parent_path());
        desktop->setHomeFolder(folder);
        // Every unreadable input is logged; the lines would only slow the run.
        core::Log::setSinks({});
    }
    ~Home() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // The domain as a process started now sees it: nothing pending.
    UserDefaults defaults() const {
        return {std::make_shared<platform::SimulatedPreferencesDomain>(desktop), file};
    }

    std::string bytes() const {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    void put(std::string_view bytes) const {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    std::filesystem::path folder;
    std::filesystem::path file;
    std::shared_ptr<platform::SimulatedDesktop> desktop = std::make_shared<platform::SimulatedDesktop>();
};

constexpr std::array<const char*, 10> programKeys = {
    DefaultsKey::confirmedOSVersion,         DefaultsKey::loginItemDefaultApplied,
    DefaultsKey::hoverRevealEnabled,         DefaultsKey::belowBarEnabled,
    DefaultsKey::userSwitcherStandInEnabled, DefaultsKey::dragSortEnabled,
    DefaultsKey::notchOverflowEnabled,       DefaultsKey::realUserSwitcherInBar,
    DefaultsKey::realUserSwitcherWidth,      DefaultsKey::standInPreferredPosition,
};

void check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

// Every typed read of `key` agrees with the value the file holds there.
void checkReads(const UserDefaults& defaults, const std::string& key,
                const std::optional<PropertyListValue>& expected) {
    check(defaults.object(key) == expected);
    const std::string* text = expected ? expected->stringValue() : nullptr;
    check(defaults.string(key) == (text ? std::optional<std::string>(*text) : std::nullopt));
    check(defaults.boolValue(key) == (expected ? expected->booleanValue() : std::nullopt));
    std::optional<double> number;
    if (expected && expected->realValue()) {
        number = expected->realValue();
    } else if (expected && expected->integerValue()) {
        number = static_cast<double>(*expected->integerValue());
    }
    const auto read = defaults.number(key);
    check(read.has_value() == number.has_value());
    // Bit for bit, so a NaN read back counts as the NaN stored.
    check(!read || std::bit_cast<std::uint64_t>(*read) == std::bit_cast<std::uint64_t>(*number));
    check(defaults.boolean(key) == (expected && UserDefaults::booleanOf(*expected)));
}

std::optional<PropertyListValue> entry(const PropertyListValue::Dictionary& dictionary,
                                       const std::string& key) {
    const auto found = dictionary.find(key);
    return found == dictionary.end() ? std::nullopt : std::optional(found->second);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Home home;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    home.put(input);
    const auto original = PropertyListFile::read(home.file);
    const bool readable = original.status == PropertyListFile::ReadResult::Status::ok;
    const PropertyListValue::Dictionary contents =
        readable ? original.dictionary : PropertyListValue::Dictionary{};

    auto defaults = home.defaults();
    // Every read goes to the file, so a few of its own keys stand for the rest.
    std::vector<std::string> keys(programKeys.begin(), programKeys.end());
    for (const auto& [key, value] : contents) {
        if (keys.size() >= programKeys.size() + 8) {
            break;
        }
        keys.push_back(key);
    }
    for (const auto& key : keys) {
        checkReads(defaults, key, entry(contents, key));
    }
    const app::RevealPreferences reveal(defaults);
    (void)reveal.realUserSwitcherWidth();
    (void)reveal.realUserSwitcherInBar();
    (void)reveal.userSwitcherStandIn();
    (void)reveal.dragSort();
    (void)reveal.notchOverflow();
    const app::LaunchPreferences launch(defaults);
    (void)launch.pauseReasonAtLaunch(size % 2 == 0, "26.1");

    // One write of each kind, its value taken from the input: a program key,
    // and (when the file holds any) one of the file's own keys.
    const std::uint8_t first = size > 0 ? data[0] : 0;
    std::string key = programKeys[first % programKeys.size()];
    if (!contents.empty() && (first & 0x80) != 0) {
        key = contents.begin()->first;
    }
    double real = 0;
    std::memcpy(&real, data + (size >= sizeof real ? size - sizeof real : 0), std::min(size, sizeof real));
    PropertyListValue value = PropertyListValue::boolean((first & 1) != 0);
    switch (first % 3) {
    case 0:
        break;
    case 1:
        value = PropertyListValue(std::string(input.substr(0, std::min<std::size_t>(size, 40))));
        break;
    default:
        value = PropertyListValue::real(real);
        break;
    }

    const std::string before = home.bytes();
    bool written = false;
    if (const auto* text = value.stringValue()) {
        written = defaults.setString(key, *text);
    } else if (auto real = value.realValue()) {
        written = defaults.setNumber(key, *real);
    } else {
        written = defaults.setBool(key, *value.booleanValue());
    }

    auto expected = contents;
    if (written) {
        check(readable || original.status == PropertyListFile::ReadResult::Status::missing);
        expected.insert_or_assign(key, value);
    } else {
        check(home.bytes() == before);
    }
    // What was written reads back in this process and in the next, beside
    // every other entry as it was.
    const auto later = home.defaults();
    for (const auto& name : keys) {
        if (readable || written) {
            checkReads(defaults, name, entry(expected, name));
            checkReads(later, name, entry(expected, name));
        } else {
            checkReads(later, name, std::nullopt);
        }
    }
    checkReads(later, key, readable || written ? entry(expected, key) : std::nullopt);
    if (written) {
        const auto stored = PropertyListFile::read(home.file);
        check(stored.status == PropertyListFile::ReadResult::Status::ok && stored.dictionary == expected);
    }
    return 0;
}
