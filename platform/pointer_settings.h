#pragma once

// Plain C++ on purpose: the Linux adapters behind it include GLib and X11 headers, whose names clash with
// Qt's keywords and macros.

#include <memory>

namespace j2::platform {

// Pointer acceleration as Windows keeps it: two mouse-speed thresholds and the acceleration level (0 off).
struct PointerAcceleration
{
    int threshold1 = 0;
    int threshold2 = 0;
    int level = 0;
};

// The system-wide pointer settings of the performance pages, in the system's own units. Changes persist for
// the user and reach every program. Each call is false when the system refused the value or has no such
// setting; the caller reports it and shows what the read side says the system holds instead.
class PointerSettings
{
public:
    // Pointer speeds the system accepts: 1 slowest, 10 the system's default, 20 fastest.
    static constexpr unsigned kSlowestSpeed = 1;
    static constexpr unsigned kDefaultSpeed = 10;
    static constexpr unsigned kFastestSpeed = 20;

    virtual ~PointerSettings() = default;

    virtual bool readAcceleration(PointerAcceleration& acceleration) = 0;
    virtual bool writeAcceleration(const PointerAcceleration& acceleration) = 0;
    virtual bool setPointerSpeed(unsigned speed) = 0;
    virtual bool setDoubleClickTime(unsigned milliseconds) = 0;
    // Lines scrolled per wheel notch.
    virtual bool setWheelScrollLines(unsigned lines) = 0;
    // What the system holds now, in the setters' units; false where it cannot tell.
    virtual bool readPointerSpeed(unsigned& speed) = 0;
    virtual bool readDoubleClickTime(unsigned& milliseconds) = 0;
    virtual bool readWheelScrollLines(unsigned& lines) = 0;
};

// The system's own settings: SystemParametersInfoW on Windows; the desktop's settings on Linux.
std::unique_ptr<PointerSettings> makeSystemPointerSettings();

} // namespace j2::platform
