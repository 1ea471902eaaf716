#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/OffMain.h"
#include "Concurrency/SerialQueue.h"
#include "Concurrency/Sleep.h"
#include "Concurrency/Task.h"
#include "Concurrency/TaskHandle.h"
#include "Concurrency/Time.h"
#include "MenuBarCore/Pressing/PressMemory.h"
#include "MenuBarSystem/Pressing/ItemPressing.h"
#include "MenuBarSystem/Pressing/PressAccessibility.h"
#include "MenuBarSystem/Pressing/PressRevealing.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace pellacor::system {

// Opens the menu of a status item on the user's behalf. The item may belong to
// an application kept out of the menu bar, so the presser knows several ways of
// pressing (`PressMethod`) and tries them in the order its `PressMemory` keeps
// per application. A press counts as having opened a menu when a window of the
// owning process appears that was not on screen before the press. When it had
// to reveal the application, it keeps the reveal while that menu stays open;
// when nothing worked for a hidden application, it leaves the application
// shown for a while so that the user can click the item by hand. An item of the
// system itself cannot be revealed alone: the presser has the whole restriction
// lifted, presses the real item once it is back on the bar, and keeps the lift
// while its menu (possibly a window of another process) stays open.
//
// Everything runs on the main executor; every blocking call (accessibility, the
// window server) goes through `offMain` to the presser's serial queue, one for
// the whole process, which whoever composes the program makes (labelled
// `queueLabel()`) and hands in. The
// revealer is held weakly and looked up at each use. Hold it in a
// std::shared_ptr (`create`): its hold and leave-shown tasks refer to it weakly.
// A press keeps the presser alive until it has finished, as its caller awaits it.
class ItemPresser final : public ItemPressing, public std::enable_shared_from_this<ItemPresser> {
public:
    // The label of the presser's queue follows the bundle identifier.
    static constexpr std::string_view queueSuffix = ".item-presser";

    // The least time an application left shown stays shown, the most, and how
    // long in between none of its menus must be seen before it is hidden again.
    static constexpr concurrency::Duration leaveShownHold = std::chrono::seconds(30);
    static constexpr concurrency::Duration leaveShownLimit = std::chrono::seconds(90);
    static constexpr concurrency::Duration leaveShownGrace = std::chrono::milliseconds(800);

    // How long a pressed item may take to answer, in seconds, so that an
    // application that does not answer cannot stall the press.
    static constexpr float pressTimeout = 0.1F;
    // Window polls while watching for a menu, while holding a reveal, and while
    // an application is left shown; placement polls.
    static constexpr concurrency::Duration watchInterval = std::chrono::milliseconds(50);
    static constexpr concurrency::Duration holdInterval = std::chrono::milliseconds(200);
    static constexpr concurrency::Duration leaveShownInterval = std::chrono::milliseconds(200);
    static constexpr concurrency::Duration placeInterval = std::chrono::milliseconds(20);
    // The placement wait while the item's frame cannot be read at all.
    static constexpr concurrency::Duration unreadablePlaceWait = std::chrono::seconds(2);
    // How long a system item may take to be placed once the restriction is lifted,
    // and how long to watch for its menu after pressing it.
    static constexpr concurrency::Duration liftPlaceWait = std::chrono::seconds(2);
    static constexpr concurrency::Duration systemOpenWait = std::chrono::seconds(3);

    // The presser's timings.
    struct Settings {
        // How long to watch for a menu after an ordinary item was pressed.
        concurrency::Duration openWait = std::chrono::milliseconds(1500);
        // The longest a press reveal is kept while its menu stays open.
        concurrency::Duration revealHold = std::chrono::seconds(10);
        // The same for a lift of the whole restriction.
        concurrency::Duration liftHold = std::chrono::seconds(30);
        // How long to wait for a revealed item to be placed in the menu bar.
        concurrency::Duration placeWait = std::chrono::seconds(1);
        concurrency::Duration leaveShownHold = ItemPresser::leaveShownHold;
        concurrency::Duration leaveShownLimit = ItemPresser::leaveShownLimit;

        bool operator==(const Settings&) const = default;
    };

    // Runs a blocking job somewhere other than the main executor and finishes,
    // back on the task's executor, once the job has run. Never cancelled.
    using OffMain = concurrency::OffMain;

    // The label of the presser's queue.
    static std::string queueLabel();

    // The presser of the program: the usual timings, the executor's clock and
    // sleep, blocking calls on `queue` (the process's presser queue).
    static std::shared_ptr<ItemPresser> create(concurrency::MainExecutor& executor,
                                               std::shared_ptr<concurrency::SerialQueue> queue,
                                               std::shared_ptr<PressAccessibility> accessibility,
                                               std::weak_ptr<PressRevealing> revealer);
    // Every value given; an empty `now` or `sleep` takes the default above;
    // `offMain` runs the blocking calls. The executor must outlive the presser
    // and its tasks.
    static std::shared_ptr<ItemPresser> create(concurrency::MainExecutor& executor,
                                               std::shared_ptr<PressAccessibility> accessibility,
                                               std::weak_ptr<PressRevealing> revealer, Settings settings,
                                               concurrency::Now now, concurrency::Sleep sleep,
                                               OffMain offMain);

