#pragma once

// The gun library: one action file per gun ("<gun folder>/<name>.bin", laid out like a macro with its lines
// in group "gun"), the shared parameter file "<gun folder>/gunData.bin" with five values per gun, and the
// three gun slots of the current profile.

#include "macro_library.h"
#include "profile_store.h"

#include <QList>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

// A gun's five parameters in gunData.bin, as the gun page passes them.
struct GunParameters
{
    QString name;
    QList<int> values;
};

// One of a profile's three gun slots. Each value is absent where the profile has none (or no number).
struct GunSlot
{
    std::optional<int> gun;
    std::optional<int> key;
    std::optional<int> keyType;
};

class GunLibrary
{
public:
    static inline const QString kDefaultFolder = QStringLiteral("./modules/gun");

    explicit GunLibrary(ProfileStore& profiles, const QString& gunFolder = kDefaultFolder);

    static constexpr int kGunSlots = 3;
    static constexpr int kParameters = 5;

    // ---- gun files ----
    bool createGunIni(const QString& name, uint gunIndex);
    // The lines and the repeat count replace those of an existing gun file; false when there is none.
    bool saveGunIni(const QString& name, const QStringList& macros, int repeat);
    QStringList loadGunIni(const QString& name) const;
    int loadGunType(const QString& name) const;
    int loadGunIndex(const QString& name) const;
    void setGunIndex(const QString& name, int gunIndex);
    bool deleteGunIni(const QString& name);
    bool modifyGunName(const QString& oldname, const QString& newname);
    QStringList isGunUse(const QString& gunName);

    // ---- gun parameters (only while gunData.bin is installed) ----
    void saveGundata(const GunParameters& gun);
    void removeGundata(const QString& name);
    // The record of `oldName` goes; `gun` takes its place under its own name.
    void renameGundata(const QString& oldName, const GunParameters& gun);
    // Empty when the gun has no record.
    QList<int> getGunData(const QString& name) const;
    QStringList getGunDataKey() const;

    // ---- gun slots of the current profile ----
    std::array<GunSlot, kGunSlots> selectedGuns();
    void setSelectGun(const std::array<int, kGunSlots>& guns);
    void setSelectGunKey(const std::array<int, kGunSlots>& keys, const std::array<int, kGunSlots>& keyTypes);
    // Releases the slots of the other shown profiles that used the deleted gun.
    void upDateDeleteGun(uint deletedGun);

    QString gunDataFile() const { return gunDataPath; }

private:
    // A handle on gunData.bin, or null when it is not installed: this library never creates it.
    std::unique_ptr<QSettings> openGunData() const;

    ProfileStore& profiles;
    ActionFolder gunFiles;
    QString gunDataPath;
};
