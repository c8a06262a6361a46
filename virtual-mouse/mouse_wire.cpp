// The device end of the wire: feature reports, the bulk phases and the notification interface.

#include "device_commands.h"
#include "mouse_impl.h"

#include <algorithm>
#include <cstring>

namespace j2::vm {

namespace {

constexpr const char* kNotificationName = "DPIStageNotification";

// A host that does not know the code asks for it with a plain 00 request of zero arguments; a scrambling
// device answers with a scrambled zero block, from which the host can work the code out.
constexpr wire::FeatureReport kPlainCodeQuery = {0x00, 0x00, 0, 0, 0, 0, 0, 0, 0xFF};

// The 8A reply: whether the entry code armed the switch into the bootloader.
constexpr std::size_t kBootloaderStateOffset = 2;
constexpr std::uint8_t kBootloaderArmed = 0xFF;
constexpr std::uint8_t kBootloaderNotArmed = 0x00;

} // namespace

int VirtualMouse::Impl::featureSet(int handle, const std::uint8_t* data, std::size_t length)
{
    const OpenHandle* open = liveHandle(handle);
    if (!open)
        return -1;
    if (open->iface != Interface::Control) {
        logEntry(true, open->iface, "feature-set", "", data, length, "wrong-interface");
        return -1;
    }
    if (length != wire::kFeatureReportSize || data[0] != wire::kReportId) {
        logEntry(true, Interface::Control, "feature-set", "", data, length, "malformed");
        return -1;
    }
    const int sent = int(wire::kFeatureReportSize);
    if (rejectWhileBusy(Interface::Control, "feature-set", data, length))
        return sent;

    wire::FeatureReport raw;
    std::copy_n(data, raw.size(), raw.begin());
    wire::FeatureReport request = raw;
    if (state.encode)
        wire::descramble(request.data() + wire::kCommandOffset, secrecyCode());
    discardExchange(); // a new command aborts whatever phase the previous one left

    auto finish = [&](Command command, const char* note) {
        logEntry(true, Interface::Control, "feature-set", commandInfo(command).name, raw.data(), raw.size(),
                 note);
        return sent;
    };

    if (!wire::checksumValid(request)) {
        if (state.encode && raw == kPlainCodeQuery) {
            wire::FeatureReport zero{};
            wire::scramble(zero.data() + wire::kCommandOffset, secrecyCode());
            reply = PendingReply{zero, Command::GetSecrecyCode, false};
            return finish(Command::GetSecrecyCode, "code-query");
        }
        ++checksumErrors;
        return finish(Command::Unknown, "checksum");
    }

    const Command command = classify(request);
    const CommandInfo& info = commandInfo(command);
    if (command == Command::Unknown)
        return finish(command, "unknown");

    if (info.read) {
        if (dropReplies > 0) {
            --dropReplies;
            reply.dropped = true;
            reply.command = command;
            return finish(command, "dropped");
        }
        wire::FeatureReport answer{};
        answer[wire::kCommandOffset] = request[wire::kCommandOffset];
        std::vector<std::uint8_t> bulk;
        answerRead(command, request, state, answer, bulk);
        const bool armed = command == Command::GetBootloaderState && bootloaderArmed;
        if (command == Command::GetBootloaderState) // the arming lives in the model, not in DeviceState
            answer[kBootloaderStateOffset] = armed ? kBootloaderArmed : kBootloaderNotArmed;
        setReply(answer, command);
        reply.leaveAfterRead = armed;
        if (!bulk.empty() && withholdBulk > 0) {
            --withholdBulk;
            return finish(command, "withheld");
        }
        for (std::size_t offset = 0; offset < bulk.size(); offset += kReportLength) {
            InputReport report{{}, info.name};
            std::copy_n(bulk.begin() + std::ptrdiff_t(offset),
                        std::min<std::size_t>(kReportLength, bulk.size() - offset), report.bytes.begin());
            controlInput.push_back(report);
        }
        if (!controlInput.empty())
            wake.notify_all();
        return finish(command, "");
    }

    if (!writeAccepted(command, request))
        return finish(command, "ignored");
    setReply(request, command); // a write is acknowledged with its own request
    const std::size_t bulkBytes = bulkLength(command, request);
    if (bulkBytes == 0) {
        applyWrite(command, request, nullptr, state);
        stateChanged();
        if (command == Command::EnterBootloader)
            armBootloader();
    } else {
        pendingWrite = PendingWrite{command, request, bulkBytes, {}};
        pendingWrite->data.reserve(bulkBytes);
    }
    if (info.settled)
        busyUntil = Clock::now() + std::chrono::milliseconds(kSettleBusyMs);
    return finish(command, "");
}

int VirtualMouse::Impl::featureGet(std::unique_lock<std::mutex>& lock, int handle, std::uint8_t* data,
                                   std::size_t length)
{
    const OpenHandle* open = liveHandle(handle);
    if (!open)
        return -1;
    if (open->iface != Interface::Control) {
        logEntry(false, open->iface, "feature-get", "", nullptr, 0, "wrong-interface");
        return -1;
    }
    if (length == 0)
        return -1;
    const std::size_t count = std::min(length, wire::kFeatureReportSize);
    const wire::FeatureReport zero{};
    if (rejectWhileBusy(Interface::Control, "feature-get", zero.data(), zero.size())) {
        std::copy_n(zero.begin(), count, data);
        return int(count);
    }
    if (delayCount > 0) {
        --delayCount;
        // Waiting on the condition variable lets the rest of the device run meanwhile; an unplug ends it.
        wake.wait_for(lock, std::chrono::milliseconds(delayMs),
                      [&] { return liveHandle(handle) == nullptr; });
        if (!liveHandle(handle))
            return -1;
    }
    const char* name = commandInfo(reply.command).name;
    if (reply.dropped) {
        logEntry(false, Interface::Control, "feature-get", name, nullptr, 0, "dropped");
        return -1;
    }
    std::copy_n(reply.bytes.begin(), count, data);
    logEntry(false, Interface::Control, "feature-get", name, reply.bytes.data(), reply.bytes.size(), "");
    if (reply.leaveAfterRead) {
        reply.leaveAfterRead = false;
        // Late enough for the host to finish its exchange before the device goes.
        scheduleModeSwitch(Clock::now() + std::chrono::milliseconds(boot::kLeaveAfterReadMs));
    }
    return int(count);
}

int VirtualMouse::Impl::outputReport(int handle, const std::uint8_t* data, std::size_t length)
{
    const OpenHandle* open = liveHandle(handle);
    if (!open)
        return -1;
    if (open->iface == Interface::Bootloader)
        return bootloaderRequest(data, length);
    if (open->iface != Interface::Control) {
        logEntry(true, open->iface, "output", "", data, length, "wrong-interface");
        return -1;
    }
    if (length < 2 || data[0] != wire::kReportId) {
        logEntry(true, Interface::Control, "output", "", data, length, "malformed");
        return -1;
    }
    if (rejectWhileBusy(Interface::Control, "output", data, length))
        return int(length);
    if (!pendingWrite) {
        logEntry(true, Interface::Control, "output", "", data, length, "unexpected");
        return int(length);
    }

    PendingWrite& write = *pendingWrite;
    const CommandInfo& info = commandInfo(write.command);
    logEntry(true, Interface::Control, "output", info.name, data, length, "");
    const std::size_t chunk = std::min<std::size_t>(kReportLength, write.length - write.data.size());
    const std::size_t carried = std::min(chunk, length - 1);
    write.data.insert(write.data.end(), data + 1, data + 1 + carried);
    write.data.resize(write.data.size() + (chunk - carried), 0); // a short report is zero-padded
    if (write.data.size() == write.length) {
        applyWrite(write.command, write.request, write.data.data(), state);
        stateChanged();
        if (info.settled)
            busyUntil = Clock::now() + std::chrono::milliseconds(kSettleBusyMs);
        pendingWrite.reset();
    }
    countBulkReport();
    return int(length);
}

int VirtualMouse::Impl::inputReport(std::unique_lock<std::mutex>& lock, int handle, std::uint8_t* data,
                                    std::size_t length, int timeoutMs)
{
    const OpenHandle* open = liveHandle(handle);
    if (!open)
        return -1;
    const Interface iface = open->iface;
    if (iface == Interface::Bootloader)
        return bootloaderReply(lock, handle, data, length, timeoutMs);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        if (!liveHandle(handle))
            return -1;
        if (iface == Interface::Control && !controlInput.empty()) {
            InputReport& next = controlInput.front();
            if (delayCount > 0 && !next.held) {
                // The report becomes readable delayMs from the first read that asks for it; a read whose
                // time-out ends first sees nothing, as from a device that answers too late.
                --delayCount;
                next.held = true;
                next.readyAt = Clock::now() + std::chrono::milliseconds(delayMs);
            }
            if (Clock::now() < next.readyAt) {
                if (timeoutMs == 0 || (timeoutMs > 0 && Clock::now() >= deadline))
                    return 0;
                wake.wait_until(lock, timeoutMs > 0 ? std::min(deadline, next.readyAt) : next.readyAt);
                continue; // the queue may have been discarded meanwhile
            }
            const InputReport report = controlInput.front();
            controlInput.pop_front();
            const std::size_t count = std::min<std::size_t>(length, kReportLength);
            std::copy_n(report.bytes.begin(), count, data);
            logEntry(false, iface, "input", report.name, report.bytes.data(), report.bytes.size(), "");
            countBulkReport();
            return int(count);
        }
        if (iface == Interface::Notify && !notifyInput.empty()) {
            const auto report = notifyInput.front();
            notifyInput.pop_front();
            const std::size_t count = std::min<std::size_t>(length, kNotificationLength);
            std::copy_n(report.begin(), count, data);
            logEntry(false, iface, "input", kNotificationName, report.data(), report.size(), "");
            return int(count);
        }
        if (timeoutMs == 0)
            return 0;
        if (timeoutMs < 0) {
            wake.wait(lock);
        } else {
            if (Clock::now() >= deadline)
                return 0;
            wake.wait_until(lock, deadline);
        }
    }
}

