#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// The two device families. Each family's record sits at a fixed position of the device table, and that
// position is the device index the commands, the stores and the pages pass around.
enum class DeviceFamily
{
    Keyboard = 0,
    Mouse = 1
};

constexpr int deviceIndex(DeviceFamily family)
{
    return static_cast<int>(family);
}

// One device type of the device table. Its position in the list is its device index (DeviceFamily).
struct DevInfo
{
    int type = -1; // 0 keyboard, 1 mouse
    quint16 vid = 0;
    quint16 pid = 0;
    quint16 usagePage = 0; // command collection (feature reports)
    quint16 usage = 0;
    quint16 usagePage2 = 0; // notification collection (input reports)
    quint16 usage2 = 0;
    QString product_name;
    quint32 reportLength = 0; // payload bytes per bulk report
};

using DevInfoList = QList<DevInfo>;
