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
    // The source may be another slot: what its handle holds must be on disk before the copy.
    for (auto& handle : handles)
        syncChecked(*handle);
    if (source == file)
        return true;
    handles[std::size_t(index)].reset();
    const bool copied = replaceWithCopy(source, file);
    handles[std::size_t(index)] = std::make_unique<QSettings>(file, QSettings::IniFormat);
    return copied;
}
