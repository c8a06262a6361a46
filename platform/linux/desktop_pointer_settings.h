#pragma once

// The Linux pointer settings, applied through the running desktop's own mechanism.

#include "pointer_settings.h"

#include <memory>
#include <string>

namespace j2::platform {

// Whose settings the pointer follows in this session.
enum class PointerDesktop
{
    Gnome, // GSettings' org.gnome.desktop.peripherals, read by GNOME and the desktops built on its daemon
    Kde,   // Plasma's kcminputrc and kdeglobals, reloaded over D-Bus
    X11,   // an X server under no desktop we know (or one with its own schema, as Cinnamon, MATE and Xfce
           // have, which applies it again at login): the devices' XInput properties
    None,  // a Wayland compositor without a settings interface of ours: nothing can be applied
};

struct PointerSession
{
    PointerDesktop desktop = PointerDesktop::None;
    bool x11 = false; // an X server is the display server (not Xwayland under a compositor)
    std::string name; // XDG_CURRENT_DESKTOP, for the log
};

// From XDG_CURRENT_DESKTOP, XDG_SESSION_TYPE, WAYLAND_DISPLAY and DISPLAY.
PointerSession currentPointerSession();

// A setting the session cannot apply is false and says why on the j2.platform debug output; nothing is
// written where the desktop would not read it (GNOME's keys exist on most Plasma systems too).
std::unique_ptr<PointerSettings> makeDesktopPointerSettings(const PointerSession& session);

} // namespace j2::platform
