#include "device_change_monitor.h"
#include "platform_log.h"
#include "win32_device_change.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <windows.h>

namespace j2::platform {

namespace {

// Windows broadcasts WM_DEVICECHANGE to top-level windows; the filter sees them for every window of ours.
class WindowsDeviceMonitor final : public DeviceChangeMonitor, public QAbstractNativeEventFilter
{
public:
    explicit WindowsDeviceMonitor(QObject* parent) : DeviceChangeMonitor(parent)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~WindowsDeviceMonitor() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    bool isWatching() const override { return true; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (j2::win32::isDeviceChange(msg->message, static_cast<unsigned long long>(msg->wParam)))
            emit deviceChanged();
        return false; // Windows' own handling goes on
    }
};

} // namespace

DeviceChangeMonitor* makeSystemDeviceChangeMonitor(QObject* parent)
{
    return new WindowsDeviceMonitor(parent);
}

void watchHidInterfaces(DeviceChangeMonitor*, quintptr windowHandle)
{
    if (!j2::win32::registerHidInterfaceNotifications(reinterpret_cast<void*>(windowHandle)))
        qCWarning(lcPlatform, "device change monitor: HID interface notifications refused");
}

} // namespace j2::platform
