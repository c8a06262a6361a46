#pragma once

// A DeviceBridge on the real Hid_Thread and the in-process virtual mouse, with its profile files and
// application configuration in a temporary folder, plus readers for the two oracles: the wire log and the
// files on disk.

#include "app_config.h"
#include "device_bridge.h"
#include "mouse_fixture.h"
#include "profile_store.h"

#include <QSettings>
#include <QTemporaryDir>

#include <vector>

namespace bridge_fixture {

struct BridgeRig
{
    explicit BridgeRig(DeviceBridge::Hooks hooks = {})
        : profiles(folder.path(), nullptr, [this] { return device.hid->currentDevice(); }),
          config(folder.filePath(QStringLiteral("apConfig.bin")),
                 folder.filePath(QStringLiteral("apConfigD.bin"))),
          bridge(*device.hid, profiles, config, std::move(hooks))
    {
        fixture::resetFlags();
    }

    // What the current profile holds on disk (read through a handle of its own).
    QVariant stored(const QString& key) const
    {
        return QSettings(profiles.slotFile(profiles.currentProfile()), QSettings::IniFormat).value(key);
    }
    QList<int> storedInts(const QString& key) const
    {
        QList<int> values;
        for (const QVariant& value : stored(key).toList())
            values.append(value.toInt());
        return values;
    }

    // The feature reports sent since the log was last cleared, after the last write has ended.
    QList<j2::vm::WireEntry> sentReports()
    {
        device.hid->waitForPendingWrite();
        return fixture::entriesOfKind(*device.mouse, "feature-set");
    }
    // Block numbers of the profile writes on the wire, in order.
    QList<int> writtenBlocks()
    {
        QList<int> blocks;
        for (const j2::vm::WireEntry& entry : sentReports())
            if (entry.command == "setProfile" && entry.note.empty())
                blocks.append(entry.bytes[2]);
        return blocks;
    }

    QTemporaryDir folder;
    fixture::Rig device;
    ProfileStore profiles;
    AppConfig config;
    DeviceBridge bridge;
};

inline QVariantList variants(const QList<int>& values)
{
    QVariantList list;
    for (const int value : values)
        list.append(value);
    return list;
}

inline QList<int> ints(const QVariantList& values)
{
    QList<int> list;
    for (const QVariant& value : values)
        list.append(value.toInt());
    return list;
}

template <typename Bytes> QList<int> ints(const Bytes& bytes)
{
    return QList<int>(bytes.begin(), bytes.end());
}

inline QList<int> ints(const QByteArray& bytes)
{
    QList<int> list;
    for (const char byte : bytes)
        list.append(int(uchar(byte)));
    return list;
}

inline QList<int> ints(const DeviceBridge::AngleSnap& stored)
{
    return {stored.angleSnap, stored.gestureStep};
}

// Distinct, non-zero-looking bytes for seeding device memory; `seed` tells blocks apart.
template <std::size_t N> std::array<uchar, N> pattern(int seed)
{
    std::array<uchar, N> bytes{};
    for (std::size_t i = 0; i < N; ++i)
        bytes[i] = uchar((i * 5 + std::size_t(seed) * 11 + 3) & 0xFF);
    return bytes;
}

} // namespace bridge_fixture
