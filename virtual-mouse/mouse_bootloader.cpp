// The bootloader end of the wire and the switches between the mouse and its bootloader. Requests are
// answered by boot::answer; here they meet handles, faults, the wire log and the state file. A switch is
// carried out by the model's own thread, never inside the host's exchange that asked for it.

#include "mouse_impl.h"

#include <algorithm>

namespace j2::vm {

int VirtualMouse::Impl::bootloaderRequest(const std::uint8_t* data, std::size_t length)
{
    if (length < 2 || data[0] != wire::kReportId) {
        logEntry(true, Interface::Bootloader, "output", "", data, length, "malformed");
        return -1;
    }
    std::array<std::uint8_t, boot::kReportSize> request{}; // a short report is zero-padded
    std::copy_n(data + 1, std::min(length - 1, request.size()), request.begin());
    const boot::Outcome outcome = boot::answer(request, state.firmware, bootSession, failSteps);
    if (outcome.firmwareChanged)
        firmwareUnsaved = true;
    noteFirmwareChanged();

    const bool leaving = outcome.effect == boot::Effect::LeaveForUserProgram;
    const bool dropped = dropReplies > 0;
    logEntry(true, Interface::Bootloader, "output", outcome.name, data, length, dropped ? "dropped" : "");
    if (dropped) {
        --dropReplies;
    } else {
        InputReport answer{outcome.reply, outcome.name, Clock::now(), leaving};
        if (delayCount > 0) {
            --delayCount;
            answer.readyAt += std::chrono::milliseconds(delayMs);
        }
        if (bootloaderInput.size() >= boot::kMaxQueuedReplies)
            bootloaderInput.pop_front();
        bootloaderInput.push_back(answer);
        wake.notify_all();
    }
    if (leaving) // also when the host never reads the reply
        scheduleModeSwitch(Clock::now() + std::chrono::milliseconds(boot::kLeaveUnreadMs));
    countBulkReport();
    return int(length);
}

int VirtualMouse::Impl::bootloaderReply(std::unique_lock<std::mutex>& lock, int handle, std::uint8_t* data,
                                        std::size_t length, int timeoutMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        if (!liveHandle(handle))
            return -1;
        const Clock::time_point now = Clock::now();
        if (!bootloaderInput.empty() && bootloaderInput.front().readyAt <= now) {
            const InputReport answer = bootloaderInput.front();
            bootloaderInput.pop_front();
            const std::size_t count = std::min<std::size_t>(length, boot::kReportSize);
            std::copy_n(answer.bytes.begin(), count, data);
            logEntry(false, Interface::Bootloader, "input", answer.name, answer.bytes.data(),
                     answer.bytes.size(), "");
            if (answer.leaveAfterRead)
                scheduleModeSwitch(now + std::chrono::milliseconds(boot::kLeaveAfterReadMs));
            countBulkReport();
            return int(count);
        }
        if (timeoutMs == 0 || (timeoutMs > 0 && now >= deadline))
            return 0;
        std::optional<Clock::time_point> until;
        if (timeoutMs > 0)
            until = deadline;
        if (!bootloaderInput.empty()) // a late reply: wake when it is due
            until =
                until ? std::min(*until, bootloaderInput.front().readyAt) : bootloaderInput.front().readyAt;
        if (until)
            wake.wait_until(lock, *until);
        else
            wake.wait(lock);
    }
}

void VirtualMouse::Impl::armBootloader()
{
    bootloaderArmed = true;
    // Arming again starts the fallback second again.
    modeSwitchAt = Clock::now() + std::chrono::milliseconds(boot::kLeaveUnreadMs);
    modelWake.notify_all();
}

void VirtualMouse::Impl::scheduleModeSwitch(Clock::time_point when)
{
    if (!modeSwitchAt || when < *modeSwitchAt)
        modeSwitchAt = when;
    modelWake.notify_all();
}

void VirtualMouse::Impl::switchMode()
{
    modeSwitchAt.reset();
    bootloaderArmed = false;
    if (!plugged)
        return;
    const bool toBootloader = !inBootloader();
    // The bootloader agreed to leave a moment ago; the image may have been touched since.
    if (!toBootloader && !state.firmware.runnable())
        return;
    state.firmware.bootloaderMode = toBootloader;
    firmwareUnsaved = false;
    stateChanged();
    reenumerate();
}

void VirtualMouse::Impl::reenumerate()
{
    modeSwitchAt.reset();
    bootloaderArmed = false;
    if (!plugged)
        return;
    // The device the host knew is gone, with everything it had pending, and another one arrives.
    ++generation;
    discardExchange();
    notifyInput.clear();
    bootloaderInput.clear();
    bootSession = {};
    busyUntil = {};
    plugEvents.push_back(false);
    plugEvents.push_back(true);
    wake.notify_all();
}

void VirtualMouse::Impl::noteFirmwareChanged()
{
    // While a program window is open the chunks keep coming; the file is written once the window closes,
    // rather than a 64 KiB image for every 56 bytes.
    if (firmwareUnsaved && !bootSession.programming) {
        firmwareUnsaved = false;
        stateChanged();
    }
}

void VirtualMouse::Impl::runModelThread()
{
    std::unique_lock lock(mutex);
    while (!stopping) {
        if (!modeSwitchAt) {
            modelWake.wait(lock);
            continue;
        }
        if (Clock::now() < *modeSwitchAt) {
            modelWake.wait_until(lock, *modeSwitchAt);
            continue;
        }
        switchMode();
        lock.unlock();
        afterCall(); // the state file and the plug listeners, on this thread
        lock.lock();
    }
}

} // namespace j2::vm
