#pragma once

// The bootloader protocol both ends speak (docs/bootloader-protocol.md): the report layout as named offsets,
// the operation and status codes, and the two checks of flash contents. The programming library sends
// these requests; the virtual mouse's bootloader answers them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace j2::wire::boot {

// In its bootloader the mouse is a device of its own, with a single collection.
constexpr std::uint16_t kVendorId = 0x04D9;
constexpr std::uint16_t kProductId = 0x8022;
constexpr std::uint16_t kUsagePage = 0xFF00;
constexpr std::uint16_t kUsage = 0x0020;

// What the mouse's own firmware checks before it hands over to the bootloader: the arguments of the
// mouse command family's "enter bootloader" request.
constexpr std::array<std::uint8_t, 6> kEntryCode = {0x3C, 0xE1, 0x07, 0x5A, 0x9D, 0x42};

constexpr std::size_t kReportSize = 64;  // request and reply, without the report id
constexpr std::uint8_t kReportId = 0x00; // written in front of every request
constexpr std::uint16_t kProtocolVersion = 1;

// Request layout.
constexpr std::size_t kOperationOffset = 0;
constexpr std::size_t kSequenceOffset = 1;
constexpr std::size_t kArgument0Offset = 2;
constexpr std::size_t kArgument1Offset = 4;
constexpr std::size_t kDataOffset = 8;
constexpr std::size_t kMaxData = kReportSize - kDataOffset; // 56 bytes of program data per request

// Reply layout (operation and sequence at the same offsets as in the request).
constexpr std::size_t kStatusOffset = 2;
constexpr std::size_t kValue0Offset = 4;
constexpr std::size_t kValue1Offset = 6;
constexpr std::size_t kValue2Offset = 8;

enum class Operation : std::uint8_t
{
    Hello = 0x01,
    MemoryInfo = 0x02,
    Disconnect = 0x03,
    UserProgramIds = 0x04,
    ErasePage = 0x10,
    BlankCheck = 0x11,
    ProgramStart = 0x20,
    ProgramData = 0x21,
    VerifyPage = 0x30,
    FlashChecksum = 0x31,
    RunCheck = 0x40,
    Lock = 0x41,
    SwitchToUser = 0x42,
};

enum class Status : std::uint8_t
{
    Ok = 0x00,
    UnknownOperation = 0x01,
    NoSession = 0x02,
    BadArgument = 0x03,
    OutOfOrder = 0x04,
    EraseFailed = 0x05,
    NotBlank = 0x06,
    Mismatch = 0x07,
    NotVerified = 0x08,
    Locked = 0x09,
    ProgramFailed = 0x0A,
    LockFailed = 0x0B,
};

// The bytes added as unsigned numbers, modulo 65536: the firmware checksum.
std::uint16_t sum16(std::span<const std::uint8_t> bytes);
// CRC-32 as zlib computes it (reflected polynomial EDB88320, initial value and final XOR FFFFFFFF): how a
// page is verified without sending it back.
std::uint32_t crc32(std::span<const std::uint8_t> bytes);

} // namespace j2::wire::boot
