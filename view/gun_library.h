#pragma once

// The gun library: one action file per gun ("<gun folder>/<name>.bin", laid out like a macro with its lines
// in group "gun"), the shared parameter file "<gun folder>/gunData.bin" with five values per gun, and the
// three gun slots of the current profile.

#include "macro_library.h"
#include "profile_store.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <memory>

class GunLibrary
{
public:
    static inline const QString kDefaultFolder = QStringLiteral("./modules/gun");

    explicit GunLibrary(ProfileStore& profiles, const QString& gunFolder = kDefaultFolder);

    // ---- gun files ----
    QVariant createGunIni(const QVariant& name, const QVariant& gunIndex);
    QVariant saveGunIni(const QVariant& name, const QStringList& macros, const QVariantList& macroData,
                        const QVariant& repeat);
    QStringList loadGunIni(const QVariant& name) const;
    QVariant loadGunType(const QVariant& name) const;
    QVariant loadGunIndex(const QVariant& name) const;
    void setGunIndex(const QVariant& name, const QVariant& gunIndex);
    QVariant deleteGunIni(const QVariant& name);
    QVariant modifyGunName(const QVariant& oldname, const QVariant& newname);
    QStringList isGunUse(const QVariant& macroName);

    // ---- gun parameters (only while gunData.bin is installed) ----
    // [name, five parameters]; a shorter list writes nothing.
    void saveGundata(const QVariantList& src6);
    // Type 0 removes src6[0]; type 1 renames src6[6] to src6[0] with the parameters src6[1..5] and writes
    // nothing unless all seven entries are there.
    void modifyGundata(const QVariant& modifyType, const QVariantList& src6);
    QVariantList getGunData(const QVariant& name) const;
    QStringList getGunDataKey() const;

    // ---- gun slots of the current profile ----
    QVariantList getselectGun();
    // Three gun numbers; a shorter list writes nothing.
    void setSelectGun(const QVariantList& gunData);
    QVariantList getselectGunKey();
    // Three keys and three key types; a shorter list writes nothing.
    void setSelectGunKey(const QVariantList& gunData);
    // Releases the slots of the other shown profiles that used the deleted gun.
    void upDateDeleteGun(const QVariant& gunData);

    QString gunDataFile() const { return gunDataPath; }

private:
    // A handle on gunData.bin, or null when it is not installed: this library never creates it.
    std::unique_ptr<QSettings> openGunData() const;

    ProfileStore& profiles;
    ActionFolder gunFiles;
    QString gunDataPath;
};
