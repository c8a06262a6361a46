#include "device_changes.h"

#include "virtual_mouse.h"

#include <QFile>

#include <memory>

namespace j2::compose {

namespace {

class AllDeviceChanges final : public platform::DeviceChangeMonitor
{
public:
    AllDeviceChanges(const QString& virtualMouseSocket, QObject* parent)
        : DeviceChangeMonitor(parent), system(platform::makeSystemDeviceChangeMonitor(this))
    {
        connect(system, &DeviceChangeMonitor::deviceChanged, this, &DeviceChangeMonitor::deviceChanged);
        if (virtualMouseSocket.isEmpty())
            return;
        // The watcher calls from a thread of its own; the listener hears it on ours.
        cable = std::make_unique<vm::PlugEventWatcher>(
            QFile::encodeName(virtualMouseSocket).toStdString(), [this](bool) {
                QMetaObject::invokeMethod(
                    this, [this] { emit deviceChanged(); }, Qt::QueuedConnection);
            });
        cable->start();
    }

    // The cable's callback refers to us: it must have ended before we go.
    ~AllDeviceChanges() override
    {
        if (cable)
            cable->stop();
    }
    AllDeviceChanges(const AllDeviceChanges&) = delete;
    AllDeviceChanges& operator=(const AllDeviceChanges&) = delete;

    bool isWatching() const override { return system->isWatching() || cable != nullptr; }

private:
    platform::DeviceChangeMonitor* system;
    std::unique_ptr<vm::PlugEventWatcher> cable;
};

} // namespace

platform::DeviceChangeMonitor* makeDeviceChangeMonitor(const QString& virtualMouseSocket, QObject* parent)
{
    return new AllDeviceChanges(virtualMouseSocket, parent);
}

} // namespace j2::compose
