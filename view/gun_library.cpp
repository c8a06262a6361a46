#include "gun_library.h"

#include "settings_io.h"

#include <QFile>

namespace {

// The gun a released slot falls back to, and the key of a slot bound to none.
constexpr uint kFallbackGun = 2;
constexpr int kNoKey = -1;

QString gunDataKey(const QString& name)
{
    return QStringLiteral("gunData/") + name;
}

// The parameters as the list the file keeps.
QVariantList storedParameters(const QList<int>& values)
{
    QVariantList stored;
    for (const int value : values.mid(0, GunLibrary::kParameters))
        stored.append(value);
    return stored;
}

// A slot's number, or nothing where the profile keeps none (or text that is not a number).
std::optional<int> slotNumber(const QSettings& profile, const QString& key)
{
    bool ok = false;
    const int number = profile.value(key, QString()).toString().toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
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
    : profiles(profileStore), gunFiles(gunFolder, QStringLiteral("gun"), QString()),
      gunDataPath(gunFolder + QStringLiteral("/gunData.bin"))
{}

// ---- gun files ----

bool GunLibrary::createGunIni(const QString& name, uint gunIndex)
{
    return gunFiles.create(name, gunIndex);
}

bool GunLibrary::saveGunIni(const QString& name, const QStringList& lines, int repeat)
{
    return gunFiles.save(name, lines, repeat);
}

QStringList GunLibrary::loadGunIni(const QString& name) const
{
    return gunFiles.load(name);
}

int GunLibrary::loadGunType(const QString& name) const
{
    return gunFiles.configValue(name, ActionFolder::kTypeKey);
}

int GunLibrary::loadGunIndex(const QString& name) const
{
    return gunFiles.configValue(name, ActionFolder::kIndexKey);
}

void GunLibrary::setGunIndex(const QString& name, int gunIndex)
{
    gunFiles.setConfigValue(name, ActionFolder::kIndexKey, gunIndex);
}

bool GunLibrary::deleteGunIni(const QString& name)
{
    return gunFiles.remove(name);
}

bool GunLibrary::modifyGunName(const QString& oldname, const QString& newname)
{
    return gunFiles.rename(oldname, newname);
}

QStringList GunLibrary::isGunUse(const QString& gunName)
{
    return keysUsingEntry(profiles, QStringLiteral("gun"), gunName);
}

// ---- gun parameters ----

std::unique_ptr<QSettings> GunLibrary::openGunData() const
{
    if (!QFile::exists(gunDataPath))
        return nullptr;
    return std::make_unique<QSettings>(gunDataPath, QSettings::IniFormat);
}

void GunLibrary::saveGundata(const GunParameters& gun)
{
    if (const std::unique_ptr<QSettings> settings = openGunData()) {
        settings->setValue(gunDataKey(gun.name), storedParameters(gun.values));
        syncChecked(*settings);
    }
}

void GunLibrary::removeGundata(const QString& name)
{
    if (const std::unique_ptr<QSettings> settings = openGunData()) {
        settings->remove(gunDataKey(name));
        syncChecked(*settings);
    }
}

void GunLibrary::renameGundata(const QString& oldName, const GunParameters& gun)
{
    if (const std::unique_ptr<QSettings> settings = openGunData()) {
        settings->remove(gunDataKey(oldName));
        settings->setValue(gunDataKey(gun.name), storedParameters(gun.values));
        syncChecked(*settings);
    }
}

QList<int> GunLibrary::getGunData(const QString& name) const
{
    const std::unique_ptr<QSettings> settings = openGunData();
    QList<int> values;
    if (!settings)
        return values;
    const QVariantList stored = settings->value(gunDataKey(name), 0).toList();
    for (const QVariant& value : stored)
        values.append(value.toInt());
    return values;
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

std::array<GunSlot, GunLibrary::kGunSlots> GunLibrary::selectedGuns()
{
    const QSettings& profile = profiles.current();
    std::array<GunSlot, kGunSlots> gunSlots;
    for (int slot = 0; slot < kGunSlots; ++slot)
        gunSlots[std::size_t(slot)] = {slotNumber(profile, selectGunKey(slot)),
                                       slotNumber(profile, selectGunKeyKey(slot)),
                                       slotNumber(profile, selectGunTypeKey(slot))};
    return gunSlots;
}

void GunLibrary::setSelectGun(const std::array<int, kGunSlots>& guns)
{
    QSettings& profile = profiles.current();
    for (int slot = 0; slot < kGunSlots; ++slot)
        profile.setValue(selectGunKey(slot), guns[std::size_t(slot)]);
    syncChecked(profile);
}

void GunLibrary::setSelectGunKey(const std::array<int, kGunSlots>& keys,
                                 const std::array<int, kGunSlots>& keyTypes)
{
    QSettings& profile = profiles.current();
    for (int slot = 0; slot < kGunSlots; ++slot) {
        profile.setValue(selectGunKeyKey(slot), keys[std::size_t(slot)]);
        profile.setValue(selectGunTypeKey(slot), keyTypes[std::size_t(slot)]);
    }
    syncChecked(profile);
}

void GunLibrary::upDateDeleteGun(uint deleted)
{
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
