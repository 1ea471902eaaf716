#pragma once

#include "Platform/Simulated/SimulatedPlatform.h"

#include <QObject>
#include <memory>

namespace pellacor::demo {

// Global hot keys work in every window, as the system's do: a key chord that
// one of the program's hot keys has, typed while any window of the process
// other than the desktop view has the keyboard (a panel of the program, the
// controls panel), goes to the simulated hot-key manager and to nobody else.
// Escape while a menu of another application is open closes that menu and
// goes no further, as a real menu holds the keyboard while it is open.
// Every other key goes on as usual. (The desktop view hands every key to the
// simulated user itself.) Installed on the application by whoever shows the
// desktop; main thread only.
class HotKeyRelay final : public QObject {
    Q_OBJECT

public:
    explicit HotKeyRelay(std::shared_ptr<platform::SimulatedPlatform> platform, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::shared_ptr<platform::SimulatedPlatform> platform_;
};

} // namespace pellacor::demo
