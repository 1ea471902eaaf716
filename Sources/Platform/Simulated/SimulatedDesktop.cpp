#include "Platform/Simulated/SimulatedDesktop.h"

#include "MenuBarCore/Support/FilePath.h"
#include "Platform/Simulated/MenuBarLayout.h"
#include "Platform/Simulated/MenuBarLayoutFile.h"

#include <algorithm>
#include <limits>
#include <set>

namespace pellacor::platform {

SimulatedDesktop::SimulatedDesktop() : SimulatedDesktop({SimulatedScreen{}}, {}) {}

namespace {

std::chrono::nanoseconds steadyNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

// An application item on the bar under its key in the layout table.
struct KeyedItem {
    std::string key;
    core::Rect frame;
    std::optional<double> preferredPosition;
};

// The application items on the bar that the layout table can hold, right to left.
std::vector<KeyedItem> keyedItems(const std::vector<PlacedStatusItem>& placed,
                                  const std::vector<SimulatedApplication>& apps) {
    std::vector<KeyedItem> keyed;
    for (auto entry = placed.rbegin(); entry != placed.rend(); ++entry) {
        if (entry->item.kind != SimulatedStatusItem::Kind::standard || entry->item.isOverflowChevron ||
            !entry->ownerBundleIdentifier) {
            continue;
        }
        for (const auto& app : apps) {
            if (app.processIdentifier != entry->ownerProcessIdentifier || !app.bundleIdentifier) {
                continue;
            }
            for (std::size_t i = 0; i < app.statusItems.size(); ++i) {
                if (MenuBarLayout::frameOf(placed, app, i) == entry->frame) {
                    keyed.push_back({MenuBarLayoutFile::key(*app.bundleIdentifier,
                                                            MenuBarLayout::itemName(app.statusItems, i)),
                                     entry->frame, app.statusItems[i].preferredPosition});
                    break;
                }
            }
        }
    }
    return keyed;
}

} // namespace

SimulatedDesktop::SimulatedDesktop(std::vector<SimulatedScreen> screens,
                                   std::vector<SimulatedApplication> applications)
    : screens_(std::move(screens)), applications_(std::move(applications)), clock_(steadyNow) {
    if (screens_.empty()) {
        screens_.push_back(SimulatedScreen{});
    }
    for (const auto& app : applications_) {
        addInitialWindowsLocked(app);
    }
}

std::vector<SimulatedScreen> SimulatedDesktop::screens() const {
    std::lock_guard lock(mutex_);
    return screens_;
}

SimulatedScreen SimulatedDesktop::mainScreen() const {
    std::lock_guard lock(mutex_);
    return screens_.front();
}

void SimulatedDesktop::setScreens(std::vector<SimulatedScreen> screens) {
    {
        std::lock_guard lock(mutex_);
        screens_ = std::move(screens);
        if (screens_.empty()) {
            screens_.push_back(SimulatedScreen{});
        }
    }
    notify(Change::screens);
}

std::vector<SimulatedApplication> SimulatedDesktop::applications() const {
    std::lock_guard lock(mutex_);
    return applications_;
}

std::vector<SimulatedApplication> SimulatedDesktop::runningApplications() const {
    std::lock_guard lock(mutex_);
    std::vector<SimulatedApplication> running;
    std::copy_if(applications_.begin(), applications_.end(), std::back_inserter(running),
                 [](const auto& app) { return app.isRunning; });
    return running;
}

std::optional<SimulatedApplication> SimulatedDesktop::application(std::int32_t processIdentifier) const {
    std::lock_guard lock(mutex_);
    for (const auto& app : applications_) {
        if (app.processIdentifier == processIdentifier) {
            return app;
        }
    }
    return std::nullopt;
}

std::optional<SimulatedApplication>
SimulatedDesktop::runningApplication(const std::string& bundleIdentifier) const {
    std::lock_guard lock(mutex_);
    for (const auto& app : applications_) {
        if (app.isRunning && app.bundleIdentifier == bundleIdentifier) {
            return app;
        }
    }
    return std::nullopt;
}

std::vector<SimulatedApplication>::iterator SimulatedDesktop::findLocked(std::int32_t processIdentifier) {
    return std::find_if(applications_.begin(), applications_.end(),
                        [&](const auto& app) { return app.processIdentifier == processIdentifier; });
}

bool SimulatedDesktop::addApplication(SimulatedApplication application) {
    {
        std::lock_guard lock(mutex_);
        if (findLocked(application.processIdentifier) != applications_.end()) {
            return false;
        }
        addInitialWindowsLocked(application);
        applications_.push_back(std::move(application));
    }
    notify(Change::applications);
    return true;
}

bool SimulatedDesktop::setRunning(std::int32_t processIdentifier, bool running) {
    {
        std::lock_guard lock(mutex_);
        auto it = findLocked(processIdentifier);
        if (it == applications_.end()) {
            return false;
        }
        it->isRunning = running;
        if (!running) {
            it->isActive = false;
            std::erase_if(windows_, [&](const WindowRecord& record) {
                return record.window.ownerProcessIdentifier == processIdentifier;
            });
            std::erase_if(placingSince_,
                          [&](const auto& entry) { return entry.first.first == processIdentifier; });
        }
    }
    notify(Change::applications);
    return true;
}

std::optional<std::int32_t> SimulatedDesktop::launch(std::int32_t processIdentifier) {
    std::int32_t fresh = 0;
    {
        std::lock_guard lock(mutex_);
        auto it = findLocked(processIdentifier);
        if (it == applications_.end() || it->isRunning) {
            return std::nullopt;
        }
        std::int32_t highest = 0;
        for (const auto& app : applications_) {
            highest = std::max(highest, app.processIdentifier);
        }
        if (highest == std::numeric_limits<std::int32_t>::max()) {
            return std::nullopt;
        }
        fresh = highest + 1;
        it->processIdentifier = fresh;
        it->isRunning = true;
        it->isActive = false;
    }
    notify(Change::applications);
    return fresh;
}

bool SimulatedDesktop::activate(std::int32_t processIdentifier) {
    {
        std::lock_guard lock(mutex_);
        auto it = findLocked(processIdentifier);
        if (it == applications_.end() || !it->isRunning) {
            return false;
        }
        for (auto& app : applications_) {
            app.isActive = app.processIdentifier == processIdentifier;
        }
    }
    notify(Change::applications);
    return true;
}

bool SimulatedDesktop::setStatusItems(std::int32_t processIdentifier,
                                      std::vector<SimulatedStatusItem> items) {
    {
        std::lock_guard lock(mutex_);
        auto it = findLocked(processIdentifier);
        if (it == applications_.end()) {
            return false;
        }
        it->statusItems = std::move(items);
        std::erase_if(placingSince_,
                      [&](const auto& entry) { return entry.first.first == processIdentifier; });
    }
    notify(Change::applications);
    return true;
}

std::optional<MenuBarRestriction> SimulatedDesktop::restriction() const {
    std::lock_guard lock(mutex_);
    return restriction_;
}

void SimulatedDesktop::setRestriction(std::optional<MenuBarRestriction> restriction) {
    std::uint64_t revision = 0;
    {
        std::lock_guard lock(mutex_);
        revision = restrictionRevision_ + 1;
    }
    setRestriction(std::move(restriction), revision);
}

void SimulatedDesktop::setRestriction(std::optional<MenuBarRestriction> restriction, std::uint64_t revision) {
    {
        std::lock_guard lock(mutex_);
        if (revision <= restrictionRevision_) {
            return;
        }
        restrictionRevision_ = revision;
        if (restriction_ == restriction) {
            return;
        }
        // Items that may show from now on take their owner's placement delay to appear.
        const auto now = nowLocked();
        for (const auto& app : applications_) {
            if (!app.isRunning) {
                continue;
            }
            for (std::size_t i = 0; i < app.statusItems.size(); ++i) {
                const auto& item = app.statusItems[i];
                const auto key = std::make_pair(app.processIdentifier, i);
                if (!MenuBarLayout::isAllowed(item, app.bundleIdentifier, restriction)) {
                    placingSince_.erase(key);
                } else if (app.placementDelay.count() > 0 &&
                           !MenuBarLayout::isAllowed(item, app.bundleIdentifier, restriction_)) {
                    placingSince_[key] = now;
                }
            }
        }
        restriction_ = std::move(restriction);
    }
    notify(Change::menuBar);
}

std::vector<PlacedStatusItem> SimulatedDesktop::menuBarItems() const {
    std::lock_guard lock(mutex_);
    return placeLocked();
}

std::filesystem::path SimulatedDesktop::homeFolder() const {
    std::lock_guard lock(mutex_);
    return homeFolder_;
}

void SimulatedDesktop::setHomeFolder(std::filesystem::path folder) {
    {
        std::lock_guard lock(mutex_);
        homeFolder_ = std::move(folder);
    }
    reloadLayoutTable();
}

std::filesystem::path SimulatedDesktop::rootFolder() const {
    std::lock_guard lock(mutex_);
    return rootFolder_;
}

void SimulatedDesktop::setRootFolder(std::filesystem::path folder) {
    std::lock_guard lock(mutex_);
    rootFolder_ = folder.empty() ? std::filesystem::path("/") : std::move(folder);
}

std::filesystem::path SimulatedDesktop::applicationsFolder() const {
    std::lock_guard lock(mutex_);
    return rootFolder_ / "Applications";
}

std::filesystem::path SimulatedDesktop::ownBundlePath() const {
    std::lock_guard lock(mutex_);
    return rootFolder_ / ownBundlePath_.relative_path();
}

void SimulatedDesktop::setOwnBundlePath(std::filesystem::path path) {
    std::lock_guard lock(mutex_);
    ownBundlePath_ = std::move(path);
}

bool SimulatedDesktop::isMenuBarContainerGranted() const {
    std::lock_guard lock(mutex_);
    return menuBarContainerGranted_;
}

void SimulatedDesktop::setMenuBarContainerGranted(bool granted) {
    std::lock_guard lock(mutex_);
    menuBarContainerGranted_ = granted;
}

bool SimulatedDesktop::isAccessible(const std::filesystem::path& path) const {
    std::filesystem::path home;
    {
        std::lock_guard lock(mutex_);
        if (menuBarContainerGranted_) {
            return true;
        }
        home = homeFolder_;
    }
    if (home.empty()) {
        return true;
    }
    return !core::isWithinFolder(path, MenuBarLayoutFile::container(home));
}

void SimulatedDesktop::reloadLayoutTable() {
    {
        // Reads and stores one after another, so an older read never replaces a newer one.
        std::lock_guard reloading(reloadMutex_);
        const std::filesystem::path home = homeFolder();
        const auto table = home.empty() ? MenuBarLayoutFile::Positions{}
                                        : MenuBarLayoutFile::read(MenuBarLayoutFile::location(home));
        std::lock_guard lock(mutex_);
        if (table == layoutTable_) {
            return;
        }
        layoutTable_ = table;
    }
    notify(Change::menuBar);
}

std::map<std::string, double> SimulatedDesktop::layoutTable() const {
    std::lock_guard lock(mutex_);
    return layoutTable_;
}

std::vector<PlacedStatusItem> SimulatedDesktop::placeLocked() const {
    const auto now = nowLocked();
    const auto isWaiting = [&](const SimulatedApplication& app, std::size_t index) {
        auto it = placingSince_.find(std::make_pair(app.processIdentifier, index));
        return it != placingSince_.end() && now - it->second < app.placementDelay;
    };
    bool anyWaiting = false;
    for (const auto& app : applications_) {
        for (std::size_t i = 0; i < app.statusItems.size() && !anyWaiting; ++i) {
            anyWaiting = isWaiting(app, i);
        }
    }
    if (!anyWaiting) {
        return MenuBarLayout::place(screens_.front(), screens_.front().frame, applications_, restriction_,
                                    layoutTable_);
    }
    std::vector<SimulatedApplication> shown = applications_;
    for (std::size_t a = 0; a < shown.size(); ++a) {
        std::vector<SimulatedStatusItem> items;
        for (std::size_t i = 0; i < applications_[a].statusItems.size(); ++i) {
            if (!isWaiting(applications_[a], i)) {
                items.push_back(applications_[a].statusItems[i]);
            }
        }
        shown[a].statusItems = std::move(items);
    }
    return MenuBarLayout::place(screens_.front(), screens_.front().frame, shown, restriction_, layoutTable_);
}

std::uint64_t SimulatedDesktop::activeSpace() const {
    std::lock_guard lock(mutex_);
    return activeSpace_;
}

void SimulatedDesktop::setActiveSpace(std::uint64_t space) {
    {
        std::lock_guard lock(mutex_);
        if (activeSpace_ == space) {
            return;
        }
        activeSpace_ = space;
    }
    notify(Change::activeSpace);
}

SimulatedDesktop::ObserverId SimulatedDesktop::addObserver(Observer observer) {
    std::lock_guard lock(mutex_);
    const ObserverId id = nextObserverId_++;
    observers_.emplace(id, std::move(observer));
    return id;
}

void SimulatedDesktop::removeObserver(ObserverId id) {
    std::lock_guard lock(mutex_);
    observers_.erase(id);
}

void SimulatedDesktop::noteUnrecordedItems() {
    std::lock_guard lock(mutex_);
    if (homeFolder_.empty()) {
        return;
    }
    const auto now = nowLocked();
    for (const auto& item : keyedItems(placeLocked(), applications_)) {
        if (!layoutTable_.contains(item.key)) {
            unrecordedSince_.emplace(item.key, now);
        }
    }
}

void SimulatedDesktop::recordNewItems() {
    const std::filesystem::path home = homeFolder();
    if (home.empty()) {
        return;
    }
    bool moved = false;
    {
        std::lock_guard reloading(reloadMutex_);
        std::vector<KeyedItem> onBar;
        std::vector<SimulatedApplication> apps;
        std::set<std::string> due;
        {
            std::lock_guard lock(mutex_);
            const auto now = nowLocked();
            for (const auto& [key, since] : unrecordedSince_) {
                if (since + recordDelay <= now) {
                    due.insert(key);
                }
            }
            if (due.empty()) {
                return;
            }
            onBar = keyedItems(placeLocked(), applications_);
            apps = applications_;
        }
        // The file as it stands, not as last read: a write of the program's is kept.
        const auto read = MenuBarLayoutFile::read(MenuBarLayoutFile::location(home));
        auto table = read;
        // The items without a key stand left of every keyed one, so a key for
        // one of them keeps it in place only if every item right of it has one
        // too: the bar records from the right up to the leftmost that is due.
        std::optional<std::size_t> last;
        for (std::size_t i = 0; i < onBar.size(); ++i) {
            if (due.contains(onBar[i].key) && !table.contains(onBar[i].key)) {
                last = i;
            }
        }
        if (last) {
            // An item placed by its preferred position keeps it as its key; the
            // others get keys counted upwards from the largest, right to left.
            double largest = 0;
            for (const auto& [key, position] : table) {
                largest = std::max(largest, position);
            }
            for (const auto& app : apps) {
                for (const auto& item : app.statusItems) {
                    largest = std::max(largest, item.preferredPosition.value_or(largest));
                }
            }
            for (std::size_t i = 0; i <= *last; ++i) {
                if (!table.contains(onBar[i].key)) {
                    table[onBar[i].key] =
                        onBar[i].preferredPosition ? *onBar[i].preferredPosition : ++largest;
                }
            }
            if (!MenuBarLayoutFile::write(MenuBarLayoutFile::location(home), table)) {
                return;
            }
        }
        std::lock_guard lock(mutex_);
        // What fell due is dealt with: recorded, or gone from the bar meanwhile.
        for (const auto& key : due) {
            unrecordedSince_.erase(key);
        }
        // The recorded items stay where they are; only a table that changed
        // under the bar since its last read moves something.
        moved = read != layoutTable_;
        layoutTable_ = std::move(table);
    }
    if (moved) {
        notify(Change::menuBar);
    }
}

void SimulatedDesktop::notify(Change change) {
    if (change == Change::menuBar || change == Change::applications) {
        noteUnrecordedItems();
    }
    std::vector<Observer> observers;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [id, observer] : observers_) {
            observers.push_back(observer);
        }
    }
    for (const auto& observer : observers) {
        observer(change);
    }
}

