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

} // namespace j2::win32
