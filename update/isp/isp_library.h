#pragma once

// Our in-system-programming library: programs the J2 mouse's flash through its bootloader, over HID, with
// the calls the updater was written against. docs/bootloader-protocol.md describes the bootloader's side.
//
// The library keeps the flash image it will program (the loaded firmware padded with erased bytes to the
// whole flash) and at most one open bootloader session. It is not thread-safe: one thread drives one
// instance, as the updater does from its GUI thread. Every wait for the device is bounded by the reply
// time-out of the operation (about a second), so an unplugged or silent device makes a call fail promptly.
//
// Results: 0 is success for every device call except LockAll. A positive result is the status code the
// bootloader answered with; a negative one is the library's own (Error below).

#include "hid_backend.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace j2::isp {

// What the library knows of the target without asking it: filled by GetMCUInfo.
struct DeviceInfo
{
    std::uint32_t size = sizeof(DeviceInfo); // the caller sets it; the record is filled only when it is 36
    std::uint32_t pageSize = 0;              // bytes per flash page, the unit of erase and verify
    std::uint32_t pageCount = 0;
    std::uint32_t flashSize = 0;     // bytes, pageSize * pageCount
    std::uint32_t checksumBlock = 0; // bytes: device checksum queries cover whole blocks of this size
    std::uint32_t erasedValue = 0;   // what an erased byte reads as
    std::uint32_t vendorId = 0;      // of the bootloader device
    std::uint32_t productId = 0;
    std::uint32_t protocolVersion = 0; // of the bootloader protocol the library speaks
};
static_assert(offsetof(DeviceInfo, size) == 0);
static_assert(offsetof(DeviceInfo, pageSize) == 4);
static_assert(offsetof(DeviceInfo, pageCount) == 8);
static_assert(offsetof(DeviceInfo, flashSize) == 12);
static_assert(offsetof(DeviceInfo, checksumBlock) == 16);
static_assert(offsetof(DeviceInfo, erasedValue) == 20);
static_assert(offsetof(DeviceInfo, vendorId) == 24);
static_assert(offsetof(DeviceInfo, productId) == 28);
static_assert(offsetof(DeviceInfo, protocolVersion) == 32);
static_assert(sizeof(DeviceInfo) == 36);

// The target, as the library knows it (its USB identity is the bootloader protocol's).
constexpr std::uint32_t kPageSize = 512;
constexpr std::uint32_t kPageCount = 128;
constexpr std::uint32_t kFlashSize = kPageSize * kPageCount;
constexpr std::uint8_t kErasedByte = 0xFF;
// LoadProgdata's start value: the flash size in 32-bit words, which tells a caller that the library
// targets this 64 KiB part.
constexpr std::uint16_t kStartValue = std::uint16_t(kFlashSize / 4);
static_assert(kStartValue == 0x4000);

// The library's own failures (negative, so they never collide with a bootloader status).
enum Error : int
{
    kNotConnected = -1, // no bootloader session: ConnectToBootloader first (or it was lost)
    kNoDevice = -2,     // no bootloader collection listed, or it would not open
    kTransport = -3,    // a report could not be written or read: the device went away
    kTimedOut = -4,     // no matching reply within the operation's time-out
    kBadArgument = -5,  // outside the flash, zero length, unknown mode or non-zero flags
    kNoImage = -6,      // programming or verifying before LoadProgdata accepted an image
    kWrongTarget = -7,  // the bootloader describes a different flash or speaks another protocol
    kImageTooLong = -8, // LoadProgdata: more bytes than the flash holds
};

class IspLibrary
{
public:
    // A null backend is allowed: the offline calls (LoadProgdata, GetMCUInfo, GetChksum(0/1)) work, every
    // device call fails.
    explicit IspLibrary(std::shared_ptr<hid::Backend> backend);
    ~IspLibrary();
    IspLibrary(const IspLibrary&) = delete;
    IspLibrary& operator=(const IspLibrary&) = delete;

    // Takes `length` bytes of firmware as the start of the flash image; the rest of the flash image is
    // erased bytes. 0 = accepted. An empty image is refused (kBadArgument): programming it would leave the
    // mouse without firmware. An image longer than the flash is refused (kImageTooLong). A refused image
    // keeps the previous one. On success the results are (any may be null):
    //   loadedLength   the bytes taken, `length`
    //   startValue     kStartValue (0x4000), the flash size in 32-bit words
    //   imageSize      bytes the library will program, the whole flash
    //   pageSize       kPageSize
    //   pagesUsed      pages holding loaded bytes, length / pageSize rounded up
    //   imageChecksum  GetChksum(1)
    int LoadProgdata(const std::uint8_t* image, std::uint32_t length, std::uint32_t* loadedLength,
                     std::uint16_t* startValue, std::uint32_t* imageSize, std::uint16_t* pageSize,
                     std::uint32_t* pagesUsed, std::uint16_t* imageChecksum);
    // Non-zero when `info` was filled: needs info->size == sizeof(DeviceInfo). No device is asked.
    int GetMCUInfo(DeviceInfo* info);
    // Mode 0: 16-bit sum of the loaded bytes only. Mode 1: 16-bit sum of the flash image (loaded bytes
    // padded with erased bytes to the whole flash). Mode 2: the 16-bit sum of the flash as the connected
    // bootloader reports it. 0 for any other mode, or when mode 2 fails.
    std::uint16_t GetChksum(int mode);

    // Finds the bootloader collection (vendor, product and the usage page/usage pair), opens it and says
    // hello. 0 = connected; a session already open is closed first.
    int ConnectToBootloader();
    // The vendor and product id the connected bootloader's user program enumerates as: the device an image
    // must be meant for. 0 = both filled.
    int GetUserProgramIds(std::uint16_t* vendorId, std::uint16_t* productId);
    // Erases `count` pages from `page`; flags must be 0.
    int EraseByPage(std::uint16_t page, int count, int flags);
    // Mode 0: the whole flash reads erased. Other modes are refused.
    int BlankCheck(int mode);
    // Programs flash bytes [address, address + length) from the flash image.
    int PartialProgram(std::uint16_t address, std::uint16_t length);
    // Compares `count` pages from `page` with the flash image (the bootloader checks a CRC-32 of each
    // page); flags must be 0. The first page that differs ends the call.
    int VerifyByPage(std::uint16_t page, int count, int flags);
    // Asks the bootloader whether the program may run: mode 2 = the whole flash verified since it was last
    // erased or programmed, mode 1 = the boot page (page 0) only. 0 = it may.
    int ExecuteProgramFrom(int mode);
    // Seals the verified image against programming until the next erase. Non-zero = locked, 0 = not.
    int LockAll();
    // Leaves the bootloader for the user program (the device re-enumerates as the mouse) and ends the
    // session. 0 = the bootloader agreed; it refuses while the image is not verified.
    int SwitchToUserProgram();
    // Ends the session. 0 = ended, also when SwitchToUserProgram already ended it.
    int DisConnectBootloader();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace j2::isp
