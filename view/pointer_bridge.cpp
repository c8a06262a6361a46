#include "pointer_bridge.h"

#include "hid_thread.h"
#include "profile_store.h"
#include "settings_io.h"
#include "view_log.h"

#include <QDebug>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace {

// The dial's page value in the system's pointer speed: two steps per page step, and never below the
// slowest speed the system accepts. Past the fastest the system refuses it.
uint systemPointerSpeed(uint pageValue)
{
    if (pageValue == 0)
        return j2::platform::PointerSettings::kSlowestSpeed;
    const std::uint64_t doubled = std::uint64_t(pageValue) * 2;
    return uint(std::min<std::uint64_t>(doubled, std::numeric_limits<uint>::max()));
}

// The dial's page value as a double-click time: 900 ms at 0, 70 ms quicker per step. From step 13 on there
// is no time left; handing Windows the wrapped unsigned value would make double-clicks the slowest it knows.
std::optional<uint> doubleClickMilliseconds(uint pageValue)
{
    constexpr std::int64_t slowestMs = 900;
    constexpr std::int64_t stepMs = 70;
    const std::int64_t milliseconds = slowestMs - stepMs * std::int64_t(pageValue);
    if (milliseconds <= 0)
        return std::nullopt;
    return uint(milliseconds);
}

// The reverse of the two above, for a value the system reports: the nearest page value.
uint pageSpeed(uint systemSpeed)
{
    return systemSpeed / 2;
}

uint pageDoubleClick(uint milliseconds)
{
    constexpr double slowestMs = 900;
    constexpr double stepMs = 70;
    return uint(std::max(0L, std::lround((slowestMs - double(milliseconds)) / stepMs)));
}

// Bit 6 of the function option's first option byte swaps the scroll-wheel buttons.
constexpr uchar kScrollSwapBit = 0x40;
// The dials' steps 0 to 11 (default 5) and the scroll lines a notch: 1 to 100, or 1000 for one screen.
constexpr ProfileStore::Range kDialRange{0, 11, 5};
constexpr int kMaxScrollLines = 100;
constexpr int kOneScreen = 1000;

} // namespace

PointerBridge::PointerBridge(ProfileStore& profileStore, j2::platform::PointerSettings& systemSettings,
                             Hid_Thread& device)
    : profiles(profileStore), system(systemSettings), hid(device)
{}

void PointerBridge::record(const QString& key, const QVariant& value)
{
    writeThrough(profiles.current(), key, value);
}

void PointerBridge::restore(const QString& key, const QVariant& before, std::optional<uint> held)
{
    if (held) {
        record(key, *held);
    } else if (before.isValid()) {
        record(key, before);
    } else {
        profiles.current().remove(key);
        syncChecked(profiles.current());
    }
}

bool PointerBridge::setCursorSpeed(uint cursorSpeed)
{
    const QVariant before = profiles.current().value(kCursorSpeedKey);
    record(kCursorSpeedKey, cursorSpeed);
    if (system.setPointerSpeed(systemPointerSpeed(cursorSpeed)))
        return true;
    qCDebug(lcView, "setCursorSpeed Failed");
    uint speed = 0;
    restore(kCursorSpeedKey, before,
            system.readPointerSpeed(speed) ? std::optional(pageSpeed(speed)) : std::nullopt);
    return false;
}

uint PointerBridge::getCursorSpeed()
{
    return uint(profiles.loadedNumber(kCursorSpeedKey, kDialRange));
}

bool PointerBridge::setDoubleClickSpeed(uint speed)
{
    const QVariant before = profiles.current().value(kDoubleClickSpeedKey);
    record(kDoubleClickSpeedKey, speed);
    const std::optional<uint> milliseconds = doubleClickMilliseconds(speed);
    if (milliseconds && system.setDoubleClickTime(*milliseconds))
        return true;
    qCDebug(lcView, "setDoubleClickSpeed Failed");
    uint held = 0;
    restore(kDoubleClickSpeedKey, before,
            system.readDoubleClickTime(held) ? std::optional(pageDoubleClick(held)) : std::nullopt);
    return false;
}

uint PointerBridge::getDoubleClickSpeed()
{
    return uint(profiles.loadedNumber(kDoubleClickSpeedKey, kDialRange));
}

bool PointerBridge::setVerticalScrollLines(uint lines)
{
    const QVariant before = profiles.current().value(kScrollLinesKey);
    record(kScrollLinesKey, lines);
    if (system.setWheelScrollLines(lines))
        return true;
    qCDebug(lcView, "setVerticalScrollLines Failed");
    uint held = 0;
    restore(kScrollLinesKey, before, system.readWheelScrollLines(held) ? std::optional(held) : std::nullopt);
    return false;
}

uint PointerBridge::getVerticalScrollLines()
{
    // 1 to 100 lines a notch, or one screen (1000).
    const int lines = profiles.loadedNumber(kScrollLinesKey, {1, kOneScreen, 3});
    return uint(lines > kMaxScrollLines && lines != kOneScreen ? kMaxScrollLines : lines);
}

void PointerBridge::setAcceleration(bool acceleration)
{
    // The thresholds go back as the system reported them; only the level is ours to change.
    j2::platform::PointerAcceleration current;
    if (!system.readAcceleration(current)) {
        qCDebug(lcView, "setAcceleration Failed");
        return;
    }
    current.level = acceleration ? 1 : 0;
    if (!system.writeAcceleration(current))
        qCDebug(lcView, "setAcceleration Failed");
}

bool PointerBridge::getAcceleration()
{
    j2::platform::PointerAcceleration current;
    if (!system.readAcceleration(current)) {
        qCDebug(lcView, "getAcceleration Failed");
        return false;
    }
    return current.level != 0;
}

void PointerBridge::setScrollPinSwap(bool isSwap)
{
    record(kScrollSwapKey, isSwap);
    // The other fields of the function option go back as the device reported them.
    uchar type = 0;
    uchar option1 = 0;
    uchar option2 = 0;
    uchar rate = 0;
    hid.hid_83H_GetFunctionOption(type, option1, option2);
    hid.hid_83H_GetReportRate(rate);
    option1 = uchar((option1 & ~kScrollSwapBit) | (isSwap ? kScrollSwapBit : 0));
    hid.hid_03H_SetFunctionOption(type, rate, option1, option2);
}

bool PointerBridge::getScrollPinSwap()
{
    return profiles.current().value(kScrollSwapKey, false).toBool();
}
