#pragma once

// The conversions between the scene's values and the typed values of the modules below, in one place: the
// view's slots take what QML passes (numbers, texts, arrays as QVariant and QVariantList) and hand back what
// QML shows; nothing below the view sees a QVariant from the scene.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <optional>

namespace qml_values {

// Each element with `toInt`.
QList<int> ints(const QVariantList& values);
// Each element's low byte (`toInt`), as the device takes page values.
QByteArray lowBytes(const QVariantList& values);
// A slot or table number the device takes as one byte (`toUInt`, low byte).
uchar lowByte(const QVariant& value);

// Back to the scene: numbers as JavaScript numbers, bytes as numbers 0-255.
template <typename Number> QVariantList numbers(const QList<Number>& values)
{
    QVariantList list;
    list.reserve(values.size());
    for (const Number value : values)
        list.append(value);
    return list;
}
QVariantList numbers(const QByteArray& bytes);
QVariantList texts(const QStringList& values);
// A number the file may not hold: the empty text then, as the pages have always read it.
QVariant numberOrEmptyText(const std::optional<int>& value);

} // namespace qml_values
