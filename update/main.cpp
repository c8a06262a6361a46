// The firmware updater: programs the mouse from ./data.bin in the folder it is started in (the
// configurator starts it from its own folder).

#include "device_changes.h"
#include "hid_choice.h"
#include "updater_window.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("j2-update"));

    // The j2-virtual-mouse daemon the environment names (the configurator passes on its own), or the real
    // mouse through hidapi.
    const QString virtualSocket = j2::compose::virtualMouseSocketFromEnvironment();
    j2::update::Widget window(j2::compose::makeHidBackend(virtualSocket), QStringLiteral("./data.bin"));

    // Arrivals and removals of HID devices: the system's own notifications, and the virtual mouse's cable
    // when we talk to a daemon.
    j2::platform::DeviceChangeMonitor* monitor = j2::compose::makeDeviceChangeMonitor(virtualSocket, &window);
    QObject::connect(monitor, &j2::platform::DeviceChangeMonitor::deviceChanged, &window,
                     &j2::update::Widget::devicesChanged);
    j2::platform::watchHidInterfaces(monitor, window.winId());

    window.show();
    return app.exec();
}
