#pragma once

// The one seam through which every HID call travels. It is shaped like hidapi so the real library sits
// behind it unchanged, while the virtual J2 mouse answers the same calls in tests and in demos without
// hardware.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace j2::hid {

// One HID collection of an attached device, as hid_enumerate lists it.
struct DeviceInfo
{
    std::string path;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    int interfaceNumber = -1;
};

// An open device. Destroying it closes it. Results follow hidapi: the number of bytes moved, 0 when a read
// timed out, -1 on failure. Buffers for feature and output reports start with the report id.
class Device
{
public:
    virtual ~Device() = default;
    virtual int setNonblocking(bool nonblocking) = 0;
    virtual int sendFeatureReport(const std::uint8_t* data, std::size_t length) = 0;
    virtual int getFeatureReport(std::uint8_t* data, std::size_t length) = 0;
    virtual int write(const std::uint8_t* data, std::size_t length) = 0;
    // Blocks until an input report arrives (or the device goes away).
    virtual int read(std::uint8_t* data, std::size_t length) = 0;
    virtual int readTimeout(std::uint8_t* data, std::size_t length, int milliseconds) = 0;
};

// Why an open failed, when the backend can tell.
struct OpenFailure
{
    bool permissionDenied = false; // the node is there but this user may not open it
    std::string reason;            // the library's own text, e.g. hidapi's hid_error
};

class Backend
{
public:
    virtual ~Backend() = default;
    // Vendor and product 0 match everything, as in hidapi.
    virtual std::vector<DeviceInfo> enumerate(std::uint16_t vendorId, std::uint16_t productId) = 0;
    // nullptr when the path cannot be opened.
    virtual std::unique_ptr<Device> openPath(const std::string& path) = 0;
    // The same, saying why when it fails. Backends that cannot tell leave `failure` alone.
    virtual std::unique_ptr<Device> openPath(const std::string& path, OpenFailure& failure)
    {
        static_cast<void>(failure);
        return openPath(path);
    }
};

} // namespace j2::hid
