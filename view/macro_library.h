#pragma once

// The macro library: one INI file per recorded macro ("<macro folder>/<name>.bin") holding its action lines
// and its number, repeat count and type, the scans of the profiles for the macro keys that play a macro, and
// the import and export of single macros as ".mc" byte copies.

#include "action_folder.h"
#include "file_dialogs.h"
#include "profile_store.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <memory>
#include <optional>

class MacroLibrary
{
public:
    static inline const QString kDefaultFolder = QStringLiteral("./modules/macro");

    // `dialogs` answers import and export (not owned; null acts as cancelled).
    MacroLibrary(ProfileStore& profiles, FileDialogs* dialogs, const QString& macroFolder = kDefaultFolder);

    QVariant createMacroIni(const QVariant& name, const QVariant& macroIndex);
    QVariant saveMacroIni(const QVariant& name, const QStringList& macros, const QVariantList& macroData,
                          const QVariant& repeat);
    QStringList loadMacroIni(const QVariant& name) const;
    QVariant loadMacroType(const QVariant& name) const;
    QVariant loadMacroIndex(const QVariant& name) const;
    void setMacroIndex(const QVariant& name, const QVariant& macroIndex);
    void setMacroType(const QVariant& name, const QVariant& macroType);
    QVariantList loadMacroIniConfig(const QVariant& name) const;
    void setMacroIniConfig(const QVariant& name, const QVariantList& config);
    QVariant deleteMacroIni(const QVariant& name);
    QVariant modifyMacroName(const QVariant& oldname, const QVariant& newname);
    void renameMacroIniFile(const QVariant& oldName, const QVariant& newName);
    QStringList isMacroUse(const QVariant& macroName);

    // Import: " " unless a chosen ".mc" file replaced the existing macro, then the chosen path.
    QVariant loadMacroIniFromFile(const QVariant& name);
    void saveMacroIniToFile(const QVariant& name);

private:
    ProfileStore& profiles;
    FileDialogs* dialogs;
    ActionFolder macroFiles;
};
