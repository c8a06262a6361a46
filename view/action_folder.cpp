#include "action_folder.h"

#include "settings_io.h"

#include <QFile>

#include <algorithm>

namespace {

// The lines a file may claim to hold. Files arrive by import from anywhere; a damaged count must not make a
// load allocate without bound. Real macros and guns stay far below this.
constexpr int kMaxLines = 65535;

QString lineKey(const QString& group, int line)
{
    return group + QLatin1Char('/') + QString::number(line);
}

// A line written without quotes ("3,MS-L", as hand-made and shipped files have it) reads back as a list:
// it is the whole line all the same.
QString lineText(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList || value.typeId() == QMetaType::QVariantList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

} // namespace

ActionFolder::ActionFolder(const QString& folderPath, const QString& group, const QString& absent)
    : folder(folderPath), lineGroup(group), absentLine(absent)
{}

std::optional<QString> ActionFolder::existingFile(const QString& name) const
{
    std::optional<QString> file = libraryEntryPath(folder, name);
    if (file && QFile::exists(*file))
        return file;
    return std::nullopt;
}

std::unique_ptr<QSettings> ActionFolder::openExisting(const QString& name) const
{
    const std::optional<QString> file = existingFile(name);
    if (!file)
        return nullptr;
    return std::make_unique<QSettings>(*file, QSettings::IniFormat);
}

bool ActionFolder::create(const QString& name, uint index) const
{
    const std::optional<QString> file = libraryEntryPath(folder, name);
    if (!file)
        return false;
    QSettings settings(*file, QSettings::IniFormat);
    settings.setValue(kIndexKey, index);
    settings.setValue(kTotalKey, 0);
    settings.setValue(kRepeatKey, 1);
    settings.setValue(kTypeKey, -1);
    return syncChecked(settings);
}

bool ActionFolder::save(const QString& name, const QStringList& lines, int repeat) const
{
    const std::unique_ptr<QSettings> settings = openExisting(name);
    if (!settings)
        return false;
    settings->remove(lineGroup);
    settings->setValue(kTotalKey, int(lines.size()));
    settings->setValue(kRepeatKey, repeat);
    for (int i = 0; i < lines.size(); ++i)
        settings->setValue(lineKey(lineGroup, i), lines.at(i));
    return syncChecked(*settings);
}

QStringList ActionFolder::load(const QString& name) const
{
    const std::unique_ptr<QSettings> settings = openExisting(name);
    if (!settings)
        return {};
    const int total = std::clamp(settings->value(kTotalKey, 0).toInt(), 0, kMaxLines);
    QStringList lines;
    lines.reserve(total + 1);
    for (int i = 0; i < total; ++i)
        lines.append(lineText(settings->value(lineKey(lineGroup, i), absentLine)));
    lines.append(settings->value(kRepeatKey, absentLine).toString());
    return lines;
}

int ActionFolder::configValue(const QString& name, const QString& key) const
{
    const std::unique_ptr<QSettings> settings = openExisting(name);
    return settings ? settings->value(key, 0).toInt() : 0;
}

void ActionFolder::setConfigValue(const QString& name, const QString& key, int value) const
{
    if (const std::unique_ptr<QSettings> settings = openExisting(name))
        writeThrough(*settings, key, value);
}

bool ActionFolder::remove(const QString& name) const
{
    const std::optional<QString> file = existingFile(name);
    return file && QFile::remove(*file);
}

bool ActionFolder::rename(const QString& oldName, const QString& newName) const
{
    const std::optional<QString> from = existingFile(oldName);
    const std::optional<QString> to = libraryEntryPath(folder, newName);
    return from && to && QFile::rename(*from, *to);
}

QStringList keysUsingEntry(ProfileStore& profiles, const QString& group, const QString& wanted)
{
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
