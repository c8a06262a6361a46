#include "qml_values.h"

namespace qml_values {

QList<int> ints(const QVariantList& values)
{
    QList<int> converted;
    converted.reserve(values.size());
    for (const QVariant& value : values)
        converted.append(value.toInt());
    return converted;
}

QByteArray lowBytes(const QVariantList& values)
{
    QByteArray bytes;
    bytes.reserve(values.size());
    for (const QVariant& value : values)
        bytes.append(char(value.toInt() & 0xFF));
    return bytes;
}

uchar lowByte(const QVariant& value)
{
    return uchar(value.toUInt() & 0xFF);
}

QVariantList numbers(const QByteArray& bytes)
{
    QVariantList list;
    list.reserve(bytes.size());
    for (const char byte : bytes)
        list.append(int(uchar(byte)));
    return list;
}

QVariantList texts(const QStringList& values)
{
    QVariantList list;
    list.reserve(values.size());
    for (const QString& value : values)
        list.append(value);
    return list;
}

QVariant numberOrEmptyText(const std::optional<int>& value)
{
    return value ? QVariant(*value) : QVariant(QString());
}

} // namespace qml_values