void SimulatedDesktop::setClock(Clock clock) {
    std::lock_guard lock(mutex_);
    clock_ = clock ? std::move(clock) : Clock(steadyNow);
}

std::chrono::nanoseconds SimulatedDesktop::now() const {
    std::lock_guard lock(mutex_);
    return nowLocked();
}

std::chrono::nanoseconds SimulatedDesktop::nowLocked() const {
    return clock_();
}

void SimulatedDesktop::addInitialWindowsLocked(const SimulatedApplication& application) {
    for (const auto& window : application.windows) {
        // Open since before any clock's origin, whichever clock is set later.
        windows_.push_back({Window{nextWindowNumber_++, application.processIdentifier, window.layer,
                                   window.bounds, window.isOnScreen},
                            std::chrono::nanoseconds::min(), std::nullopt});
    }
}

bool SimulatedDesktop::isOpenLocked(const WindowRecord& record, std::chrono::nanoseconds now) const {
    if (record.opensAt > now || (record.closesAt && *record.closesAt <= now)) {
        return false;
    }
    return std::any_of(applications_.begin(), applications_.end(), [&](const auto& app) {
        return app.isRunning && app.processIdentifier == record.window.ownerProcessIdentifier;
    });
}

std::vector<SimulatedDesktop::Window> SimulatedDesktop::windows() const {
    std::lock_guard lock(mutex_);
    const auto now = nowLocked();
    std::vector<Window> open;
    for (const auto& record : windows_) {
        if (isOpenLocked(record, now)) {
            open.push_back(record.window);
        }
    }
    std::sort(open.begin(), open.end(), [](const Window& a, const Window& b) {
        return a.layer != b.layer ? a.layer > b.layer : a.number > b.number;
    });
    return open;
}

