#pragma once

// The daemon's request/response protocol (docs/virtual-mouse.md has the byte layout). Every request body
// starts with an operation byte; every response body starts with a 32-bit result, hidapi-style for the wire
// operations (bytes moved, 0 on time-out, -1 on failure) and 0 / -1 for the others.

#include <cstdint>

namespace j2::vm::protocol {

enum class Op : std::uint8_t
{
    // ---- the wire, as the HID backend seam needs it ----
    // u16 vendor, u16 product -> count, then per device: text path, u16 vendor, u16 product,
    // u16 usage page, u16 usage, i32 interface
    Enumerate = 0x01,
    // text path; from here on the connection is that handle
    Open = 0x02,
    // u8 flag
    SetNonblocking = 0x03,
    // bytes report -> result
    SendFeature = 0x04,
    // i32 length -> result, bytes report
    GetFeature = 0x05,
    // bytes report -> result
    Write = 0x06,
    // i32 length, i32 time-out (kHandleMode: as set by SetNonblocking) -> result, bytes report
    Read = 0x07,

    // ---- the user's hand, the cable and the test bench; -> 0, or -1 for a malformed request ----
    PressDpi = 0x10,
    Unplug = 0x11,
    Plug = 0x12,
    // -> 1 plugged in, 0 unplugged
    PluggedIn = 0x13,
    // -> 0, text state JSON
    Dump = 0x14,
    // i32 count
    FailNextOpens = 0x15,
    // i32 count
    DropNextReplies = 0x16,
    // i32 delay ms, i32 count
    DelayNextReplies = 0x17,
    // i32 count
    UnplugAfterBulkReports = 0x18,
    ClearFaults = 0x19,
    // i32 count
    WithholdNextBulk = 0x1A,
    // i32 count
    FailNextErases = 0x1B,
    // as if the bootloader entry code had come
    EnterBootloader = 0x1C,
    // i32 step (BootloaderStep), i32 count; -1 for an unknown step
    FailNextSteps = 0x1D,

    // The connection stays open; the response carries the state now (1 / 0), then the daemon pushes a
    // frame holding just an i32 1 / 0 on every plug and unplug.
    SubscribePlug = 0x20,
};

// Read time-out meaning "as hid_read would: block, or return at once after SetNonblocking(1)".
constexpr std::int32_t kHandleMode = -2;

// A bound on every exchange that is not a deliberate blocking read.
constexpr int kRequestTimeoutMs = 3000;
constexpr int kConnectTimeoutMs = 2000;

} // namespace j2::vm::protocol
