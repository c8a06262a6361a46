#pragma once

// One open bootloader collection: request/reply exchanges with a bounded wait for each reply, skipping
// replies left over from requests that were given up on.

#include "hid_backend.h"
#include "isp_protocol.h"

#include <memory>

namespace j2::isp {

class BootloaderLink
{
public:
    explicit BootloaderLink(std::unique_ptr<hid::Device> device);

    // 0 with `reply` filled, kTransport when a report could not be written or read (the device is gone;
    // the link stays broken), kTimedOut when no matching reply came within the operation's time-out.
    int exchange(const protocol::Request& request, protocol::Reply& reply);
    bool broken() const { return device_ == nullptr; }

private:
    std::unique_ptr<hid::Device> device_;
    std::uint8_t sequence_ = 0;
};

} // namespace j2::isp
