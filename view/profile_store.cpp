#include "profile_store.h"

#include "settings_io.h"

#include <QFile>

ProfileStore::ProfileStore(const QString& settingFolder, FileDialogs* fileDialogs,
                           std::function<int()> device)
    : folder(settingFolder), dialogs(fileDialogs), currentDevice(std::move(device))
{
    for (int i = 0; i < kSlots; ++i)
        handles[std::size_t(i)] = std::make_unique<QSettings>(slotFile(i), QSettings::IniFormat);
}

QString ProfileStore::slotFile(int index) const
{
    return folder + QStringLiteral("/p") + QString::number(index + 1) + QStringLiteral(".bin");
}

QString ProfileStore::factoryFile() const
{
    return folder + QStringLiteral("/pD.bin");
}

QSettings& ProfileStore::slot(int index)
{
    // Callers keep to 0..9; anything else falls back to the first profile rather than past the list.
    return *handles[std::size_t(index >= 0 && index < kSlots ? index : 0)];
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
    // The source may be another slot: what its handle holds must be on disk before the copy.
    for (auto& handle : handles)
        handle->sync();
    if (source == file)
        return true;
    handles[std::size_t(index)].reset();
    const bool copied = replaceWithCopy(source, file);
    handles[std::size_t(index)] = std::make_unique<QSettings>(file, QSettings::IniFormat);
    return copied;
}
