#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// One device type of the device table. Its position in the list is the device index used everywhere else
// (0 keyboard family, 1 mouse family in the shipped table).
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
