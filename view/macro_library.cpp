#include "macro_library.h"

#include "settings_io.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

// The lines a file may claim to hold. Files arrive by import from anywhere; a damaged count must not make a
// load allocate without bound. Real macros and guns stay far below this.
constexpr int kMaxLines = 65535;

QString lineKey(const QString& group, int line)
{
    return group + QLatin1Char('/') + QString::number(line);
}

QString desktopFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

} // namespace

// ---- ActionFolder ----

ActionFolder::ActionFolder(const QString& folderPath, const QString& group, const QVariant& absent)
    : folder(folderPath), lineGroup(group), absentLine(absent)
{}

std::optional<QString> ActionFolder::existingFile(const QVariant& name) const
{
    std::optional<QString> file = libraryEntryPath(folder, name.toString());
    if (file && QFile::exists(*file))
        return file;
    return std::nullopt;
}

std::unique_ptr<QSettings> ActionFolder::openExisting(const QVariant& name) const
{
    const std::optional<QString> file = existingFile(name);
    if (!file)
        return nullptr;
    return std::make_unique<QSettings>(*file, QSettings::IniFormat);
}

bool ActionFolder::create(const QVariant& name, const QVariant& index) const
{
    const std::optional<QString> file = libraryEntryPath(folder, name.toString());
    if (!file)
        return false;
    QSettings settings(*file, QSettings::IniFormat);
    settings.setValue(kIndexKey, index.toUInt());
    settings.setValue(kTotalKey, 0);
    settings.setValue(kRepeatKey, 1);
    settings.setValue(kTypeKey, -1);
    settings.sync();
    return true;
}

bool ActionFolder::save(const QVariant& name, const QStringList& lines, const QVariant& repeat) const
{
    const std::unique_ptr<QSettings> settings = openExisting(name);
    if (!settings)
        return false;
    settings->remove(lineGroup);
    settings->setValue(kTotalKey, int(lines.size()));
    settings->setValue(kRepeatKey, repeat);
    for (int i = 0; i < lines.size(); ++i)
        settings->setValue(lineKey(lineGroup, i), lines.at(i));
    settings->sync();
    return true;
}

QStringList ActionFolder::load(const QVariant& name) const
{
    const std::unique_ptr<QSettings> settings = openExisting(name);
    if (!settings)
        return {};
    const int total = std::clamp(settings->value(kTotalKey, 0).toInt(), 0, kMaxLines);
    QStringList lines;
    lines.reserve(total + 1);
    for (int i = 0; i < total; ++i)
        lines.append(settings->value(lineKey(lineGroup, i), absentLine).toString());
    lines.append(settings->value(kRepeatKey, absentLine).toString());
    return lines;
}

QVariant ActionFolder::configValue(const QVariant& name, const QString& key) const
{
    const std::unique_ptr<QSettings> settings = openExisting(name);
    return settings ? settings->value(key, 0) : QVariant(0);
}

void ActionFolder::setConfigValue(const QVariant& name, const QString& key, const QVariant& value) const
{
    if (const std::unique_ptr<QSettings> settings = openExisting(name))
        writeThrough(*settings, key, value);
}

bool ActionFolder::remove(const QVariant& name) const
{
    const std::optional<QString> file = existingFile(name);
    return file && QFile::remove(*file);
}

bool ActionFolder::rename(const QVariant& oldName, const QVariant& newName) const
{
    const std::optional<QString> from = existingFile(oldName);
    const std::optional<QString> to = libraryEntryPath(folder, newName.toString());
    return from && to && QFile::rename(*from, *to);
}

QStringList keysUsingEntry(ProfileStore& profiles, const QString& group, const QVariant& entryName)
{
    const QString wanted = entryName.toString();
    QStringList keys{QStringLiteral("Name")};
    for (int index = 0; index < kShownProfiles; ++index) {
        QSettings& profile = profiles.slot(index);
        profile.beginGroup(group);
        const QStringList stored = profile.allKeys();
        for (const QString& key : stored) {
            if (profile.value(key).toString() == wanted)
                keys.append(key);
        }
        profile.endGroup();
    }
    return keys;
}

// ---- MacroLibrary ----

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
    settings->sync();
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
        profile.sync();
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
        dialogs->getOpenFileName(QCoreApplication::translate("myQQuickView", "Open File"), desktopFolder(),
                                 QCoreApplication::translate("myQQuickView", "Macro(*.mc)"));
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
        dialogs->getSaveFileName(QCoreApplication::translate("myQQuickView", "Save File"), desktopFolder(),
                                 QCoreApplication::translate("myQQuickView", "Macro(*.mc)"));
    if (!chosen.isEmpty())
        replaceWithCopy(*file, chosen);
}
