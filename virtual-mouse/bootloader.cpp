// The bootloader's operations, one table row each: the operation code, its name in the wire log, whether it
// needs a session, and the handler that reads the arguments and fills the reply values.

#include "bootloader.h"

#include <algorithm>

namespace j2::vm::boot {

namespace {

using namespace j2::wire::boot;
using Op = Operation;

constexpr std::uint16_t kBootloaderVersion = 0x0100;
constexpr std::uint32_t kHelloLocked = 1u << 0;
constexpr std::uint32_t kHelloRunnable = 1u << 1;
constexpr std::uint16_t kBlankCheckWholeFlash = 0;
constexpr std::uint16_t kRunBootPage = 1;
constexpr std::uint16_t kRunWholeFlash = 2;
constexpr std::size_t kChecksumBlock = kFlashPageSize;

struct Arguments
{
    std::uint16_t argument0;
    std::uint16_t argument1;
    std::span<const std::uint8_t, kMaxData> data;
};

struct Values
{
    std::uint16_t value0 = 0;
    std::uint16_t value1 = 0;
    std::uint32_t value2 = 0;
};

struct Context
{
    FirmwareState& firmware;
    Session& session;
    StepFailures& failures;
    Outcome& outcome;

    // True (spending one) when a failure of `step` is due.
    bool failing(BootloaderStep step)
    {
        int& left = failures[std::size_t(step)];
        if (left <= 0)
            return false;
        --left;
        return true;
    }
};

using Handler = Status (*)(const Arguments&, Context&, Values&);

struct Row
{
    Op op;
    const char* name;
    bool needsSession;
    Handler handle;
};

std::uint16_t getU16(const std::uint8_t* at)
{
    return std::uint16_t(at[0] | (at[1] << 8));
}

std::uint32_t getU32(const std::uint8_t* at)
{
    return std::uint32_t(at[0]) | (std::uint32_t(at[1]) << 8) | (std::uint32_t(at[2]) << 16) |
           (std::uint32_t(at[3]) << 24);
}

void putU16(std::uint8_t* at, std::uint16_t value)
{
    at[0] = std::uint8_t(value & 0xFFu);
    at[1] = std::uint8_t(value >> 8);
}

void putU32(std::uint8_t* at, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        at[i] = std::uint8_t((value >> (8 * i)) & 0xFFu);
}

std::span<std::uint8_t, kFlashPageSize> pageOf(FirmwareState& firmware, std::size_t page)
{
    return std::span<std::uint8_t, kFlashPageSize>(firmware.flash.data() + page * kFlashPageSize,
                                                   kFlashPageSize);
}

// Run check, lock and switch share the rule: every page in range verified.
Status requireVerified(const FirmwareState& firmware, std::size_t pages, Values& values)
{
    const std::size_t first = firmware.firstUnverifiedPage(pages);
    if (first == pages)
        return Status::Ok;
    values.value0 = std::uint16_t(first);
    return Status::NotVerified;
}

Status hello(const Arguments& in, Context& context, Values& values)
{
    if (in.argument0 != kProtocolVersion) {
        context.session = {};
        return Status::BadArgument;
    }
    context.session.open = true;
    values.value0 = kProtocolVersion;
    values.value1 = kBootloaderVersion;
    values.value2 =
        (context.firmware.locked ? kHelloLocked : 0) | (context.firmware.runnable() ? kHelloRunnable : 0);
    return Status::Ok;
}

Status memoryInfo(const Arguments&, Context&, Values& values)
{
    values.value0 = std::uint16_t(kFlashPageSize);
    values.value1 = std::uint16_t(kFlashPages);
    values.value2 = std::uint32_t(kFlashSize);
    return Status::Ok;
}

// The device the user program enumerates as: a host checks that its image is meant for it.
Status userProgramIds(const Arguments&, Context&, Values& values)
{
    values.value0 = kVendorId;
    values.value1 = kProductId;
    return Status::Ok;
}

Status disconnect(const Arguments&, Context& context, Values&)
{
    context.session = {};
    return Status::Ok;
}

Status erasePage(const Arguments& in, Context& context, Values&)
{
    if (in.argument0 >= kFlashPages)
        return Status::BadArgument;
    if (context.failing(BootloaderStep::Erase))
        return Status::EraseFailed;
    std::ranges::fill(pageOf(context.firmware, in.argument0), kErasedByte);
    context.firmware.pageChecks[in.argument0] = kPageModified;
    context.firmware.locked = false; // erasing is how a sealed image is opened again
    context.outcome.firmwareChanged = true;
    return Status::Ok;
}

Status blankCheck(const Arguments& in, Context& context, Values& values)
{
    if (in.argument0 != kBlankCheckWholeFlash)
        return Status::BadArgument;
    if (context.failing(BootloaderStep::BlankCheck))
        return Status::NotBlank; // value 2 = 0: a stuck byte at the first address
    const auto& flash = context.firmware.flash;
    const auto found = std::ranges::find_if(flash, [](std::uint8_t byte) { return byte != kErasedByte; });
    if (found == flash.end())
        return Status::Ok;
    values.value2 = std::uint32_t(found - flash.begin());
    return Status::NotBlank;
}

Status programStart(const Arguments& in, Context& context, Values&)
{
    const std::uint32_t end = std::uint32_t(in.argument0) + in.argument1;
    if (in.argument1 == 0 || end > kFlashSize)
        return Status::BadArgument;
    if (context.firmware.locked)
        return Status::Locked;
    context.session.programming = true;
    context.session.next = in.argument0;
    context.session.end = end;
    return Status::Ok;
}

Status programData(const Arguments& in, Context& context, Values& values)
{
    Session& session = context.session;
    if (context.firmware.locked) {
        session.programming = false;
        return Status::Locked;
    }
    const bool fits = session.programming && in.argument0 == session.next && in.argument1 >= 1 &&
                      in.argument1 <= kMaxData && in.argument1 <= session.end - session.next;
    if (!fits) {
        session.programming = false;
        return Status::OutOfOrder;
    }
    if (context.failing(BootloaderStep::Program)) {
        session.programming = false;
        return Status::ProgramFailed;
    }
    // Flash programming only clears bits.
    for (std::size_t i = 0; i < in.argument1; ++i) {
        const std::size_t address = session.next + i;
        context.firmware.flash[address] &= in.data[i];
        context.firmware.pageChecks[address / kFlashPageSize] = kPageModified;
    }
    context.outcome.firmwareChanged = true;
    session.next += in.argument1;
    session.programming = session.next < session.end;
    values.value2 = session.end - session.next;
    return Status::Ok;
}

Status verifyPage(const Arguments& in, Context& context, Values& values)
{
    if (in.argument0 >= kFlashPages)
        return Status::BadArgument;
    // An injected failure reads the page back wrong: the device's CRC-32 is the complement of the true one.
    const bool misread = context.failing(BootloaderStep::Verify);
    const std::uint32_t actual = crc32(pageOf(context.firmware, in.argument0)) ^ (misread ? ~0u : 0u);
    const bool equal = actual == getU32(in.data.data());
    context.firmware.pageChecks[in.argument0] = equal ? kPageVerified : kPageFailed;
    context.outcome.firmwareChanged = true;
    values.value2 = actual;
    return equal ? Status::Ok : Status::Mismatch;
}

Status flashChecksum(const Arguments& in, Context& context, Values& values)
{
    const std::size_t blocks = kFlashSize / kChecksumBlock;
    if (in.argument1 == 0 || std::size_t(in.argument0) + in.argument1 > blocks)
        return Status::BadArgument;
    const auto range = std::span<const std::uint8_t>(context.firmware.flash)
                           .subspan(in.argument0 * kChecksumBlock, in.argument1 * kChecksumBlock);
    values.value0 = sum16(range);
    return Status::Ok;
}

Status runCheck(const Arguments& in, Context& context, Values& values)
{
    if (in.argument0 == kRunBootPage)
        return requireVerified(context.firmware, 1, values);
    if (in.argument0 == kRunWholeFlash)
        return requireVerified(context.firmware, kFlashPages, values);
    return Status::BadArgument;
}

Status lock(const Arguments&, Context& context, Values& values)
{
    const Status status = requireVerified(context.firmware, kFlashPages, values);
    if (status == Status::Ok && context.failing(BootloaderStep::Lock))
        return Status::LockFailed;
    if (status == Status::Ok && !context.firmware.locked) {
        context.firmware.locked = true;
        context.outcome.firmwareChanged = true;
    }
    return status;
}

Status switchToUser(const Arguments&, Context& context, Values& values)
{
    const Status status = requireVerified(context.firmware, kFlashPages, values);
    if (status == Status::Ok)
        context.outcome.effect = Effect::LeaveForUserProgram;
    return status;
}

constexpr std::array<Row, 13> kOperations = {{
    {Op::Hello, "Hello", false, hello},
    {Op::MemoryInfo, "MemoryInfo", true, memoryInfo},
    {Op::Disconnect, "Disconnect", true, disconnect},
    {Op::UserProgramIds, "UserProgramIds", true, userProgramIds},
    {Op::ErasePage, "ErasePage", true, erasePage},
    {Op::BlankCheck, "BlankCheck", true, blankCheck},
    {Op::ProgramStart, "ProgramStart", true, programStart},
    {Op::ProgramData, "ProgramData", true, programData},
    {Op::VerifyPage, "VerifyPage", true, verifyPage},
    {Op::FlashChecksum, "FlashChecksum", true, flashChecksum},
    {Op::RunCheck, "RunCheck", true, runCheck},
    {Op::Lock, "Lock", true, lock},
    {Op::SwitchToUser, "SwitchToUserProgram", true, switchToUser},
}};

} // namespace

Outcome answer(std::span<const std::uint8_t, kReportSize> request, FirmwareState& firmware, Session& session,
               StepFailures& failures)
{
    Outcome outcome;
    const std::uint8_t code = request[kOperationOffset];
    outcome.reply[kOperationOffset] = code;
    outcome.reply[kSequenceOffset] = request[kSequenceOffset];

    const auto row =
        std::ranges::find_if(kOperations, [code](const Row& r) { return std::uint8_t(r.op) == code; });
    if (row != kOperations.end() && row->op != Op::ProgramData)
        session.programming = false; // a window lasts only while its data keeps coming

    Status status = Status::UnknownOperation;
    Values values;
    if (row != kOperations.end()) {
        outcome.name = row->name;
        if (row->needsSession && !session.open) {
            status = Status::NoSession;
        } else {
            const Arguments in{getU16(request.data() + kArgument0Offset),
                               getU16(request.data() + kArgument1Offset),
                               request.subspan<kDataOffset, kMaxData>()};
            Context context{firmware, session, failures, outcome};
            status = row->handle(in, context, values);
        }
    } else {
        session.programming = false;
    }
    outcome.reply[kStatusOffset] = std::uint8_t(status);
    putU16(outcome.reply.data() + kValue0Offset, values.value0);
    putU16(outcome.reply.data() + kValue1Offset, values.value1);
    putU32(outcome.reply.data() + kValue2Offset, values.value2);
    return outcome;
}

} // namespace j2::vm::boot
