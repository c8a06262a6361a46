#pragma once

// The Linux pointer settings, built from what the desktop offers.

#include "gnome_mouse_settings.h"
#include "pointer_settings.h"

#include <memory>

namespace j2::platform {

// With GNOME's mouse settings (`gnome` not null) the speed, double-click time and acceleration go there;
// without them acceleration goes to the X server's pointer control and the rest has no equivalent. No
// desktop setting holds the wheel's lines per notch (applications choose their own), so that is always false.
std::unique_ptr<PointerSettings> makeDesktopPointerSettings(std::unique_ptr<gnome::MouseSettings> gnome);

} // namespace j2::platform
