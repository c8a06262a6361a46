#include "settings_io.h"

#include <QFile>

void writeThrough(QSettings& settings, const QString& key, const QVariant& value)
{
    settings.setValue(key, value);
    settings.sync();
}

QVariantList storedList(const QSettings& settings, const QString& key)
{
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return {};
    const int type = value.typeId();
    if (type == QMetaType::QVariantList || type == QMetaType::QStringList)
        return value.toList();
    return {value};
}

std::optional<QString> libraryEntryPath(const QString& folder, const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return std::nullopt;
    for (const QChar character : name) {
        const char16_t unit = character.unicode();
        if (unit < 0x20 || unit == 0x7F || unit == u'/' || unit == u'\\' || unit == u':')
            return std::nullopt;
    }
    return folder + QLatin1Char('/') + name + QStringLiteral(".bin");
}

bool replaceWithCopy(const QString& source, const QString& target)
{
    // Copy beside the target first: a source that cannot be read leaves the target as it was.
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(source, part)) {
        QFile::remove(part);
        return false;
    }
    // A copy of a read-only factory file must stay writable: it is the user's file now.
    QFile::setPermissions(part, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    QFile::remove(target);
    return QFile::rename(part, target);
}
