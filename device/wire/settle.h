#pragma once

// The pause a host takes around a write that makes the device store flash: the device ignores every report
// that arrives before it is done.

#include <atomic>
#include <chrono>
#include <thread>

namespace j2::wire {

constexpr int kSettleHalfMs = 64;

// Two sleeps of kSettleHalfMs, the second one only while `settleFlag` is still clear. Nothing else writes the
// flag today, so the delay is always the full 128 ms; the flag is the hook for cutting it short.
inline void settleDelay(std::atomic<bool>& settleFlag)
{
    settleFlag.store(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(kSettleHalfMs));
    if (!settleFlag.load()) {
        settleFlag.store(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(kSettleHalfMs));
    }
}

} // namespace j2::wire
