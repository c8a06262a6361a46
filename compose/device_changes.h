#pragma once

// Where a program hears that devices came or went: the system's own notifications and, when it talks to a
// j2-virtual-mouse daemon, that mouse's cable being plugged in or pulled.

#include "device_change_monitor.h"

#include <QString>

namespace j2::compose {

// One monitor for every source; `deviceChanged` arrives on the thread of `parent`, which owns it. The
// virtual mouse's cable is watched while `virtualMouseSocket` is set.
platform::DeviceChangeMonitor* makeDeviceChangeMonitor(const QString& virtualMouseSocket, QObject* parent);

} // namespace j2::compose
