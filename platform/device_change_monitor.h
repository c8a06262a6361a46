#pragma once

#include <QObject>

namespace j2::platform {

// Reports that HID devices came or went. It says nothing about which device: the listener re-detects.
class DeviceChangeMonitor : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // False when the system offers no way to watch (the program then relies on the next manual check).
    virtual bool isWatching() const = 0;

signals:
    void deviceChanged();
};

// The system's own monitor: udev on Linux, WM_DEVICECHANGE on Windows.
DeviceChangeMonitor* makeSystemDeviceChangeMonitor(QObject* parent);

// Makes `monitor` also hear arrivals and removals of HID interfaces, which Windows sends only to a window
// that registered for them (the updater's). On Linux udev reports them already and this does nothing.
void watchHidInterfaces(DeviceChangeMonitor* monitor, quintptr windowHandle);

} // namespace j2::platform