double VirtualMouse::Impl::nowMs() const
{
    return std::chrono::duration<double, std::milli>(Clock::now() - created).count();
}

const VirtualMouse::Impl::OpenHandle* VirtualMouse::Impl::liveHandle(int handle) const
{
    const auto found = handles.find(handle);
    if (found == handles.end() || found->second.generation != generation || !plugged)
        return nullptr;
    return &found->second;
}

void VirtualMouse::Impl::logEntry(bool toDevice, Interface iface, const char* kind, const char* command,
                                  const std::uint8_t* bytes, std::size_t count, const char* note)
{
    WireEntry entry;
    entry.timeMs = nowMs();
    entry.toDevice = toDevice;
    entry.iface = iface;
    entry.kind = kind;
    entry.command = command;
    if (bytes)
        entry.bytes.assign(bytes, bytes + count);
    entry.note = note;
    log.append(std::move(entry));
}

bool VirtualMouse::Impl::rejectWhileBusy(Interface iface, const char* kind, const std::uint8_t* bytes,
                                         std::size_t count)
{
    if (Clock::now() >= busyUntil)
        return false;
    ++busyViolations;
    logEntry(kind != std::string_view("feature-get"), iface, kind, "", bytes, count, "busy");
    return true;
}

void VirtualMouse::Impl::discardExchange()
{
    reply = PendingReply{};
    controlInput.clear();
    pendingWrite.reset();
}

void VirtualMouse::Impl::setReply(wire::FeatureReport answer, Command command)
{
    answer[wire::kReportIdOffset] = wire::kReportId;
    wire::setChecksum(answer);
    if (state.encode)
        wire::scramble(answer.data() + wire::kCommandOffset, secrecyCode());
    reply = PendingReply{answer, command, false};
}

void VirtualMouse::Impl::countBulkReport()
{
    if (unplugAfterBulk > 0 && --unplugAfterBulk == 0)
        setCable(false);
}

wire::SecrecyCode VirtualMouse::Impl::secrecyCode() const
{
    wire::SecrecyCode code{};
    wire::loadSecrecyCode(code, state.secrecyCode.data(), state.secrecyCode.size());
    return code;
}

} // namespace j2::vm
