#pragma once

// Process-wide device state. The flags are read by write exchanges on pool threads and by the notification
// watch, so they are atomics; the secrecy code is only touched on the GUI thread, and every exchange works on
// its own copy taken when it claims the device.

#include "report.h"

#include <QString>
#include <QStringList>

#include <array>
#include <atomic>

extern std::atomic<bool> isEncode;      // scramble feature reports
extern std::atomic<bool> isDemoMode;    // refuse every exchange
extern std::atomic<bool> isDeviceFound; // the handshake succeeded (or demo mode)
extern j2::wire::SecrecyCode secrecyCode;

// DPI value of stages 1..8 as the pages last wrote or read them; the notification watch words its notices
// with them.
extern std::array<std::atomic<unsigned>, 8> dpiValues;

// The eight DPI notice texts ("DPI Switch to" until a language replaces them). Written on the GUI thread,
// read by the notification watch.
void setDpiNoticeTexts(const QStringList& texts);
QString dpiNoticeText(int index);
