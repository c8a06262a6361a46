#include "win32_pointer_settings.h"

#include <windows.h>

#include <cstdint>

namespace j2::win32 {

namespace {

// Written to the user profile and broadcast as WM_SETTINGCHANGE: the change outlives us and every running
// program picks it up.
constexpr UINT kPersistAndBroadcast = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;
static_assert(kPersistAndBroadcast == 3);

static_assert(SPI_GETMOUSE == 0x0003 && SPI_SETMOUSE == 0x0004);
static_assert(SPI_SETMOUSESPEED == 0x0071 && SPI_SETDOUBLECLICKTIME == 0x0020);
static_assert(SPI_SETWHEELSCROLLLINES == 0x0069);

} // namespace

bool getMouseParameters(int (&values)[3])
{
    return SystemParametersInfoW(SPI_GETMOUSE, 0, values, 0) != FALSE;
}

bool setMouseParameters(const int (&values)[3])
{
    // Windows takes the array through a non-const pointer.
    int copy[3] = {values[0], values[1], values[2]};
    return SystemParametersInfoW(SPI_SETMOUSE, 0, copy, kPersistAndBroadcast) != FALSE;
}

bool setMouseSpeed(unsigned speed)
{
    // The speed travels as the pointer value itself, not through it.
    void* byValue = reinterpret_cast<void*>(static_cast<std::uintptr_t>(speed));
    return SystemParametersInfoW(SPI_SETMOUSESPEED, 0, byValue, kPersistAndBroadcast) != FALSE;
}

bool setDoubleClickTime(unsigned milliseconds)
{
    return SystemParametersInfoW(SPI_SETDOUBLECLICKTIME, milliseconds, nullptr, kPersistAndBroadcast) !=
           FALSE;
}

bool setWheelScrollLines(unsigned lines)
{
    return SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, lines, nullptr, kPersistAndBroadcast) != FALSE;
}

bool getMouseSpeed(unsigned& speed)
{
    int value = 0;
    if (SystemParametersInfoW(SPI_GETMOUSESPEED, 0, &value, 0) == FALSE || value < 0)
        return false;
    speed = unsigned(value);
    return true;
}

bool getDoubleClickTime(unsigned& milliseconds)
{
    milliseconds = GetDoubleClickTime();
    return true;
}

bool getWheelScrollLines(unsigned& lines)
{
    UINT value = 0;
    if (SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &value, 0) == FALSE)
        return false;
    lines = value;
    return true;
}

} // namespace j2::win32
