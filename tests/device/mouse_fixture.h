#pragma once

// A Hid_Thread wired to an in-process virtual mouse through the real backend seam, with the shipped device
// table, plus helpers that read the mouse's wire log.

#include "device_flags.h"
#include "hid_thread.h"
#include "virtual_mouse.h"

#include <QByteArray>
#include <QList>

#include <memory>

namespace fixture {

// A device table record of vendor 04d9 with 64-byte reports.
inline DevInfo record(int type, quint16 pid, quint16 usagePage, quint16 usage, quint16 usagePage2,
                      quint16 usage2)
{
    DevInfo info;
    info.type = type;
    info.vid = 0x04d9;
    info.pid = pid;
    info.usagePage = usagePage;
    info.usage = usage;
    info.usagePage2 = usagePage2;
    info.usage2 = usage2;
    info.reportLength = 64;
    return info;
}

// The device table as it ships: keyboard at index 0, mouse at index 1.
inline DevInfoList shippedTable()
{
    return {record(0, 0x8008, 0xff01, 0x0001, 0xff02, 0x0001),
            record(1, 0xa100, 0xff00, 0xff00, 0xff01, 0x0001)};
}

inline void resetFlags()
{
    isEncode = false;
    isDemoMode = false;
    isDeviceFound = false;
    secrecyCode = {};
}

struct Rig
{
    explicit Rig(j2::vm::VirtualMouse::Options options = {})
        : mouse(std::make_unique<j2::vm::VirtualMouse>(options)),
          hid(std::make_unique<Hid_Thread>(
              std::shared_ptr<j2::hid::Backend>(j2::vm::makeInProcessBackend(*mouse))))
    {
        hid->setDeviceTable(shippedTable());
    }
    ~Rig()
    {
        hid.reset(); // waits for a write still running on the pool before the mouse goes
    }

    std::unique_ptr<j2::vm::VirtualMouse> mouse;
    std::unique_ptr<Hid_Thread> hid;
};

inline QByteArray hex(const std::vector<std::uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()))
        .toHex(' ')
        .toUpper();
}

inline QList<j2::vm::WireEntry> entriesOfKind(const j2::vm::VirtualMouse& mouse, const char* kind)
{
    QList<j2::vm::WireEntry> found;
    for (const j2::vm::WireEntry& entry : mouse.wireLog())
        if (entry.kind == kind && entry.iface == j2::vm::Interface::Control)
            found.append(entry);
    return found;
}

// Payload bytes of an output report as logged (the report id stripped when it travelled with it).
inline std::vector<std::uint8_t> outputPayload(const j2::vm::WireEntry& entry)
{
    if (entry.bytes.size() == std::size_t(j2::vm::kReportLength) + 1)
        return {entry.bytes.begin() + 1, entry.bytes.end()};
    return entry.bytes;
}

} // namespace fixture
