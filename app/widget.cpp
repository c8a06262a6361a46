#include "widget.h"

#include "app_log.h"
#include "device_flags.h"
#include "device_table.h"
#include "my_qquick_view.h"
#include "settings_io.h"
#include "user_event.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMenu>

namespace {

const char* const kTrayMenuStyle =
    "QMenu { border: 1px solid rgb(100, 100, 100); background: rgb(68, 69, 73); } QMenu::item { height: "
    "22px; "
    "padding: 0px 25px 0px 20px; } QMenu::item:enabled { color: rgb(225, 225, 225); } QMenu::item:!enabled { "
    "color: rgb(155, 155, 155); } QMenu::item:enabled:selected { color: rgb(230, 230, 230); background: "
    "rgba(255, 255, 255, 40); } QMenu::separator { height: 1px; background: rgb(100, 100, 100); } "
    "QMenu::indicator { width: 13px; height: 13px; } QMenu::icon { padding-left: 2px; padding-right: 2px; } ";

// USB usages of the hot key's keys.
constexpr int kLeftShift = 0xE1;
constexpr int kRightShift = 0xE5;
constexpr int kLeftAlt = 0xE2;
constexpr int kRightAlt = 0xE6;
constexpr int kRestoreKey = 0x45; // F12

} // namespace

Widget::Widget(std::shared_ptr<j2::hid::Backend> backend, QWidget* parent)
    : Widget(StoreLocations(), std::move(backend), parent)
{}

Widget::Widget(const StoreLocations& locations, std::shared_ptr<j2::hid::Backend> backend, QWidget* parent)
    : QWidget(parent), ui(new Ui_Controler), hid(std::move(backend))
{
    hid.setOwner(this);
    // A settings file that cannot be written is said once per run, where the user looks: the tray.
    setWriteFailureNotice([this](const QString& text) { showTrayMessage(QStringLiteral("Info"), text); });
    ui->install(this, &hid, locations);
    ui->sceneView()->setDevice(&hid);

    pollTimer.setInterval(kPollIntervalMs);
    pollTimer.setSingleShot(true);
    connect(&pollTimer, &QTimer::timeout, this, &Widget::checkDevice);
    const QString artwork = locations.imageFolder() + QLatin1Char('/') + kTrayIconName;
    setIdentity(artwork);
    createTrayIcon(artwork);
}

Widget::~Widget()
{
    setWriteFailureNotice({});
    // The watch reports to this window from its own thread: it must end before the window goes.
    hid.stopNotificationWatch();
    hid.waitForPendingWrite();
    ui->deleteLater();
}

void Widget::setIdentity(const QString& artworkFile)
{
    // Docks and task switchers show the icon the installation put in the theme; run from the build or a
    // copied folder, the tray icon's artwork beside the program stands in.
    setWindowIcon(QIcon::fromTheme(kIconName, QIcon(artworkFile)));
}

void Widget::createTrayIcon(const QString& iconFile)
{
    tray = new QSystemTrayIcon(this);
    // Where no tray host exists, the window is the only way back; "Show window" is there for hosts whose
    // click does not reach us as one.
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        qCDebug(lcApp)
            << "tray: no system tray on this desktop; closing the window minimises it instead of hiding";
    auto* show = new QAction(tr("Show window"), this);
    connect(show, &QAction::triggered, this, &Widget::restoreWindow);
    auto* quit = new QAction(tr("Quit (&Q)"), this);
    connect(quit, &QAction::triggered, qApp, &QCoreApplication::quit);
    auto* menu = new QMenu(this);
    menu->addAction(show);
    menu->addAction(quit);
    connect(menu, &QMenu::aboutToShow, show, [show] { show->setEnabled(isDeviceFound.load()); });
    menu->setStyleSheet(QString::fromLatin1(kTrayMenuStyle));
    tray->setContextMenu(menu);
    tray->setToolTip(kToolTip);
    tray->setIcon(QIcon(iconFile));
    connect(tray, &QSystemTrayIcon::activated, this, &Widget::trayIconActivated);
    tray->show();
}

void Widget::trackHotKey(int usage, bool isDown)
{
    if (usage == kLeftShift || usage == kRightShift)
        shiftHeld = isDown;
    else if (usage == kLeftAlt || usage == kRightAlt)
        altHeld = isDown;
    else if (usage == kRestoreKey && isDown && shiftHeld && altHeld && !isVisible())
        showNormal();
}

void Widget::showTrayMessage(const QString& title, const QString& text)
{
    // Also on the debug output, so a terminal or the journal shows what the tray showed.
    qCDebug(lcApp).noquote() << title + QStringLiteral(": ") + text;
    QMetaObject::invokeMethod(
        this,
        [this, title, text] {
            tray->showMessage(title, text, QSystemTrayIcon::Information, kNoticeMs);
            emit noticeShown(title, text);
        },
        Qt::QueuedConnection);
}

void Widget::hideWindow()
{
    setVisible(false);
}

QString Widget::storedSecrecyCode(int did)
{
    return ui->sceneView()->appConfig().secrecyCode(did);
}

bool Widget::restoreWindow()
{
    if (!isDeviceFound.load()) {
        qCDebug(lcApp) << "window: no mouse has answered yet; the window stays hidden";
        return false;
    }
    // Wayland neither tells a window that it was minimised nor lets it leave that state or come forward by
    // itself: a shown window without the focus may be minimised or buried, so it is mapped afresh, which
    // brings it back on every compositor.
    const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    if (isMinimized() || (wayland && isVisible() && !isActiveWindow()))
        hide();
    showNormal();
    raise();
    activateWindow();
    return true;
}

void Widget::trayIconActivated(QSystemTrayIcon::ActivationReason reason)
{
    // StatusNotifier hosts (KDE Plasma, GNOME's AppIndicator, waybar) send a click as Activate, which Qt
    // reports as Trigger; a double click reaches us only from hosts that embed the icon.
    if ((reason != QSystemTrayIcon::DoubleClick && reason != QSystemTrayIcon::Trigger) ||
        !isDeviceFound.load())
        return;
    // Restored from the event loop, as a posted restore command would be.
    QMetaObject::invokeMethod(this, &Widget::restoreWindow, Qt::QueuedConnection);
}

void Widget::checkDevice()
{
    const DeviceTable table =
        loadDeviceTable(kDeviceTableResource, ui->sceneView()->appConfig().productNames());
    hid.setDeviceTable(table.records);
    isEncode = table.isEncode;
    hid.swichCurDevice(uint(hid.currentDevice()));
    ui->sceneView()->syncFW();
}

void Widget::deviceChanged()
{
    if (!hid.isWatchRunning())
        pollTimer.start();
}

void Widget::customEvent(QEvent* event)
{
    if (event->type() != UserEvent::kType || static_cast<UserEvent*>(event)->code != UserEvent::kRunUI)
        return;
    ui->sceneView()->runUI();
}

void keyboardCallback(int usage, bool isDown, void* window)
{
    auto* widget = static_cast<Widget*>(window);
    if (widget == nullptr)
        return;
    widget->sceneView()->detectKeyboard(isDown, usage);
    widget->trackHotKey(usage, isDown);
}

void mouseCallback(unsigned code, bool isDown, int x, int y, void* window)
{
    auto* widget = static_cast<Widget*>(window);
    if (widget == nullptr)
        return;
    // The scene takes screen coordinates unsigned: a point left of or above the primary screen arrives as
    // its two's complement.
    widget->sceneView()->detectMouse(isDown, code, uint(x), uint(y));
}
