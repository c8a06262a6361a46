#pragma once

// Process-wide device state. The flags are read by write exchanges on pool threads and by the notification
// watch, so they are atomics; the secrecy code is only touched on the GUI thread, and every exchange works on
// its own copy taken when it claims the device.

#include "report.h"

#include <atomic>

extern std::atomic<bool> isEncode;      // scramble feature reports
extern std::atomic<bool> isDemoMode;    // refuse every exchange
extern std::atomic<bool> isDeviceFound; // the handshake succeeded (or demo mode)
extern j2::wire::SecrecyCode secrecyCode;
