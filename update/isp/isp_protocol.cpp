#include "isp_protocol.h"

#include <algorithm>

namespace j2::isp::protocol {

namespace {

using O = Operation;

constexpr int kReplyMs = 1000;
constexpr int kBlankCheckMs = 1500; // the device reads the whole flash first
constexpr int kDisconnectMs = 500;  // nothing rides on the answer

constexpr std::array<OperationRow, 13> kOperations = {{
    {O::Hello, "hello", kArgument0, kReplyMs},
    {O::MemoryInfo, "memory information", kNoFields, kReplyMs},
    {O::Disconnect, "disconnect", kNoFields, kDisconnectMs},
    {O::UserProgramIds, "user program ids", kNoFields, kReplyMs},
    {O::ErasePage, "erase page", kArgument0, kReplyMs},
    {O::BlankCheck, "blank check", kArgument0, kBlankCheckMs},
    {O::ProgramStart, "program start", kArgument0 | kArgument1, kReplyMs},
    {O::ProgramData, "program data", kArgument0 | kArgument1 | kData, kReplyMs},
    {O::VerifyPage, "verify page", kArgument0 | kData, kReplyMs},
    {O::FlashChecksum, "flash checksum", kArgument0 | kArgument1, kReplyMs},
    {O::RunCheck, "run check", kArgument0, kReplyMs},
    {O::Lock, "lock", kNoFields, kReplyMs},
    {O::SwitchToUser, "switch to user program", kNoFields, kReplyMs},
}};

void putU16(std::uint8_t* at, std::uint16_t value)
{
    at[0] = std::uint8_t(value & 0xFFu);
    at[1] = std::uint8_t(value >> 8);
}

std::uint16_t getU16(const std::uint8_t* at)
{
    return std::uint16_t(at[0] | (at[1] << 8));
}

std::uint32_t getU32(const std::uint8_t* at)
{
    return std::uint32_t(at[0]) | (std::uint32_t(at[1]) << 8) | (std::uint32_t(at[2]) << 16) |
           (std::uint32_t(at[3]) << 24);
}

} // namespace

const OperationRow& row(Operation operation)
{
    const auto found = std::find_if(kOperations.begin(), kOperations.end(),
                                    [operation](const OperationRow& r) { return r.operation == operation; });
    return *found; // every Operation has a row
}

std::array<std::uint8_t, kReportSize + 1> encode(const Request& request, std::uint8_t sequence)
{
    std::array<std::uint8_t, kReportSize + 1> report{};
    report[0] = kReportId;
    std::uint8_t* body = report.data() + 1;
    const unsigned fields = row(request.operation).fields;
    body[kOperationOffset] = std::uint8_t(request.operation);
    body[kSequenceOffset] = sequence;
    if (fields & kArgument0)
        putU16(body + kArgument0Offset, request.argument0);
    if (fields & kArgument1)
        putU16(body + kArgument1Offset, request.argument1);
    if (fields & kData)
        std::copy_n(request.data.begin(), std::min(request.data.size(), kMaxData), body + kDataOffset);
    return report;
}

std::optional<Reply> decode(std::span<const std::uint8_t, kReportSize> report, Operation operation,
                            std::uint8_t sequence)
{
    if (report[kOperationOffset] != std::uint8_t(operation) || report[kSequenceOffset] != sequence)
        return std::nullopt;
    Reply reply;
    reply.status = Status(report[kStatusOffset]);
    reply.value0 = getU16(report.data() + kValue0Offset);
    reply.value1 = getU16(report.data() + kValue1Offset);
    reply.value2 = getU32(report.data() + kValue2Offset);
    return reply;
}

} // namespace j2::isp::protocol
