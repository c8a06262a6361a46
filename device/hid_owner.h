#pragma once

#include <QString>

// What the device object needs from the window that owns it: a place for tray notices, a way to hide
// itself when a strange device answers, and the stored secrecy codes.
class HidOwner
{
public:
    virtual ~HidOwner() = default;
    // May be called from any thread; the owner shows the notice on the GUI thread.
    virtual void showTrayMessage(const QString& title, const QString& text) = 0;
    virtual void hideWindow() = 0;
    // The six-character code stored for device type `did` ("common/sCode" + did).
    virtual QString storedSecrecyCode(int did) = 0;
};
