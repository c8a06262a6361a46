#pragma once

// The device's side of the bootloader protocol (docs/bootloader-protocol.md): one request in, one reply out,
// acting on the flash. Nothing here knows about handles, time or the cable; the model does.

#include "bootloader_protocol.h"
#include "firmware_state.h"
#include "virtual_mouse.h"

#include <array>
#include <cstdint>
#include <span>

namespace j2::vm::boot {

using wire::boot::kReportSize;
constexpr std::size_t kMaxQueuedReplies = 16;

// How long after an accepted switch the device leaves: once the host has read the reply, or without that.
constexpr int kLeaveAfterReadMs = 100;
constexpr int kLeaveUnreadMs = 1000;

// What a session remembers between requests: whether hello was said, and the open program window.
struct Session
{
    bool open = false;
    bool programming = false;
    std::uint32_t next = 0; // address the next program data must start at
    std::uint32_t end = 0;  // one past the window's last address
};

enum class Effect
{
    None,
    LeaveForUserProgram, // the reply said ok to a switch to the user program
};

struct Outcome
{
    std::array<std::uint8_t, kReportSize> reply{};
    const char* name = "";        // the operation, for the wire log; empty when unknown
    bool firmwareChanged = false; // flash, page states or lock
    Effect effect = Effect::None;
};

// Failures still to inject, by BootloaderStep.
using StepFailures = std::array<int, std::size_t(BootloaderStep::Count)>;

// The answer to one 64-byte request. A request of a step with failures left spends one and fails.
Outcome answer(std::span<const std::uint8_t, kReportSize> request, FirmwareState& firmware, Session& session,
               StepFailures& failures);

} // namespace j2::vm::boot