std::optional<std::uint32_t> SimulatedDesktop::openWindow(std::int32_t processIdentifier, std::int64_t layer,
                                                          core::Rect bounds, bool isOnScreen) {
    std::uint32_t number = 0;
    {
        std::lock_guard lock(mutex_);
        auto it = findLocked(processIdentifier);
        if (it == applications_.end() || !it->isRunning) {
            return std::nullopt;
        }
        number = nextWindowNumber_++;
        windows_.push_back(
            {Window{number, processIdentifier, layer, bounds, isOnScreen}, nowLocked(), std::nullopt});
    }
    notify(Change::windows);
    return number;
}

bool SimulatedDesktop::moveWindow(std::uint32_t number, core::Rect bounds) {
    {
        std::lock_guard lock(mutex_);
        const auto now = nowLocked();
        auto it = std::find_if(windows_.begin(), windows_.end(),
                               [&](const WindowRecord& record) { return record.window.number == number; });
        if (it == windows_.end() || !isOpenLocked(*it, now)) {
            return false;
        }
        it->window.bounds = bounds;
    }
    notify(Change::windows);
    return true;
}

bool SimulatedDesktop::closeWindow(std::uint32_t number) {
    bool closed = false;
    {
        std::lock_guard lock(mutex_);
        const auto now = nowLocked();
        for (auto& record : windows_) {
            if (record.window.number == number && (!record.closesAt || *record.closesAt > now)) {
                record.closesAt = now;
                closed = true;
                break;
            }
        }
    }
    if (closed) {
        notify(Change::windows);
    }
    return closed;
}

