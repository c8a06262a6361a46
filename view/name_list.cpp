#include "name_list.h"

#include "settings_io.h"

#include <QSettings>

#include <optional>

namespace {

std::optional<QString> keyOfType(int type)
{
    switch (type) {
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

bool NameList::updataNameList(int type, QStringList nameList) const
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

QStringList NameList::getNameList(int type) const
{
    const std::optional<QString> key = keyOfType(type);
    if (!key)
        return {};
    const QSettings settings(file, QSettings::IniFormat);
    QStringList names;
    const QVariantList stored = settings.value(*key, 0).toList();
    for (const QVariant& name : stored)
        names.append(name.toString());
    return names;
}
