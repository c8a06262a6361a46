#pragma once

// The host's side of the bootloader protocol (docs/bootloader-protocol.md): one row per operation, the
// request and reply layouts as named offsets, and the status codes.

#include "bootloader_protocol.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace j2::isp::protocol {

using namespace j2::wire::boot;

// Which request fields an operation fills; the others travel as zeros.
enum Field : unsigned
{
    kNoFields = 0,
    kArgument0 = 1u << 0,
    kArgument1 = 1u << 1,
    kData = 1u << 2,
};

struct OperationRow
{
    Operation operation;
    const char* name;
    unsigned fields; // Field bits
    int replyTimeoutMs;
};

const OperationRow& row(Operation operation);

struct Request
{
    Operation operation = Operation::Hello;
    std::uint16_t argument0 = 0;
    std::uint16_t argument1 = 0;
    std::span<const std::uint8_t> data; // at most kMaxData bytes
};

struct Reply
{
    Status status = Status::Ok;
    std::uint16_t value0 = 0;
    std::uint16_t value1 = 0;
    std::uint32_t value2 = 0;
};

// The 65 bytes to write: report id, then the request with `sequence`. Fields the operation's row does not
// name are left zero.
std::array<std::uint8_t, kReportSize + 1> encode(const Request& request, std::uint8_t sequence);

// The reply in `report` when it answers `operation` with `sequence`; nullopt for any other report.
std::optional<Reply> decode(std::span<const std::uint8_t, kReportSize> report, Operation operation,
                            std::uint8_t sequence);

} // namespace j2::isp::protocol