void SimulatedDesktop::closeMenus() {
    bool closed = false;
    {
        std::lock_guard lock(mutex_);
        const auto now = nowLocked();
        for (auto& record : windows_) {
            if (record.window.layer == menuLayer && (!record.closesAt || *record.closesAt > now)) {
                closed = closed || isOpenLocked(record, now);
                record.closesAt = now;
            }
        }
    }
    if (closed) {
        notify(Change::windows);
    }
}

void SimulatedDesktop::setPressObserver(PressObserver observer) {
    std::lock_guard lock(mutex_);
    pressObserver_ = std::move(observer);
}

std::optional<std::uint32_t> SimulatedDesktop::pressItem(std::int32_t processIdentifier, std::size_t index,
                                                         std::chrono::nanoseconds late,
                                                         std::uint32_t button) {
    std::optional<Press> press;
    PressObserver observer;
    std::optional<std::uint32_t> menu;
    {
        std::lock_guard lock(mutex_);
        menu = pressLocked(processIdentifier, index, late, button, press);
        observer = pressObserver_;
    }
    if (menu) {
        notify(Change::moments);
    }
    if (press && observer) {
        observer(*press);
    }
    return menu;
}

std::optional<std::uint32_t> SimulatedDesktop::pressLocked(std::int32_t processIdentifier, std::size_t index,
                                                           std::chrono::nanoseconds late,
                                                           std::uint32_t button, std::optional<Press>& made) {
    const auto now = nowLocked();
    auto app = findLocked(processIdentifier);
    if (app == applications_.end() || !app->isRunning || index >= app->statusItems.size()) {
        return std::nullopt;
    }
    Press press{processIdentifier, index, now, std::nullopt, button};
    const SimulatedMenu& menu = app->statusItems[index].menu;
    const auto frame = MenuBarLayout::frameOf(placeLocked(), *app, index);
    if (menu.opens == SimulatedMenu::Opening::never ||
        (menu.opens == SimulatedMenu::Opening::whenPlaced && !frame)) {
        presses_.push_back(press);
        made = press;
        return std::nullopt;
    }

    std::int32_t owner = processIdentifier;
    if (menu.ownerBundleIdentifier) {
        for (const auto& other : applications_) {
            if (other.isRunning && other.bundleIdentifier == menu.ownerBundleIdentifier) {
                owner = other.processIdentifier;
                break;
            }
        }
    }
    // Under the item, kept on the screen below the bar; an item off the bar has
    // its menu at the right edge.
    const SimulatedScreen& screen = screens_.front();
    const core::Rect topDownScreen = core::convertScreenSpace(screen.frame.standardized(), screen.frame);
    const core::Rect belowBar(topDownScreen.minX(), topDownScreen.minY() + screen.menuBarHeight,
                              topDownScreen.width(), topDownScreen.height() - screen.menuBarHeight);
    const double x = frame ? frame->minX() : belowBar.maxX();
    const core::Rect bounds =
        core::Rect(x, belowBar.minY(), menu.size.width, menu.size.height).keptWithin(belowBar);

    const auto opensAt = now + std::max(late, std::chrono::nanoseconds::zero()) + menu.openDelay;
    // Only one menu is open at a time: the new one closes the others as it opens.
    for (auto& record : windows_) {
        if (record.window.layer == menuLayer && (!record.closesAt || *record.closesAt > opensAt)) {
            record.closesAt = opensAt;
        }
    }
    const std::uint32_t number = nextWindowNumber_++;
    std::optional<std::chrono::nanoseconds> closesAt;
    if (menu.openFor) {
        closesAt = opensAt + *menu.openFor;
    }
    windows_.push_back({Window{number, owner, menuLayer, bounds, true}, opensAt, closesAt});
    press.menu = number;
    presses_.push_back(press);
    made = press;
    return number;
}

