#include "bootloader_link.h"

#include "isp_library.h"

#include <chrono>

namespace j2::isp {

BootloaderLink::BootloaderLink(std::unique_ptr<hid::Device> device) : device_(std::move(device)) {}

int BootloaderLink::exchange(const protocol::Request& request, protocol::Reply& reply)
{
    using Clock = std::chrono::steady_clock;
    if (!device_)
        return kTransport;
    const std::uint8_t sequence = ++sequence_;
    const auto report = protocol::encode(request, sequence);
    if (device_->write(report.data(), report.size()) != int(report.size())) {
        device_.reset();
        return kTransport;
    }
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(protocol::row(request.operation).replyTimeoutMs);
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return kTimedOut;
        std::array<std::uint8_t, protocol::kReportSize> input{};
        const int got = device_->readTimeout(input.data(), input.size(), int(left));
        if (got < 0) {
            device_.reset();
            return kTransport;
        }
        if (got == 0)
            continue; // the loop ends on the deadline
        const auto matched = protocol::decode(input, request.operation, sequence);
        if (matched) {
            reply = *matched;
            return 0;
        }
        // A reply to an earlier request that was given up on: read on.
    }
}

} // namespace j2::isp
