#pragma once

// The sysfs entries and the /dev node of an emulated hidraw device, laid out as the kernel lays out a USB
// HID interface: usb_device -> usb_interface -> hid device (uevent with HID_ID, HID_NAME, HID_UNIQ, and
// report_descriptor) -> hidraw class device (uevent, dev), linked from /sys/class/hidraw. libudev reads them
// as it reads the real ones; hidapi finds the node through them.

#include "hidraw_node.h"

#include <string>

namespace j2::vm::hidraw {

class FakeSysfs
{
public:
    // `sysRoot` and `devRoot` are /sys and /dev inside the private mount namespace (writable tmpfs there).
    FakeSysfs(std::string sysRoot, std::string devRoot);

    // Creates the device's entries and binds `nodeFile` at /dev/hidraw<minor>. False, with the reason, when
    // any step failed (what was made is taken away again).
    bool add(const NodeIdentity& identity, int minor, int hidSerial, const std::string& nodeFile,
             std::string* error);
    // Takes the device's entries and its /dev node away; files already open stay open.
    void remove(int minor);

    // "/devices/..." of the hidraw class device, as udev events name it.
    std::string devpath(int minor) const;
    std::string devnode(int minor) const;
    static constexpr int kMajor = 241; // a major from the range Linux keeps for local use

private:
    std::string sysRoot_;
    std::string devRoot_;
};

} // namespace j2::vm::hidraw
