#include "profile_store.h"

#include "settings_io.h"

#include <QFile>

ProfileStore::ProfileStore(const QString& settingFolder, FileDialogs* fileDialogs,
                           std::function<int()> device, const QString& factory)
    : folder(settingFolder), factoryFolder(factory.isEmpty() ? settingFolder : factory), dialogs(fileDialogs),
      currentDevice(std::move(device))
{
    for (int i = 0; i < kSlots; ++i)
        handles[std::size_t(i)] = std::make_unique<QSettings>(slotFile(i), QSettings::IniFormat);
    for (int i = 0; i < kSlots; ++i)
        replaceUnreadable(i);
}

void ProfileStore::replaceUnreadable(int index)
{
    // Without a factory profile an unreadable one reads all defaults, which is all there is to give.
    if (!QFile::exists(factoryFile()))
        return;
    QSettings& handle = *handles[std::size_t(index)];
    QString reason;
    if (!QFile::exists(slotFile(index)))
        reason = QStringLiteral("missing");
    else if (handle.status() == QSettings::FormatError || handle.allKeys().isEmpty())
        reason = QStringLiteral("unreadable");
    else
        return;
    // Every button "Deactivated" and every stage at the slider's default would reach the mouse with the
    // next Save: the factory profile is what the user expects instead.
    if (replaceSlot(index, factoryFile()))
        reportReplacedFile(slotFile(index), reason);
}

QString ProfileStore::slotFile(int index) const
{
    return folder + QStringLiteral("/p") + QString::number(index + 1) + QStringLiteral(".bin");
}

QString ProfileStore::factoryFile() const
{
    return factoryFolder + QStringLiteral("/pD.bin");
}

QSettings& ProfileStore::slot(int index)
{
    // Callers keep to 0..9; anything else falls back to the first profile rather than past the list.
    const int valid = index >= 0 && index < kSlots ? index : 0;
    std::unique_ptr<QSettings>& handle = handles[std::size_t(valid)];
    if (handle->status() != QSettings::NoError)
        handle = std::make_unique<QSettings>(slotFile(valid), QSettings::IniFormat);
    return *handle;
}

void ProfileStore::setCurrentProfile(int index)
{
    if (index >= 0 && index < kSlots)
        currentIndex = index;
}

int ProfileStore::deviceIndex() const
{
    return currentDevice ? currentDevice() : 1;
}

bool ProfileStore::replaceSlot(int index, const QString& source)
{
    if (index < 0 || index >= kSlots)
        return false;
    const QString file = slotFile(index);
    // The source may be another slot: what its handle holds must be on disk before the copy. The slot being
    // replaced is not written: its content is about to go (and may be a file that cannot be read).
    for (int other = 0; other < kSlots; ++other)
        if (other != index)
            syncChecked(*handles[std::size_t(other)]);
    if (source == file)
        return true;
    handles[std::size_t(index)].reset();
    const bool copied = replaceWithCopy(source, file);
    handles[std::size_t(index)] = std::make_unique<QSettings>(file, QSettings::IniFormat);
    return copied;
}
