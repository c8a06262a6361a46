#include "win32_device_change.h"

#include <windows.h>

// After windows.h, whose types it uses.
#include <dbt.h>

namespace j2::win32 {

bool isDeviceChange(unsigned message, unsigned long long wParam)
{
    if (message != WM_DEVICECHANGE)
        return false;
    return wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE ||
           wParam == DBT_DEVNODES_CHANGED;
}

bool registerHidInterfaceNotifications(void* window)
{
    // The HID device interface class, 4D1E55B2-F16F-11CF-88CB-001111000030.
    static const GUID kHidInterfaceClass = {
        0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kHidInterfaceClass;
    return RegisterDeviceNotificationW(static_cast<HWND>(window), &filter, DEVICE_NOTIFY_WINDOW_HANDLE) !=
           nullptr;
}

} // namespace j2::win32
