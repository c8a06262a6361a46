#pragma once

// The updater's own HID access: a reduced form of the configurator's transport. It knows two devices, the
// mouse in user mode and the mouse in its bootloader, and only three commands: the secrecy-code query,
// bootloader entry and the bootloader-entry check. Everything runs synchronously on the calling thread with
// a fresh handle per call; there is no bulk phase and no demo mode.

#include "bootloader_protocol.h"
#include "hid_backend.h"
#include "report.h"

#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>

namespace j2::update {

struct UpdaterDevice
{
    quint16 vendorId = 0;
    quint16 productId = 0;
    quint16 usagePage = 0;
    quint16 usage = 0;
    int reportLength = 0;
    QString path; // the collection matching the usage pair; empty when absent or gone
};

// One command of the updater: its byte, the fixed argument bytes 2..7, and how it travels.
struct UpdaterCommand
{
    std::string_view name;
    std::uint8_t code = 0;
    std::array<std::uint8_t, 6> arguments{};
    bool settle = false; // the device stores something: pause around the write
};

// The query a device answers with its code scrambled over a zero challenge (always sent in plain).
inline constexpr UpdaterCommand kGetSecrecyCode{.name = "GetSecrecyCode", .code = 0x00, .settle = false};
// Switches the device into its bootloader; the argument bytes are the entry code it checks.
inline constexpr UpdaterCommand kEnterBootLoader{
    .name = "EnterBootLoader", .code = 0x0A, .arguments = j2::wire::boot::kEntryCode, .settle = true};
// Asks whether the entry was taken.
inline constexpr UpdaterCommand kGetBootLoaderState{
    .name = "GetBootLoaderState", .code = 0x8A, .settle = false};

class UpdaterHid
{
public:
    // The two faces of the mouse, each also the index of its record; NoDevice when neither is attached.
    enum class Face
    {
        NoDevice = -1,
        UserMode = 0,
        BootLoader = 1
    };
    static constexpr int kDeviceCount = 2;

    // The user-mode ids until data.bin names the device.
    static constexpr quint16 kDefaultVendorId = 0x04D9;
    static constexpr quint16 kDefaultProductId = 0xA09F;

    // Reply bytes 2..4 all zero to the code query: the device does not scramble.
    static constexpr std::size_t kPlainCheckFirst = 2;
    static constexpr std::size_t kPlainCheckLast = 4;
    // Reply byte 2 of the entry check when the device took the entry.
    static constexpr std::size_t kEntryStateOffset = 2;
    static constexpr std::uint8_t kEntryTaken = 0xFF;

    static constexpr int kTokenWaitRounds = 255;
    static constexpr int kTokenWaitSleepMs = 8;
    // Between the entry command and the check, so the device can act on the entry.
    static constexpr int kEntryCheckPauseMs = 30;

    explicit UpdaterHid(std::shared_ptr<hid::Backend> backend);

    // The user-mode ids from data.bin. Forgets the user-mode path: it belonged to the old ids.
    void setUserModeIds(quint16 vendorId, quint16 productId);
    const UpdaterDevice& device(Face face) const { return devices.at(std::size_t(face)); }

    // Looks for every record's collection; the last one present (the bootloader wins when both are), or
    // NoDevice.
    Face findDeviceIndex();
    // Asks the user-mode device for its code in plain. A scrambling device gives its code away in the
    // answer; from then on every report is scrambled with it. False only when the exchange failed.
    bool readSecrecyCode();
    // Switches the device in user mode into its bootloader; true at once when `present` says it is there
    // already. True when the device confirmed the entry.
    bool enterBootLoader(Face present);

    bool isEncode() const { return encode; }
    const wire::SecrecyCode& secrecyCode() const { return code; }

    // The token that keeps exchanges from overlapping. Every exchange gives it back when it ends.
    bool waitDeviceFree();
    bool deviceIsFree() const { return deviceFree.load(); }

private:
    void buildRequest(const UpdaterCommand& command);
    // Finds the record's collection now; false (path empty) when it is not listed.
    bool lookUp(Face face);
    // A fresh handle on the record's collection. A failed open looks the device up again once before it
    // gives up.
    hid::Device* openHandle(Face face);
    bool finishExchange(bool result);
    bool sendRequest();
    bool exchangeRead();
    bool exchangeWrite(bool settle);

    std::shared_ptr<hid::Backend> backend;
    std::array<UpdaterDevice, kDeviceCount> devices;
    std::unique_ptr<hid::Device> handle;
    std::atomic<bool> deviceFree{true};
    std::atomic<bool> settleFlag{true};
    wire::FeatureReport sendReport{};
    wire::FeatureReport recvReport{};
    bool encode = false;
    wire::SecrecyCode code{};
};

} // namespace j2::update
