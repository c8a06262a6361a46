#pragma once

// The performance pages' system pointer settings: pointer speed, double-click time, wheel lines and
// acceleration, applied system-wide and remembered in the current profile so that re-sending a profile
// re-applies them; and the swap of the scroll-wheel buttons, which is a bit of the mouse's function option.

#include "pointer_settings.h"

#include <QString>
#include <QVariant>

#include <optional>

class Hid_Thread;
class ProfileStore;

class PointerBridge
{
public:
    static inline const QString kCursorSpeedKey = QStringLiteral("sensor/cursorSpeed_J2");
    static inline const QString kDoubleClickSpeedKey = QStringLiteral("sensor/doubleClickSpeed_J2");
    static inline const QString kScrollLinesKey = QStringLiteral("sensor/verticalScrollLines_J2");
    static inline const QString kScrollSwapKey = QStringLiteral("keydefine_J2/scrollswap");

    // None of them is owned; all must outlive the bridge.
    PointerBridge(ProfileStore& profiles, j2::platform::PointerSettings& system, Hid_Thread& hid);

    // Setters record the page value first, then apply it. A change the system did not take is logged and
    // false, and the profile then holds the page value of what the system reports instead (or, where it
    // cannot tell, what the profile held before), so that the page reading back shows what is in effect
    // rather than a change that never happened.
    // Getters read the current profile only (acceleration excepted, which the system holds).
    bool setCursorSpeed(uint cursorSpeed);
    uint getCursorSpeed();
    bool setDoubleClickSpeed(uint speed);
    uint getDoubleClickSpeed();
    bool setVerticalScrollLines(uint lines);
    uint getVerticalScrollLines();
    void setAcceleration(bool acceleration);
    bool getAcceleration();
    void setScrollPinSwap(bool isSwap);
    bool getScrollPinSwap();

private:
    void record(const QString& key, const QVariant& value);
    // After a refused change: `held` (the system's value as a page value) or else `before` goes back.
    void restore(const QString& key, const QVariant& before, std::optional<uint> held);

    ProfileStore& profiles;
    j2::platform::PointerSettings& system;
    Hid_Thread& hid;
};
