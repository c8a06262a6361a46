#include "gun_library.h"

#include "settings_io.h"

#include <QFile>

namespace {

constexpr int kGunSlots = 3;
constexpr int kParameters = 5;
// Where the old name sits in a modify request: [name, five parameters, old name].
constexpr int kOldNameEntry = 1 + kParameters;
// The gun a released slot falls back to, and the key of a slot bound to none.
constexpr uint kFallbackGun = 2;
constexpr int kNoKey = -1;

QString gunDataKey(const QVariant& name)
{
    return QStringLiteral("gunData/") + name.toString();
}

QString selectGunKey(int slot)
{
    return QStringLiteral("selectGun/") + QString::number(slot);
}

QString selectGunKeyKey(int slot)
{
    return QStringLiteral("selectGunKey/") + QString::number(slot);
}

QString selectGunTypeKey(int slot)
{
    return QStringLiteral("selectGunKey/type") + QString::number(slot);
}

} // namespace

GunLibrary::GunLibrary(ProfileStore& profileStore, const QString& gunFolder)
    : profiles(profileStore), gunFiles(gunFolder, QStringLiteral("gun"), QVariant()),
      gunDataPath(gunFolder + QStringLiteral("/gunData.bin"))
{}

// ---- gun files ----

QVariant GunLibrary::createGunIni(const QVariant& name, const QVariant& gunIndex)
{
    return gunFiles.create(name, gunIndex);
}

// The encoded bytes go to the device only; the library keeps the lines they were made from.
QVariant GunLibrary::saveGunIni(const QVariant& name, const QStringList& lines, const QVariantList&,
                                const QVariant& repeat)
{
    return gunFiles.save(name, lines, repeat);
}

QStringList GunLibrary::loadGunIni(const QVariant& name) const
{
    return gunFiles.load(name);
}

QVariant GunLibrary::loadGunType(const QVariant& name) const
{
    return gunFiles.configValue(name, ActionFolder::kTypeKey);
}

QVariant GunLibrary::loadGunIndex(const QVariant& name) const
{
    return gunFiles.configValue(name, ActionFolder::kIndexKey);
}

void GunLibrary::setGunIndex(const QVariant& name, const QVariant& gunIndex)
{
    gunFiles.setConfigValue(name, ActionFolder::kIndexKey, gunIndex);
}

QVariant GunLibrary::deleteGunIni(const QVariant& name)
{
    return gunFiles.remove(name);
}

QVariant GunLibrary::modifyGunName(const QVariant& oldname, const QVariant& newname)
{
    return gunFiles.rename(oldname, newname);
}

QStringList GunLibrary::isGunUse(const QVariant& macroName)
{
    return keysUsingEntry(profiles, QStringLiteral("gun"), macroName);
}

// ---- gun parameters ----

std::unique_ptr<QSettings> GunLibrary::openGunData() const
{
    if (!QFile::exists(gunDataPath))
        return nullptr;
    return std::make_unique<QSettings>(gunDataPath, QSettings::IniFormat);
}

void GunLibrary::saveGundata(const QVariantList& src6)
{
    if (src6.size() < 1 + kParameters)
        return;
    if (const std::unique_ptr<QSettings> settings = openGunData()) {
        settings->setValue(gunDataKey(src6.at(0)), src6.mid(1, kParameters));
        syncChecked(*settings);
    }
}

void GunLibrary::modifyGundata(const QVariant& modifyType, const QVariantList& src6)
{
    const int type = modifyType.toInt();
    // A partial rename would drop the old record and store holes in the new one.
    const qsizetype needed = type == 1 ? kOldNameEntry + 1 : 1;
    if ((type != 0 && type != 1) || src6.size() < needed)
        return;
    const std::unique_ptr<QSettings> settings = openGunData();
    if (!settings)
        return;
    if (type == 0) {
        settings->remove(gunDataKey(src6.at(0)));
    } else {
        settings->remove(gunDataKey(src6.at(kOldNameEntry)));
        settings->setValue(gunDataKey(src6.at(0)), src6.mid(1, kParameters));
    }
    syncChecked(*settings);
}

QVariantList GunLibrary::getGunData(const QVariant& name) const
{
    const std::unique_ptr<QSettings> settings = openGunData();
    return settings ? settings->value(gunDataKey(name), 0).toList() : QVariantList();
}

QStringList GunLibrary::getGunDataKey() const
{
    const std::unique_ptr<QSettings> settings = openGunData();
    if (!settings)
        return {};
    settings->beginGroup(QStringLiteral("gunData"));
    return settings->allKeys();
}

// ---- gun slots ----

QVariantList GunLibrary::getselectGun()
{
    const QSettings& profile = profiles.current();
    QVariantList guns;
    for (int slot = 0; slot < kGunSlots; ++slot)
        guns.append(profile.value(selectGunKey(slot), QString()));
    return guns;
}

void GunLibrary::setSelectGun(const QVariantList& gunData)
{
    if (gunData.size() < kGunSlots)
        return;
    QSettings& profile = profiles.current();
    for (int slot = 0; slot < kGunSlots; ++slot)
        profile.setValue(selectGunKey(slot), gunData.at(slot));
    syncChecked(profile);
}

QVariantList GunLibrary::getselectGunKey()
{
    const QSettings& profile = profiles.current();
    QVariantList keys;
    for (int slot = 0; slot < kGunSlots; ++slot)
        keys.append(profile.value(selectGunKeyKey(slot), QString()));
    for (int slot = 0; slot < kGunSlots; ++slot)
        keys.append(profile.value(selectGunTypeKey(slot), QString()));
    return keys;
}

void GunLibrary::setSelectGunKey(const QVariantList& gunData)
{
    if (gunData.size() < 2 * kGunSlots)
        return;
    QSettings& profile = profiles.current();
    for (int slot = 0; slot < kGunSlots; ++slot) {
        profile.setValue(selectGunKeyKey(slot), gunData.at(slot));
        profile.setValue(selectGunTypeKey(slot), gunData.at(kGunSlots + slot));
    }
    syncChecked(profile);
}

void GunLibrary::upDateDeleteGun(const QVariant& gunData)
{
    const uint deleted = gunData.toUInt();
    for (int index = 0; index < kShownProfiles; ++index) {
        // The gun page rewrites the current profile's slots itself.
        if (index == profiles.currentProfile())
            continue;
        QSettings& profile = profiles.slot(index);
        for (int slot = 0; slot < kGunSlots; ++slot) {
            // An absent selection reads as gun 0.
            const uint gun = profile.value(selectGunKey(slot), QString()).toUInt();
            if (gun == deleted) {
                profile.setValue(selectGunKeyKey(slot), kNoKey);
                profile.setValue(selectGunKey(slot), kFallbackGun);
            } else if (gun > deleted) {
                // The guns after the deleted one move down one place in the list; the slot keeps its gun.
                profile.setValue(selectGunKey(slot), gun - 1);
            }
        }
        syncChecked(profile);
    }
}
