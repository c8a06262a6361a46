#pragma once

// The device table: which USB devices the program may talk to, and through which two HID collections.

#include "dev_info.h"

#include <QString>
#include <QStringList>

struct DeviceTable
{
    DevInfoList records; // list position = device index
    bool isEncode = false;
};

// The table compiled into the program.
inline const QString kDeviceTableResource = QStringLiteral(":/DevInfo.ini");

// Reads an INI device table; `productNames` gives each record its name by index. A missing file or key
// takes the defaults (no records, ids 0, type -1), so nothing unknown ever matches an attached device.
DeviceTable loadDeviceTable(const QString& iniPath, const QStringList& productNames);
