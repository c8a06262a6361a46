#include "name_list.h"

#include "settings_io.h"

#include <QSettings>

#include <optional>

namespace {

std::optional<QString> keyOfType(const QVariant& type)
{
    switch (type.toUInt()) {
    case 0:
        return QStringLiteral("macro/macroName");
    case 1:
        return QStringLiteral("gun/gunName");
    case 2:
        return QStringLiteral("profile/profileName");
    case 3:
        return QStringLiteral("gun/selectGun");
    default:
        return std::nullopt;
    }
}

} // namespace

NameList::NameList(const QString& settingFolder) : file(settingFolder + QStringLiteral("/name.bin")) {}

QVariant NameList::updataNameList(const QVariant& type, QStringList nameList) const
{
    const std::optional<QString> key = keyOfType(type);
    if (!key)
        return true;
    if (nameList.size() == 1)
        nameList.append(kPlaceholder);
    QSettings settings(file, QSettings::IniFormat);
    if (nameList.isEmpty())
        settings.remove(*key);
    else
        settings.setValue(*key, nameList);
    syncChecked(settings);
    return true;
}

QVariantList NameList::getNameList(const QVariant& type) const
{
    const std::optional<QString> key = keyOfType(type);
    if (!key)
        return {};
    const QSettings settings(file, QSettings::IniFormat);
    return settings.value(*key, 0).toList();
}
