#pragma once

// The performance pages' system pointer settings: pointer speed, double-click time, wheel lines and
// acceleration, applied system-wide and remembered in the current profile so that re-sending a profile
// re-applies them; and the swap of the scroll-wheel buttons, which is a bit of the mouse's function option.

#include "pointer_settings.h"

#include <QString>

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

    // Setters record the page value first, then apply it; a refused change is logged and otherwise ignored.
    // Getters read the current profile only (acceleration excepted, which the system holds).
    void setCursorSpeed(uint cursorSpeed);
    uint getCursorSpeed();
    void setDoubleClickSpeed(uint speed);
    uint getDoubleClickSpeed();
    void setVerticalScrollLines(uint lines);
    uint getVerticalScrollLines();
    void setAcceleration(bool acceleration);
    bool getAcceleration();
    void setScrollPinSwap(bool isSwap);
    bool getScrollPinSwap();

private:
    void record(const QString& key, const QVariant& value);

    ProfileStore& profiles;
    j2::platform::PointerSettings& system;
    Hid_Thread& hid;
};
