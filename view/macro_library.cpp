#include "macro_library.h"

#include "settings_io.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>

#include <algorithm>

MacroLibrary::MacroLibrary(ProfileStore& profileStore, FileDialogs* fileDialogs, const QString& macroFolder)
    : profiles(profileStore), dialogs(fileDialogs),
      macroFiles(macroFolder, QStringLiteral("macro"), QStringLiteral("0"))
{}

bool MacroLibrary::createMacroIni(const QString& name, uint macroIndex)
{
    return macroFiles.create(name, macroIndex);
}

bool MacroLibrary::saveMacroIni(const QString& name, const QStringList& lines, int repeat)
{
    return macroFiles.save(name, lines, repeat);
}

QStringList MacroLibrary::loadMacroIni(const QString& name) const
{
    return macroFiles.load(name);
}

int MacroLibrary::loadMacroType(const QString& name) const
{
    return macroFiles.configValue(name, ActionFolder::kTypeKey);
}

int MacroLibrary::loadMacroIndex(const QString& name) const
{
    return macroFiles.configValue(name, ActionFolder::kIndexKey);
}

void MacroLibrary::setMacroIndex(const QString& name, int macroIndex)
{
    macroFiles.setConfigValue(name, ActionFolder::kIndexKey, macroIndex);
}

void MacroLibrary::setMacroType(const QString& name, int macroType)
{
    macroFiles.setConfigValue(name, ActionFolder::kTypeKey, macroType);
}

std::optional<MacroConfig> MacroLibrary::loadMacroIniConfig(const QString& name) const
{
    const std::unique_ptr<QSettings> settings = macroFiles.openExisting(name);
    if (!settings)
        return std::nullopt;
    const int repeat = settings->value(ActionFolder::kRepeatKey, 1).toInt();
    // The stored number belongs to the device type the macro was configured for; another device's number
    // means nothing here.
    if (settings->value(ActionFolder::kTypeKey, -1).toInt() != profiles.deviceIndex())
        return MacroConfig{-1, repeat};
    return MacroConfig{settings->value(ActionFolder::kIndexKey, -1).toInt(), repeat};
}

void MacroLibrary::setMacroIniConfig(const QString& name, const MacroConfig& config)
{
    const std::unique_ptr<QSettings> settings = macroFiles.openExisting(name);
    if (!settings)
        return;
    settings->setValue(ActionFolder::kIndexKey, config.index);
    settings->setValue(ActionFolder::kRepeatKey, config.repeat);
    settings->setValue(ActionFolder::kTypeKey, uint(profiles.deviceIndex()));
    syncChecked(*settings);
}

bool MacroLibrary::deleteMacroIni(const QString& name)
{
    return macroFiles.remove(name);
}

bool MacroLibrary::modifyMacroName(const QString& oldname, const QString& newname)
{
    // The file moves first: if the move fails (a file of the new name already exists), macro keys rewritten
    // beforehand would name that other macro.
    if (!macroFiles.rename(oldname, newname))
        return false;
    for (int index = 0; index < kShownProfiles; ++index) {
        QSettings& profile = profiles.slot(index);
        profile.beginGroup(QStringLiteral("macro"));
        const QStringList keys = profile.allKeys();
        for (const QString& key : keys) {
            if (profile.value(key).toString() == oldname)
                profile.setValue(key, newname);
        }
        profile.endGroup();
        syncChecked(profile);
    }
    return true;
}

void MacroLibrary::renameMacroIniFile(const QString& oldName, const QString& newName)
{
    macroFiles.rename(oldName, newName);
}

QStringList MacroLibrary::isMacroUse(const QString& macroName)
{
    return keysUsingEntry(profiles, QStringLiteral("macro"), macroName);
}

QString MacroLibrary::loadMacroIniFromFile(const QString& name)
{
    const QString notImported = QStringLiteral(" ");
    if (!dialogs)
        return notImported;
    const QString chosen =
        dialogs->getOpenFileName(dialogText("Open File"), desktopFolder(), dialogText("Macro(*.mc)"));
    if (chosen.isEmpty())
        return notImported;
    const std::optional<QString> file = macroFiles.existingFile(name);
    // A chosen file that cannot be read leaves the macro as it was, and the page keeps showing it.
    if (!file || !replaceWithCopy(chosen, *file))
        return notImported;
    return chosen;
}

void MacroLibrary::saveMacroIniToFile(const QString& name)
{
    const std::optional<QString> file = macroFiles.existingFile(name);
    if (!file || !dialogs)
        return;
    const QString chosen =
        dialogs->getSaveFileName(dialogText("Save File"), desktopFolder(), dialogText("Macro(*.mc)"));
    if (!chosen.isEmpty())
        replaceWithCopy(*file, chosen);
}
