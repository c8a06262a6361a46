#pragma once

// GNOME's mouse settings through GSettings. Free of Qt: GLib's headers name struct members `signals`, which
// Qt turns into a keyword.

#include <memory>

namespace j2::platform::gnome {

// The keys of "org.gnome.desktop.peripherals.mouse" (and "double-click" from whichever installed schema has
// it). GSettings aborts the program on a schema or key that is not installed, so every schema is looked up
// first and every key checked before use; a missing key makes its call false.
class MouseSettings
{
public:
    static constexpr const char* kMouseSchema = "org.gnome.desktop.peripherals.mouse";
    // Older desktops kept the double-click time with the settings daemon.
    static constexpr const char* kOlderDoubleClickSchema = "org.gnome.settings-daemon.peripherals.mouse";

    // Null when the mouse schema is not installed.
    static std::unique_ptr<MouseSettings> open();
    ~MouseSettings();
    MouseSettings(const MouseSettings&) = delete;
    MouseSettings& operator=(const MouseSettings&) = delete;

    // -1 (slowest) to 1 (fastest), 0 the desktop's default.
    bool setSpeed(double speed);
    bool readSpeed(double& speed);
    bool setDoubleClick(int milliseconds);
    bool readDoubleClick(int& milliseconds);
    // Acceleration is on unless the profile is "flat" (the device's default profile accelerates too).
    bool readAccelerated(bool& accelerated);
    bool setAccelerated(bool accelerated);

private:
    struct Schemas;
    explicit MouseSettings(std::unique_ptr<Schemas> schemas);
    std::unique_ptr<Schemas> schemas;
};

} // namespace j2::platform::gnome