bool SimulatedDesktop::commandDragItem(core::Point from, core::Point to) {
    // The application items on the bar, right to left, by their keys in the table.
    const auto onBar = keyedItems(menuBarItems(), applications());
    const auto dragged = std::find_if(onBar.begin(), onBar.end(),
                                      [&](const KeyedItem& item) { return item.frame.contains(from); });
    const auto home = homeFolder();
    if (dragged == onBar.end() || home.empty()) {
        return false;
    }
    std::vector<std::string> order; // right to left, without the dragged item
    std::size_t insertAt = 0;
    for (const auto& item : onBar) {
        if (&item == &*dragged) {
            continue;
        }
        order.push_back(item.key);
        if (item.frame.midX() > to.x) {
            insertAt = order.size();
        }
    }
    order.insert(order.begin() + static_cast<std::ptrdiff_t>(insertAt), dragged->key);
    // The items on the bar take the first positions; the table's other entries
    // keep their order further left.
    auto table = layoutTable();
    const double shift = static_cast<double>(order.size());
    for (auto& [key, position] : table) {
        position += shift;
    }
    for (std::size_t i = 0; i < order.size(); ++i) {
        table[order[i]] = static_cast<double>(i);
    }
    if (!MenuBarLayoutFile::write(MenuBarLayoutFile::location(home), table)) {
        return false;
    }
    reloadLayoutTable();
    return true;
}

