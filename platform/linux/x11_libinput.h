#pragma once

// The pointer settings of the X server's libinput driver, set per device through XInput properties on
// $DISPLAY. The driver keeps them per device and ignores the core pointer control, so this is the way to
// change them on an X server with libinput devices.

namespace j2::platform::x11 {

enum class LibinputResult
{
    Applied,   // every pointer device driven by libinput took the value
    NoDevices, // no display, or no pointer device has the driver's property: nothing changed
    Failed,    // the server refused the value on at least one device
};

// "libinput Accel Speed": -1 (slowest) to 1 (fastest), 0 the driver's default.
LibinputResult writeAccelSpeed(double speed);
// The first libinput pointer's speed; false when there is none.
bool readAccelSpeed(double& speed);
// "libinput Accel Profile Enabled": adaptive when accelerated, flat otherwise.
LibinputResult writeAccelerated(bool accelerated);
bool readAccelerated(bool& accelerated);

} // namespace j2::platform::x11
