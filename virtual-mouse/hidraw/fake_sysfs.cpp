#include "fake_sysfs.h"

#include <sys/mount.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace j2::vm::hidraw {

namespace {

// The emulated bus: one USB device on a root hub of its own.
constexpr const char* kBusFolder = "devices/j2-virtual-usb/usb9";
constexpr const char* kUsbDevice = "9-1";
constexpr int kBusNumber = 9;
constexpr int kDeviceNumber = 2;
constexpr int kUsbMajor = 189;
constexpr int kMouseInterface = 1;      // interface 0 is the pointer, which the emulation leaves out
constexpr int kBootloaderInterface = 0; // the bootloader has a single interface
constexpr std::uint16_t kDeviceRelease = 0x0100;

std::string hex4(unsigned value, bool upper)
{
    char text[8];
    std::snprintf(text, sizeof text, upper ? "%04X" : "%04x", value & 0xFFFFu);
    return text;
}

bool writeFile(const fs::path& path, const std::string& content, std::string* error)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out) {
        if (error)
            *error = "cannot write " + path.string();
        return false;
    }
    return true;
}

bool link(const fs::path& target, const fs::path& at, std::string* error)
{
    std::error_code code;
    fs::create_directory_symlink(fs::relative(target, at.parent_path()), at, code);
    if (code && error)
        *error = "cannot link " + at.string() + ": " + code.message();
    return !code;
}

} // namespace

FakeSysfs::FakeSysfs(std::string sysRoot, std::string devRoot)
    : sysRoot_(std::move(sysRoot)), devRoot_(std::move(devRoot))
{}

std::string FakeSysfs::devnode(int minor) const
{
    return devRoot_ + "/hidraw" + std::to_string(minor);
}

std::string FakeSysfs::devpath(int minor) const
{
    // Found through the class link, so that it is right whichever interface the device has.
    std::error_code code;
    const fs::path target =
        fs::canonical(fs::path(sysRoot_) / "class/hidraw" / ("hidraw" + std::to_string(minor)), code);
    if (code)
        return {};
    return target.string().substr(sysRoot_.size());
}

