#include "macro_library.h"

#include "settings_io.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>

#include <algorithm>

MacroLibrary::MacroLibrary(ProfileStore& profileStore, FileDialogs* fileDialogs, const QString& macroFolder)
    : profiles(profileStore), dialogs(fileDialogs), macroFiles(macroFolder, QStringLiteral("macro"), 0)
{}

QVariant MacroLibrary::createMacroIni(const QVariant& name, const QVariant& macroIndex)
{
    return macroFiles.create(name, macroIndex);
}

// The encoded bytes go to the device only; the library keeps the lines they were made from.
QVariant MacroLibrary::saveMacroIni(const QVariant& name, const QStringList& lines, const QVariantList&,
                                    const QVariant& repeat)
{
    return macroFiles.save(name, lines, repeat);
}

QStringList MacroLibrary::loadMacroIni(const QVariant& name) const
{
    return macroFiles.load(name);
}

QVariant MacroLibrary::loadMacroType(const QVariant& name) const
{
    return macroFiles.configValue(name, ActionFolder::kTypeKey);
}

QVariant MacroLibrary::loadMacroIndex(const QVariant& name) const
{
    return macroFiles.configValue(name, ActionFolder::kIndexKey);
}

void MacroLibrary::setMacroIndex(const QVariant& name, const QVariant& macroIndex)
{
    macroFiles.setConfigValue(name, ActionFolder::kIndexKey, macroIndex);
}

void MacroLibrary::setMacroType(const QVariant& name, const QVariant& macroType)
{
    macroFiles.setConfigValue(name, ActionFolder::kTypeKey, macroType);
}

QVariantList MacroLibrary::loadMacroIniConfig(const QVariant& name) const
{
    const std::unique_ptr<QSettings> settings = macroFiles.openExisting(name);
    if (!settings)
        return {};
    const int repeat = settings->value(ActionFolder::kRepeatKey, 1).toInt();
    // The stored number belongs to the device type the macro was configured for; another device's number
    // means nothing here.
    if (settings->value(ActionFolder::kTypeKey, -1).toInt() != profiles.deviceIndex())
        return {-1, repeat};
    return {settings->value(ActionFolder::kIndexKey, -1).toInt(), repeat};
}

void MacroLibrary::setMacroIniConfig(const QVariant& name, const QVariantList& config)
{
    // [index, repeat]; a shorter list is not a configuration and must not be read past.
    if (config.size() < 2)
        return;
    const std::unique_ptr<QSettings> settings = macroFiles.openExisting(name);
    if (!settings)
        return;
    settings->setValue(ActionFolder::kIndexKey, config.at(0));
    settings->setValue(ActionFolder::kRepeatKey, config.at(1));
    settings->setValue(ActionFolder::kTypeKey, uint(profiles.deviceIndex()));
    syncChecked(*settings);
}

QVariant MacroLibrary::deleteMacroIni(const QVariant& name)
{
    return macroFiles.remove(name);
}

QVariant MacroLibrary::modifyMacroName(const QVariant& oldname, const QVariant& newname)
{
    // The file moves first: if the move fails (a file of the new name already exists), macro keys rewritten
    // beforehand would name that other macro.
    if (!macroFiles.rename(oldname, newname))
        return false;
    const QString oldText = oldname.toString();
    for (int index = 0; index < kShownProfiles; ++index) {
        QSettings& profile = profiles.slot(index);
        profile.beginGroup(QStringLiteral("macro"));
        const QStringList keys = profile.allKeys();
        for (const QString& key : keys) {
            if (profile.value(key).toString() == oldText)
                profile.setValue(key, newname);
        }
        profile.endGroup();
        syncChecked(profile);
    }
    return true;
}

void MacroLibrary::renameMacroIniFile(const QVariant& oldName, const QVariant& newName)
{
    macroFiles.rename(oldName, newName);
}

QStringList MacroLibrary::isMacroUse(const QVariant& macroName)
{
    return keysUsingEntry(profiles, QStringLiteral("macro"), macroName);
}

QVariant MacroLibrary::loadMacroIniFromFile(const QVariant& name)
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

void MacroLibrary::saveMacroIniToFile(const QVariant& name)
{
    const std::optional<QString> file = macroFiles.existingFile(name);
    if (!file || !dialogs)
        return;
    const QString chosen =
        dialogs->getSaveFileName(dialogText("Save File"), desktopFolder(), dialogText("Macro(*.mc)"));
    if (!chosen.isEmpty())
        replaceWithCopy(*file, chosen);
}
