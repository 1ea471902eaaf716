#include "DemoDesktop/ControlsPanel.h"

#include <QAbstractItemView>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <mutex>

namespace pellacor::demo {

namespace {

QCheckBox* checkBox(const char* name, const QString& title, QWidget* parent) {
    auto* box = new QCheckBox(title, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

// What the settings' observer reaches from whichever thread opened a page; the
// panel leaves it when it goes.
struct ControlsPanel::Relay {
    std::mutex mutex;
    ControlsPanel* panel = nullptr;
};

ControlsPanel::ControlsPanel(std::shared_ptr<platform::SimulatedPlatform> platform, QWidget* parent)
    : QWidget(parent), platform_(std::move(platform)), applications_(new QComboBox(this)),
      launch_(new QPushButton(tr("Launch"), this)), quit_(new QPushButton(tr("Quit"), this)),
      front_(new QPushButton(tr("Bring to front"), this)),
      camera_(checkBox("controls-camera", tr("Camera on"), this)),
      microphone_(checkBox("controls-microphone", tr("Microphone on"), this)),
      accessibility_(checkBox("controls-accessibility", tr("Accessibility granted"), this)),
      layoutFolder_(checkBox("controls-layout-folder", tr("Layout folder granted"), this)),
      notch_(checkBox("controls-notch", tr("Screen with a notch"), this)),
      dark_(checkBox("controls-dark", tr("Dark appearance"), this)),
      shiftAtNextLaunch_(
          checkBox("controls-shift-at-next-launch", tr("Hold ⇧ Shift at the next launch"), this)),
      settingsPage_(new QLabel(this)), relay_(std::make_shared<Relay>()) {
    setObjectName("controls-panel");
    applications_->setObjectName("controls-applications");
    // Its open list is a window of its own, the frame around the list: named,
    // a script sees when it shows.
    applications_->view()->parentWidget()->setObjectName("controls-applications-list");
    launch_->setObjectName("controls-launch");
    quit_->setObjectName("controls-quit");
    front_->setObjectName("controls-front");
    if (auto width = platform_->desktop()->mainScreen().cameraHousingWidth) {
        housingWidth_ = *width;
    }

    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(tr("<b>The outside world</b>"), this);
    layout->addWidget(title);
    layout->addWidget(applications_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(launch_);
    buttons->addWidget(quit_);
    layout->addLayout(buttons);
    layout->addWidget(front_);
    for (QCheckBox* box :
         {camera_, microphone_, accessibility_, layoutFolder_, notch_, dark_, shiftAtNextLaunch_}) {
        layout->addWidget(box);
    }
    settingsPage_->setObjectName("controls-settings-page");
    settingsPage_->setWordWrap(true);
    settingsPage_->setFrameShape(QFrame::StyledPanel);
    settingsPage_->hide();
    layout->addWidget(settingsPage_);
    auto* keys = new QLabel(tr("Ctrl stands for ⌘ Command, Alt for ⌥ Option.\n"
                               "Ctrl-drag an item in the bar to move it."),
                            this);
    keys->setWordWrap(true);
    layout->addWidget(keys);
    layout->addStretch();
    setFixedWidth(240);

    connect(launch_, &QPushButton::clicked, this, [this] { launchOrQuit(true); });
    connect(quit_, &QPushButton::clicked, this, [this] { launchOrQuit(false); });
    connect(front_, &QPushButton::clicked, this, [this] {
        // The chosen application becomes the active one, as a click on its window would make it.
        if (const QVariant pid = applications_->currentData(); pid.isValid()) {
            platform_->desktop()->activate(pid.toInt());
        }
        refresh();
    });
    connect(applications_, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    connect(camera_, &QCheckBox::toggled, this,
            [this](bool on) { platform_->captureDevices()->setCameraRunning(on); });
    connect(microphone_, &QCheckBox::toggled, this, [this](bool on) { setMicrophone(on); });
    connect(accessibility_, &QCheckBox::toggled, this,
            [this](bool on) { platform_->accessibility()->setTrusted(on); });
    connect(layoutFolder_, &QCheckBox::toggled, this,
            [this](bool on) { platform_->desktop()->setMenuBarContainerGranted(on); });
    connect(notch_, &QCheckBox::toggled, this, [this](bool on) { setNotch(on); });
    connect(dark_, &QCheckBox::toggled, this, &ControlsPanel::darkAppearanceChanged);
    connect(shiftAtNextLaunch_, &QCheckBox::toggled, this, &ControlsPanel::shiftAtNextLaunchChanged);

    for (const auto& app : platform_->desktop()->applications()) {
        applications_->addItem(QString::fromStdString(app.localizedName), app.processIdentifier);
    }
    relay_->panel = this;
    settingsObserver_ = platform_->systemSettings()->addObserver([relay = relay_] {
        std::lock_guard lock(relay->mutex);
        if (relay->panel != nullptr) {
            QMetaObject::invokeMethod(relay->panel, &ControlsPanel::showSettingsPage, Qt::QueuedConnection);
        }
    });
    refresh();
}

ControlsPanel::~ControlsPanel() {
    platform_->systemSettings()->removeObserver(settingsObserver_);
    std::lock_guard lock(relay_->mutex);
    relay_->panel = nullptr;
}

void ControlsPanel::showSettingsPage() {
    using Settings = platform::SimulatedSystemSettings;
    const auto page = platform_->systemSettings()->openPage();
    if (!page) {
        settingsPage_->hide();
        return;
    }
    const bool accessibility =
        page->pane == Settings::securityPane && page->anchor == Settings::accessibilityAnchor;
    if (accessibility) {
        settingsPage_->setText(tr("System Settings: Privacy & Security › Accessibility.\n"
                                  "Switch the permission on above."));
    } else {
        settingsPage_->setText(
            tr("System Settings: %1 %2")
                .arg(QString::fromStdString(page->pane), QString::fromStdString(page->anchor)));
    }
    settingsPage_->show();
    refresh();
    // The settings come to the front, as the system brings its window forward.
    window()->raise();
    window()->activateWindow();
    if (accessibility) {
        accessibility_->setFocus(Qt::OtherFocusReason);
    }
}

void ControlsPanel::refresh() {
    const auto& desktop = *platform_->desktop();
    const auto apps = desktop.applications();
    // Launching gives an application a fresh process identifier: the list follows by position.
    for (int i = 0; i < applications_->count() && i < static_cast<int>(apps.size()); ++i) {
        const auto& app = apps[static_cast<std::size_t>(i)];
        applications_->setItemData(i, app.processIdentifier);
        applications_->setItemText(i, QString::fromStdString(app.localizedName) +
                                          (app.isRunning ? QString() : tr(" (not running)")));
    }
    const int current = applications_->currentIndex();
    const bool running = current >= 0 && current < static_cast<int>(apps.size()) &&
                         apps[static_cast<std::size_t>(current)].isRunning;
    launch_->setEnabled(current >= 0 && !running);
    quit_->setEnabled(running);
    front_->setEnabled(running && !apps[static_cast<std::size_t>(current)].isActive);

    const QSignalBlocker blocks[] = {QSignalBlocker(camera_), QSignalBlocker(microphone_),
                                     QSignalBlocker(accessibility_), QSignalBlocker(layoutFolder_),
                                     QSignalBlocker(notch_)};
    const auto devices = platform_->captureDevices()->devices();
    bool cameraOn = false;
    bool microphoneOn = false;
    for (const auto& device : devices) {
        if (device.framework == platform::CaptureDevices::Framework::coreMediaIO) {
            cameraOn = cameraOn || device.runningSomewhere;
        } else if (device.inputStreams > 0) {
            microphoneOn = microphoneOn || device.runningSomewhere;
        }
    }
    camera_->setChecked(cameraOn);
    microphone_->setChecked(microphoneOn);
    accessibility_->setChecked(platform_->accessibility()->isProcessTrusted());
    layoutFolder_->setChecked(desktop.isMenuBarContainerGranted());
    notch_->setChecked(desktop.mainScreen().cameraHousingWidth.has_value());
}

void ControlsPanel::launchOrQuit(bool launch) {
    const QVariant pid = applications_->currentData();
    if (!pid.isValid()) {
        return;
    }
    auto& desktop = *platform_->desktop();
    if (launch) {
        desktop.launch(pid.toInt());
    } else {
        desktop.setRunning(pid.toInt(), false);
    }
    refresh();
}

void ControlsPanel::setNotch(bool notched) {
    auto screens = platform_->desktop()->screens();
    if (notched) {
        screens.front().cameraHousingWidth = housingWidth_;
    } else {
        screens.front().cameraHousingWidth.reset();
    }
    platform_->desktop()->setScreens(std::move(screens));
}

void ControlsPanel::setMicrophone(bool on) {
    auto& devices = *platform_->captureDevices();
    for (const auto& device : devices.devices(platform::CaptureDevices::Framework::coreAudio)) {
        if (device.inputStreams > 0) {
            devices.setRunningSomewhere(device.framework, device.objectID, on);
            return;
        }
    }
}

} // namespace pellacor::demo
