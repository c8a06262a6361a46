// The firmware updater: programs the mouse from ./data.bin in the folder it is started in (the
// configurator starts it from its own folder).

#include "backend_select.h"
#include "device_change_monitor.h"
#include "updater_window.h"
#include "virtual_mouse.h"

#include <QApplication>

#include <memory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("j2-update"));

    j2::update::Widget window(j2::hid::makeDefaultBackend(), QStringLiteral("./data.bin"));

    // Arrivals and removals of HID devices: the system's own notifications, and the virtual mouse's cable
    // when we talk to a j2-virtual-mouse daemon.
    j2::platform::DeviceChangeMonitor* monitor = j2::platform::makeSystemDeviceChangeMonitor(&window);
    QObject::connect(monitor, &j2::platform::DeviceChangeMonitor::deviceChanged, &window,
                     &j2::update::Widget::devicesChanged);
    j2::platform::watchHidInterfaces(monitor, window.winId());
    std::unique_ptr<j2::vm::PlugEventWatcher> virtualCable;
    const QByteArray virtualSocket = qgetenv("J2_VIRTUAL_MOUSE");
    if (!virtualSocket.isEmpty()) {
        virtualCable =
            std::make_unique<j2::vm::PlugEventWatcher>(virtualSocket.toStdString(), [&window](bool) {
                QMetaObject::invokeMethod(&window, &j2::update::Widget::devicesChanged, Qt::QueuedConnection);
            });
        virtualCable->start();
    }

    window.show();
    return app.exec();
}
