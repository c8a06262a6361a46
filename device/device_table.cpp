#include "device_table.h"

#include <QSettings>

namespace {

constexpr quint32 kSixteenBits = 0xFFFF;

// Bare hexadecimal digits ("04d9"); text that is not hexadecimal reads as 0.
quint32 hexValue(const QSettings& ini, const QString& key)
{
    bool ok = false;
    const quint32 value = ini.value(key).toString().trimmed().toUInt(&ok, 16);
    return ok ? value : 0;
}

quint16 hex16(const QSettings& ini, const QString& key)
{
    return static_cast<quint16>(hexValue(ini, key) & kSixteenBits);
}

} // namespace

DeviceTable loadDeviceTable(const QString& iniPath, const QStringList& productNames)
{
    const QSettings ini(iniPath, QSettings::IniFormat);
    DeviceTable table;
    const int total = ini.value(QStringLiteral("common/total"), 0).toInt();
    for (int n = 0; n < total; ++n) {
        const QString group = QString::number(n) + QLatin1Char('/');
        DevInfo record;
        const QString typeKey = group + QStringLiteral("type");
        record.type = ini.contains(typeKey) ? static_cast<int>(hexValue(ini, typeKey)) : -1;
        record.vid = hex16(ini, group + QStringLiteral("vid"));
        record.pid = hex16(ini, group + QStringLiteral("pid"));
        record.usagePage = hex16(ini, group + QStringLiteral("usagePage"));
        record.usage = hex16(ini, group + QStringLiteral("usage"));
        record.usagePage2 = hex16(ini, group + QStringLiteral("usagePage2"));
        record.usage2 = hex16(ini, group + QStringLiteral("usage2"));
        record.product_name = productNames.value(n);
        record.reportLength = ini.value(group + QStringLiteral("reportLength"), 0).toUInt();
        table.records.append(record);
    }
    table.isEncode = ini.value(QStringLiteral("common/isEncode"), false).toBool();
    return table;
}
