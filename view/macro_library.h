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

#include <memory>
#include <optional>

// What the macro page keeps of a macro besides its lines: the macro's number and its repeat count.
struct MacroConfig
{
    int index = -1;
    int repeat = 1;
};

class MacroLibrary
{
public:
    static inline const QString kDefaultFolder = QStringLiteral("./modules/macro");

    // `dialogs` answers import and export (not owned; null acts as cancelled).
    MacroLibrary(ProfileStore& profiles, FileDialogs* dialogs, const QString& macroFolder = kDefaultFolder);

    bool createMacroIni(const QString& name, uint macroIndex);
    // The lines and the repeat count replace those of an existing macro file; false when there is none.
    bool saveMacroIni(const QString& name, const QStringList& macros, int repeat);
    QStringList loadMacroIni(const QString& name) const;
    int loadMacroType(const QString& name) const;
    int loadMacroIndex(const QString& name) const;
    void setMacroIndex(const QString& name, int macroIndex);
    void setMacroType(const QString& name, int macroType);
    // Nothing for a missing file; the index is -1 when the macro was configured for another device type.
    std::optional<MacroConfig> loadMacroIniConfig(const QString& name) const;
    void setMacroIniConfig(const QString& name, const MacroConfig& config);
    bool deleteMacroIni(const QString& name);
    bool modifyMacroName(const QString& oldname, const QString& newname);
    void renameMacroIniFile(const QString& oldName, const QString& newName);
    QStringList isMacroUse(const QString& macroName);

    // Import: " " unless a chosen ".mc" file replaced the existing macro, then the chosen path.
    QString loadMacroIniFromFile(const QString& name);
    void saveMacroIniToFile(const QString& name);

private:
    ProfileStore& profiles;
    FileDialogs* dialogs;
    ActionFolder macroFiles;
};
