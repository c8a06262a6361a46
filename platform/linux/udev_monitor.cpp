#include "device_change_monitor.h"
#include "platform_log.h"

#include <QSocketNotifier>

#include <libudev.h>

namespace j2::platform {

namespace {

// Watches the hidraw subsystem: every HID node that appears or goes away is one device change.
class UdevMonitor final : public DeviceChangeMonitor
{
public:
    explicit UdevMonitor(QObject* parent) : DeviceChangeMonitor(parent)
    {
        context = udev_new();
        if (context == nullptr)
            return;
        monitor = udev_monitor_new_from_netlink(context, "udev");
        if (monitor == nullptr ||
            udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
            udev_monitor_enable_receiving(monitor) < 0) {
            qCDebug(lcPlatform, "device change monitor: udev is not available");
            return;
        }
        notifier = new QSocketNotifier(udev_monitor_get_fd(monitor), QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, &UdevMonitor::drain);
    }

    ~UdevMonitor() override
    {
        delete notifier;
        if (monitor != nullptr)
            udev_monitor_unref(monitor);
        if (context != nullptr)
            udev_unref(context);
    }
    UdevMonitor(const UdevMonitor&) = delete;
    UdevMonitor& operator=(const UdevMonitor&) = delete;

    bool isWatching() const override { return notifier != nullptr; }

private:
    void drain()
    {
        bool changed = false;
        while (udev_device* device = udev_monitor_receive_device(monitor)) {
            changed = true;
            udev_device_unref(device);
        }
        if (changed)
            emit deviceChanged();
    }

    struct udev* context = nullptr;
    struct udev_monitor* monitor = nullptr;
    QSocketNotifier* notifier = nullptr;
};

} // namespace

DeviceChangeMonitor* makeSystemDeviceChangeMonitor(QObject* parent)
{
    return new UdevMonitor(parent);
}

void watchHidInterfaces(DeviceChangeMonitor*, quintptr) {}

} // namespace j2::platform