    ItemPresser(const ItemPresser&) = delete;
    ItemPresser& operator=(const ItemPresser&) = delete;
    ~ItemPresser() override = default;

    concurrency::Task<PressOutcome> press(PressTarget target) override;
    concurrency::Task<PressOutcome> pressSystemItem(SystemItemTarget target) override;

    const Settings& settings() const { return settings_; }
    // The method remembered per application.
    const core::PressMemory& memory() const { return memory_; }
    // The reveal held for each application left shown.
    std::map<std::string, RevealTicket> leftShownTickets() const;
    // The ids of the reveals (or lifts) held while their menus are open.
    std::vector<int> heldTicketIds() const;

    // The windows of several processes together; unknown as soon as one is unknown.
    static std::optional<WindowNumbers> windows(PressAccessibility& accessibility,
                                                const std::vector<std::int32_t>& pids);

    // "1234 ms": whole milliseconds, as the log shows waits.
    static std::string milliseconds(concurrency::Duration duration);

private:
    // One press-and-watch.
    struct Watch {
        enum class Kind {
            noItem, // there was no item to press
            noMenu, // the press failed, or no new window appeared in time
            opened, // new windows appeared
        };
        Kind kind = Kind::noMenu;
        WindowNumbers opened;
    };

    // Trying one method.
    struct Attempt {
        enum class Kind {
            opened,       // a menu is open; `method` is the one to report
            noItem,       // there was no item to press
            notOpened,    // something was pressed and no menu appeared
            revealFailed, // the application could not be revealed
        };
        Kind kind = Kind::notOpened;
        core::PressMethod method = core::PressMethod::direct;
    };

    struct LeftShown {
        RevealTicket ticket;
        concurrency::TaskHandle<void> task;
    };

    ItemPresser(concurrency::MainExecutor& executor, std::shared_ptr<PressAccessibility> accessibility,
                std::weak_ptr<PressRevealing> revealer, Settings settings, concurrency::Now now,
                concurrency::Sleep sleep, OffMain offMain);

    static concurrency::Task<PressOutcome> pressFlow(std::shared_ptr<ItemPresser> self, PressTarget target);
    static concurrency::Task<PressOutcome> systemPressFlow(std::shared_ptr<ItemPresser> self,
                                                           SystemItemTarget target);
    static concurrency::Task<Attempt> attempt(std::shared_ptr<ItemPresser> self, core::PressMethod method,
                                              PressTarget target, std::int32_t pid, WindowNumbers baseline,
                                              std::optional<core::PressMethod> lastPressed);
    static concurrency::Task<Watch>
    pressAndWatch(std::shared_ptr<ItemPresser> self, PressTarget target, std::int32_t pid,
                  std::optional<std::vector<std::int32_t>> watch, std::optional<std::string> identifier,
                  std::optional<concurrency::Duration> wait, WindowNumbers baseline);
    static concurrency::Task<std::optional<WindowNumbers>>
    lateOpened(std::shared_ptr<ItemPresser> self, std::int32_t pid, WindowNumbers baseline);
    static concurrency::Task<void> waitPlaced(std::shared_ptr<ItemPresser> self, PressTarget target,
                                              std::int32_t pid);
    static concurrency::Task<void> leaveShown(std::shared_ptr<ItemPresser> self, PressTarget target,
                                              std::int32_t pid);

    // Keeps the reveal (or lift) while at least one of the opened windows is on
    // screen, checked every `holdInterval`, and at most `limit`; then gives the
    // ticket back. Returns at once; the hold runs as a task of its own.
    void hold(const RevealTicket& ticket, std::int32_t pid, std::optional<std::vector<std::int32_t>> watch,
              WindowNumbers opened, concurrency::Duration limit);
    static concurrency::Task<void> holdTask(std::weak_ptr<ItemPresser> weak, RevealTicket ticket,
                                            std::int32_t pid, std::optional<std::vector<std::int32_t>> watch,
                                            WindowNumbers opened, concurrency::Duration limit);
    static concurrency::Task<void> leaveShownWatch(std::weak_ptr<ItemPresser> weak, RevealTicket ticket,
                                                   std::int32_t pid, std::optional<WindowNumbers> baseline);
    // Ends the leave-shown reveal held for the application, if any, and forgets it.
    void endLeftShown(const std::string& bundleID);

    // Records the method when `remember` and logs the success.
    PressOutcome opened(core::PressMethod method, const PressTarget& target, bool remember);

    concurrency::MainExecutor& executor_;
    std::shared_ptr<PressAccessibility> accessibility_;
    std::weak_ptr<PressRevealing> revealer_;
    concurrency::Sleep sleep_;
    concurrency::Now now_;
    Settings settings_;
    OffMain offMain_;
    std::map<std::string, LeftShown> leftShown_;
    core::PressMemory memory_;
    std::map<int, concurrency::TaskHandle<void>> holdTasks_;
};

} // namespace pellacor::system
