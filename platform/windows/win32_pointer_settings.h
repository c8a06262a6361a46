#pragma once

// Win32 only, free of Qt so that it can be checked with a plain MinGW compiler. Every call is one
// SystemParametersInfoW and is true when Windows accepted it.

namespace j2::win32 {

// Threshold 1, threshold 2, acceleration (SPI_GETMOUSE / SPI_SETMOUSE).
bool getMouseParameters(int (&values)[3]);
bool setMouseParameters(const int (&values)[3]);
// 1 (slowest) to 20 (fastest).
bool setMouseSpeed(unsigned speed);
bool setDoubleClickTime(unsigned milliseconds);
bool setWheelScrollLines(unsigned lines);
// The current values (SPI_GETMOUSESPEED, GetDoubleClickTime, SPI_GETWHEELSCROLLLINES).
bool getMouseSpeed(unsigned& speed);
bool getDoubleClickTime(unsigned& milliseconds);
bool getWheelScrollLines(unsigned& lines);

} // namespace j2::win32