bool FakeSysfs::add(const NodeIdentity& identity, int minor, int hidSerial, const std::string& nodeFile,
                    std::string* error)
{
    const bool bootloader = identity.featurePayload == 0;
    const int interfaceNumber = bootloader ? kBootloaderInterface : kMouseInterface;
    const std::string vid = hex4(identity.vendorId, false);
    const std::string pid = hex4(identity.productId, false);
    const std::string rawName = "hidraw" + std::to_string(minor);

    const fs::path sys(sysRoot_);
    const fs::path usb = sys / kBusFolder / kUsbDevice;
    const fs::path usbInterface = usb / (std::string(kUsbDevice) + ":1." + std::to_string(interfaceNumber));
    char hidName[32];
    std::snprintf(hidName, sizeof hidName, "0003:%s:%s.%04X", hex4(identity.vendorId, true).c_str(),
                  hex4(identity.productId, true).c_str(), unsigned(hidSerial));
    const fs::path hid = usbInterface / hidName;
    const fs::path raw = hid / "hidraw" / rawName;

    std::error_code code;
    fs::create_directories(raw, code);
    fs::create_directories(sys / "bus/usb", code);
    fs::create_directories(sys / "bus/hid", code);
    fs::create_directories(sys / "class/hidraw", code);
    if (!fs::is_directory(raw)) {
        if (error)
            *error = "cannot create " + raw.string();
        return false;
    }
    const std::string product = std::to_string(identity.vendorId) + "/" + std::to_string(identity.productId);
    char busText[8];
    char deviceText[8];
    std::snprintf(busText, sizeof busText, "%03d", kBusNumber);
    std::snprintf(deviceText, sizeof deviceText, "%03d", kDeviceNumber);
    char hidId[40];
    std::snprintf(hidId, sizeof hidId, "0003:0000%s:0000%s", hex4(identity.vendorId, true).c_str(),
                  hex4(identity.productId, true).c_str());
    char interfaceText[8];
    std::snprintf(interfaceText, sizeof interfaceText, "%02x", interfaceNumber);

    const std::string descriptor(identity.descriptor.begin(), identity.descriptor.end());
    const bool made =
        writeFile(usb / "uevent",
                  "MAJOR=" + std::to_string(kUsbMajor) + "\nMINOR=1\nDEVNAME=bus/usb/" + busText + "/" +
                      deviceText + "\nDEVTYPE=usb_device\nDRIVER=usb\nPRODUCT=" + product +
                      "/100\nTYPE=0/0/0\nBUSNUM=" + busText + "\nDEVNUM=" + deviceText + "\n",
                  error) &&
        link(sys / "bus/usb", usb / "subsystem", error) && writeFile(usb / "idVendor", vid + "\n", error) &&
        writeFile(usb / "idProduct", pid + "\n", error) &&
        writeFile(usb / "manufacturer", "NORVEK\n", error) &&
        writeFile(usb / "product", identity.name + "\n", error) &&
        writeFile(usb / "serial", identity.uniq + "\n", error) &&
        writeFile(usb / "bcdDevice", hex4(kDeviceRelease, false) + "\n", error) &&
        writeFile(usb / "busnum", std::to_string(kBusNumber) + "\n", error) &&
        writeFile(usb / "devnum", std::to_string(kDeviceNumber) + "\n", error) &&
        writeFile(usbInterface / "uevent",
                  "DEVTYPE=usb_interface\nDRIVER=usbhid\nPRODUCT=" + product +
                      "/100\nTYPE=0/0/0\nINTERFACE=3/0/0\n",
                  error) &&
        link(sys / "bus/usb", usbInterface / "subsystem", error) &&
        writeFile(usbInterface / "bInterfaceNumber", std::string(interfaceText) + "\n", error) &&
        writeFile(hid / "uevent",
                  "DRIVER=hid-generic\nHID_ID=" + std::string(hidId) + "\nHID_NAME=" + identity.name +
                      "\nHID_PHYS=" + identity.phys + "\nHID_UNIQ=" + identity.uniq +
                      "\nMODALIAS=hid:b0003g0001v0000" + hex4(identity.vendorId, true) + "p0000" +
                      hex4(identity.productId, true) + "\n",
                  error) &&
        link(sys / "bus/hid", hid / "subsystem", error) &&
        writeFile(hid / "report_descriptor", descriptor, error) &&
        writeFile(raw / "uevent",
                  "MAJOR=" + std::to_string(kMajor) + "\nMINOR=" + std::to_string(minor) +
                      "\nDEVNAME=" + rawName + "\n",
                  error) &&
        writeFile(raw / "dev", std::to_string(kMajor) + ":" + std::to_string(minor) + "\n", error) &&
        link(sys / "class/hidraw", raw / "subsystem", error) && link(hid, raw / "device", error);
    if (!made) {
        fs::remove_all(usb, code);
        return false;
    }

    // The node: a file to mount on, and the emulated node bound there.
    const std::string node = devnode(minor);
    if (!writeFile(node, "", error)) {
        fs::remove_all(usb, code);
        return false;
    }
    if (::mount(nodeFile.c_str(), node.c_str(), nullptr, MS_BIND, nullptr) != 0) {
        if (error)
            *error = "cannot bind " + nodeFile + " at " + node + ": " + std::strerror(errno);
        fs::remove(node, code);
        fs::remove_all(usb, code);
        return false;
    }
    // The class entry last: once it is there, the device is complete.
    if (!link(raw, sys / "class/hidraw" / rawName, error)) {
        remove(minor);
        return false;
    }
    return true;
}

void FakeSysfs::remove(int minor)
{
    const fs::path sys(sysRoot_);
    const std::string rawName = "hidraw" + std::to_string(minor);
    std::error_code code;
    fs::remove(sys / "class/hidraw" / rawName, code);
    const std::string node = devnode(minor);
    if (::umount2(node.c_str(), MNT_DETACH) != 0 && errno != EINVAL && errno != ENOENT)
        std::fprintf(stderr, "j2-hidraw-mouse: cannot unbind %s: %s\n", node.c_str(), std::strerror(errno));
    fs::remove(node, code);
    fs::remove_all(sys / kBusFolder / kUsbDevice, code);
}

} // namespace j2::vm::hidraw
