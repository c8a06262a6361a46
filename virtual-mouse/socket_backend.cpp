// The HID backend seam served by a j2-virtual-mouse daemon. Plain POSIX sockets, no Qt objects: the host
// calls it from the GUI thread, pool threads and its notification watch alike. Each opened device is one
// connection; enumerate opens a short connection of its own.

#include "socket_io.h"
#include "socket_protocol.h"
#include "virtual_mouse.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace j2::vm {

using protocol::Op;

namespace {

class SocketDevice final : public hid::Device
{
public:
    explicit SocketDevice(net::Fd socket) : socket_(std::move(socket)) {}

    int setNonblocking(bool nonblocking) override
    {
        net::Writer request;
        request.u8(std::uint8_t(Op::SetNonblocking)).u8(nonblocking ? 1 : 0);
        const int result = call(request.take(), protocol::kRequestTimeoutMs, nullptr);
        if (result == 0)
            nonblocking_ = nonblocking;
        return result;
    }
    int sendFeatureReport(const std::uint8_t* data, std::size_t length) override
    {
        return sendReport(Op::SendFeature, data, length);
    }
    int getFeatureReport(std::uint8_t* data, std::size_t length) override
    {
        net::Writer request;
        request.u8(std::uint8_t(Op::GetFeature)).i32(std::int32_t(length));
        return fetch(request.take(), protocol::kRequestTimeoutMs, data, length);
    }
    int write(const std::uint8_t* data, std::size_t length) override
    {
        return sendReport(Op::Write, data, length);
    }
    int read(std::uint8_t* data, std::size_t length) override
    {
        net::Writer request;
        request.u8(std::uint8_t(Op::Read)).i32(std::int32_t(length)).i32(protocol::kHandleMode);
        // A blocking read waits for the daemon's answer; it ends when the daemon stops or the mouse goes.
        return fetch(request.take(), nonblocking_ ? protocol::kRequestTimeoutMs : -1, data, length);
    }
    int readTimeout(std::uint8_t* data, std::size_t length, int milliseconds) override
    {
        net::Writer request;
        request.u8(std::uint8_t(Op::Read)).i32(std::int32_t(length)).i32(milliseconds);
        return fetch(request.take(), milliseconds < 0 ? -1 : milliseconds + protocol::kRequestTimeoutMs, data,
                     length);
    }

private:
    int sendReport(Op op, const std::uint8_t* data, std::size_t length)
    {
        net::Writer request;
        request.u8(std::uint8_t(op)).bytes(data, length);
        return call(request.take(), protocol::kRequestTimeoutMs, nullptr);
    }

    int fetch(std::vector<std::uint8_t> request, int timeoutMs, std::uint8_t* data, std::size_t length)
    {
        std::vector<std::uint8_t> payload;
        const int result = call(std::move(request), timeoutMs, &payload);
        if (result > 0)
            std::memcpy(data, payload.data(), std::min({payload.size(), length, std::size_t(result)}));
        return result;
    }

    // One request and its response. A broken connection stays broken: the handle is gone, as with a
    // device that was pulled.
    int call(std::vector<std::uint8_t> request, int timeoutMs, std::vector<std::uint8_t>* payload)
    {
        std::lock_guard lock(mutex_);
        if (!socket_.valid())
            return -1;
        std::vector<std::uint8_t> response;
        if (net::sendFrame(socket_.get(), request, protocol::kRequestTimeoutMs) != net::Io::Ok ||
            net::receiveFrame(socket_.get(), response, timeoutMs) != net::Io::Ok) {
            socket_.reset();
            return -1;
        }
        net::Reader in(response);
        const std::int32_t result = in.i32();
        if (payload)
            *payload = in.bytes();
        if (!in.ok()) {
            socket_.reset();
            return -1;
        }
        return result;
    }

    std::mutex mutex_;
    net::Fd socket_;
    bool nonblocking_ = false;
};

class SocketBackend final : public hid::Backend
{
public:
    explicit SocketBackend(std::string path) : path_(std::move(path)) {}

    std::vector<hid::DeviceInfo> enumerate(std::uint16_t vendorId, std::uint16_t productId) override
    {
        net::Writer request;
        request.u8(std::uint8_t(Op::Enumerate)).u16(vendorId).u16(productId);
        std::vector<std::uint8_t> response;
        if (!exchange(request.take(), response).valid())
            return {};
        net::Reader in(response);
        const std::int32_t count = in.i32();
        std::vector<hid::DeviceInfo> devices;
        for (std::int32_t i = 0; i < count && in.ok(); ++i) {
            hid::DeviceInfo device;
            device.path = in.text();
            device.vendorId = in.u16();
            device.productId = in.u16();
            device.usagePage = in.u16();
            device.usage = in.u16();
            device.interfaceNumber = in.i32();
            devices.push_back(std::move(device));
        }
        return in.ok() ? devices : std::vector<hid::DeviceInfo>{};
    }

    std::unique_ptr<hid::Device> openPath(const std::string& path) override
    {
        net::Writer request;
        request.u8(std::uint8_t(Op::Open)).text(path);
        std::vector<std::uint8_t> response;
        net::Fd socket = exchange(request.take(), response);
        net::Reader in(response);
        if (!socket.valid() || in.i32() != 0 || !in.ok())
            return nullptr;
        return std::make_unique<SocketDevice>(std::move(socket));
    }

private:
    // Connects, sends one request and reads its response; the connection is handed back for reuse.
    net::Fd exchange(std::vector<std::uint8_t> request, std::vector<std::uint8_t>& response)
    {
        net::Fd socket = net::connectTo(path_, protocol::kConnectTimeoutMs, nullptr);
        if (!socket.valid() ||
            net::sendFrame(socket.get(), request, protocol::kRequestTimeoutMs) != net::Io::Ok ||
            net::receiveFrame(socket.get(), response, protocol::kRequestTimeoutMs) != net::Io::Ok)
            return {};
        return socket;
    }

    const std::string path_;
};

} // namespace

std::unique_ptr<hid::Backend> makeSocketBackend(const std::string& socketPath)
{
    return std::make_unique<SocketBackend>(socketPath);
}

} // namespace j2::vm