std::optional<std::chrono::nanoseconds> SimulatedDesktop::nextMoment() const {
    std::lock_guard lock(mutex_);
    std::optional<std::chrono::nanoseconds> next;
    const auto consider = [&](std::chrono::nanoseconds moment) {
        if (moment > passedUpTo_ && (!next || moment < *next)) {
            next = moment;
        }
    };
    for (const auto& record : windows_) {
        consider(record.opensAt);
        if (record.closesAt) {
            consider(*record.closesAt);
        }
    }
    for (const auto& [key, since] : placingSince_) {
        const std::int32_t owner = key.first;
        if (auto app = std::find_if(applications_.begin(), applications_.end(),
                                    [owner](const auto& a) { return a.processIdentifier == owner; });
            app != applications_.end()) {
            consider(since + app->placementDelay);
        }
    }
    for (const auto& [at, action] : scheduled_) {
        consider(at);
    }
    for (const auto& [key, since] : unrecordedSince_) {
        consider(since + recordDelay);
    }
    return next;
}

void SimulatedDesktop::passTime() {
    bool windowsChanged = false;
    bool placed = false;
    std::vector<std::function<void()>> due;
    {
        std::lock_guard lock(mutex_);
        const auto now = nowLocked();
        const auto fell = [&](std::chrono::nanoseconds moment) {
            return moment > passedUpTo_ && moment <= now;
        };
        for (const auto& record : windows_) {
            windowsChanged =
                windowsChanged || fell(record.opensAt) || (record.closesAt && fell(*record.closesAt));
        }
        for (const auto& [key, since] : placingSince_) {
            for (const auto& app : applications_) {
                placed = placed || (app.processIdentifier == key.first && fell(since + app.placementDelay));
            }
        }
        for (auto it = scheduled_.begin(); it != scheduled_.end() && it->first <= now;) {
            due.push_back(std::move(it->second));
            it = scheduled_.erase(it);
        }
        passedUpTo_ = std::max(passedUpTo_, now);
    }
    if (windowsChanged) {
        notify(Change::windows);
    }
    if (placed) {
        notify(Change::menuBar);
    }
    // A while after an item shows up without a key in the layout table, the
    // menu bar gives it one where it stands.
    recordNewItems();
    for (auto& action : due) {
        action();
    }
}

void SimulatedDesktop::scheduleAt(std::chrono::nanoseconds at, std::function<void()> action) {
    {
        std::lock_guard lock(mutex_);
        scheduled_.emplace(at, std::move(action));
    }
    notify(Change::moments);
}

std::vector<SimulatedDesktop::Press> SimulatedDesktop::presses() const {
    std::lock_guard lock(mutex_);
    return presses_;
}

} // namespace pellacor::platform
