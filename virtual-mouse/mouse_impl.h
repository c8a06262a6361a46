#pragma once

// Inside the virtual mouse. One mutex guards everything the wire touches; a condition variable wakes readers
// when input is queued, a handle closes or the cable changes. Plug listeners and the state file are served
// after the mutex is released, so neither a listener nor the disk ever runs under it. The model's own thread
// re-enumerates the device when it switches between the mouse and its bootloader.

#include "bootloader.h"
#include "virtual_mouse.h"
#include "vm_command_table.h"
#include "wire_log.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace j2::vm {

struct VirtualMouse::Impl
{
    using Clock = std::chrono::steady_clock;

    struct OpenHandle
    {
        Interface iface;
        std::uint64_t generation; // handles die with the plug-in they were opened in
    };
    struct InputReport
    {
        std::array<std::uint8_t, kReportLength> bytes;
        const char* name;            // for the wire log
        Clock::time_point readyAt{}; // a late reply cannot be read before
        bool leaveAfterRead = false; // the bootloader's ok to a switch: leave once the host has it
        bool held = false;           // a delay fault set readyAt; it stays late for every read that waits
    };
    struct PendingReply
    {
        wire::FeatureReport bytes{}; // as they will travel (scrambled when scrambling is on)
        Command command = Command::Unknown;
        bool dropped = false;        // a fault: the feature get fails
        bool leaveAfterRead = false; // an 8A reply saying "armed": enter the bootloader once it was read
    };
    struct PendingWrite
    {
        Command command;
        wire::FeatureReport request;
        std::size_t length;
        std::vector<std::uint8_t> data;
    };

    explicit Impl(Options options);

    // ---- the wire, with `mutex` held ----
    int featureSet(int handle, const std::uint8_t* data, std::size_t length);
    int featureGet(std::unique_lock<std::mutex>& lock, int handle, std::uint8_t* data, std::size_t length);
    int outputReport(int handle, const std::uint8_t* data, std::size_t length);
    int inputReport(std::unique_lock<std::mutex>& lock, int handle, std::uint8_t* data, std::size_t length,
                    int timeoutMs);

    // ---- the bootloader (mouse_bootloader.cpp), with `mutex` held ----
    bool inBootloader() const { return state.firmware.bootloaderMode; }
    int bootloaderRequest(const std::uint8_t* data, std::size_t length);
    // 0 on time-out; otherwise as inputReport. Sleeps on `wake` until a reply is due.
    int bootloaderReply(std::unique_lock<std::mutex>& lock, int handle, std::uint8_t* data,
                        std::size_t length, int timeoutMs);
    void armBootloader();
    void scheduleModeSwitch(Clock::time_point when); // keeps an earlier switch already planned
    void switchMode();                               // re-enumerate as the other device
    void reenumerate(); // the device leaves the bus and arrives again as what state.firmware says
    void noteFirmwareChanged();
    // The model thread: waits for a planned mode switch and carries it out.
    void runModelThread();

    // ---- helpers, with `mutex` held ----
    double nowMs() const;
    const OpenHandle* liveHandle(int handle) const; // nullptr when closed, or opened before an unplug
    void logEntry(bool toDevice, Interface iface, const char* kind, const char* command,
                  const std::uint8_t* bytes, std::size_t count, const char* note);
    bool rejectWhileBusy(Interface iface, const char* kind, const std::uint8_t* bytes, std::size_t count);
    void discardExchange(); // what a new feature report or a lost cable throws away
    void setReply(wire::FeatureReport reply, Command command);
    void setCable(bool plugged);
    void countBulkReport();
    wire::SecrecyCode secrecyCode() const;
    void stateChanged() { ++stateVersion; }

    // ---- after a call, without `mutex` ----
    void afterCall();
    void persist();
    void deliverPlugEvents();

    const Options options;
    const Clock::time_point created = Clock::now();

    mutable std::mutex mutex;
    std::condition_variable wake;

    DeviceState state;
    bool plugged = true;
    std::uint64_t generation = 1;
    int nextHandle = 1;
    std::map<int, OpenHandle> handles;

    PendingReply reply;
    std::deque<InputReport> controlInput;
    std::deque<std::array<std::uint8_t, kNotificationLength>> notifyInput;
    std::optional<PendingWrite> pendingWrite;
    Clock::time_point busyUntil{};

    std::deque<InputReport> bootloaderInput;
    boot::Session bootSession;
    bool bootloaderArmed = false;                  // the entry code came; the switch is planned
    std::optional<Clock::time_point> modeSwitchAt; // when the device re-enumerates as the other one
    bool firmwareUnsaved = false;                  // flash bytes of an open program window, not yet saved
    bool stopping = false;
    std::condition_variable modelWake;
    std::thread modelThread;

    int failOpens = 0;
    int dropReplies = 0;
    int withholdBulk = 0;
    int delayCount = 0;
    int delayMs = 0;
    int unplugAfterBulk = 0; // 0: no unplug planned
    boot::StepFailures failSteps{};

    int busyViolations = 0;
    int checksumErrors = 0;
    WireLog log;

    // The state file is rewritten whenever stateVersion has moved past the version last written.
    bool persistEnabled = false;
    std::uint64_t stateVersion = 0;
    std::atomic<std::uint64_t> persistedVersion{0};
    std::mutex persistMutex;

    // Plug events are queued under `mutex` and handed out in order under `dispatchMutex`, which
    // removePlugListener also takes so that a removed listener is never running afterwards.
    std::recursive_mutex dispatchMutex;
    std::vector<std::pair<int, std::shared_ptr<std::function<void(bool)>>>> listeners;
    int nextListener = 1;
    std::deque<bool> plugEvents;
};

} // namespace j2::vm
