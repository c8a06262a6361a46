#pragma once

// Win32 only, free of Qt so that it can be checked with a plain MinGW compiler.

namespace j2::win32 {

// True for WM_DEVICECHANGE messages that announce an arrival or removal, or a change of the device tree
// (which Windows broadcasts to every top-level window without any registration).
bool isDeviceChange(unsigned message, unsigned long long wParam);

// Asks Windows to send `window` (an HWND) WM_DEVICECHANGE for every HID interface that arrives or goes;
// the registration ends with the window. False when Windows refused.
bool registerHidInterfaceNotifications(void* window);

} // namespace j2::win32
