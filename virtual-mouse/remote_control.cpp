// Clients of a daemon that are not HID handles: the control calls behind `j2-virtual-mouse ctl`, and the
// plug-event watcher a host uses to re-detect the mouse.

#include "socket_io.h"
#include "socket_protocol.h"
#include "virtual_mouse.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace j2::vm {

using protocol::Op;

RemoteMouse::RemoteMouse(std::string socketPath) : socketPath_(std::move(socketPath)) {}

bool RemoteMouse::call(std::uint8_t op, const std::vector<std::int32_t>& arguments, std::int32_t* result,
                       std::string* payload, std::string* error)
{
    net::Fd socket = net::connectTo(socketPath_, protocol::kConnectTimeoutMs, error);
    if (!socket.valid())
        return false;
    net::Writer request;
    request.u8(op);
    for (const std::int32_t argument : arguments)
        request.i32(argument);
    std::vector<std::uint8_t> response;
    if (net::sendFrame(socket.get(), request.take(), protocol::kRequestTimeoutMs) != net::Io::Ok ||
        net::receiveFrame(socket.get(), response, protocol::kRequestTimeoutMs) != net::Io::Ok) {
        if (error)
            *error = "the daemon on " + socketPath_ + " did not answer";
        return false;
    }
    net::Reader in(response);
    const std::int32_t value = in.i32();
    if (payload)
        *payload = in.text();
    if (!in.ok() || value < 0) {
        if (error)
            *error = "the daemon on " + socketPath_ + " refused the request";
        return false;
    }
    if (result)
        *result = value;
    return true;
}

bool RemoteMouse::pressDpiButton(std::string* error)
{
    return call(std::uint8_t(Op::PressDpi), {}, nullptr, nullptr, error);
}

bool RemoteMouse::unplug(std::string* error)
{
    return call(std::uint8_t(Op::Unplug), {}, nullptr, nullptr, error);
}

bool RemoteMouse::plug(std::string* error)
{
    return call(std::uint8_t(Op::Plug), {}, nullptr, nullptr, error);
}

bool RemoteMouse::pluggedIn(bool& plugged, std::string* error)
{
    std::int32_t value = 0;
    if (!call(std::uint8_t(Op::PluggedIn), {}, &value, nullptr, error))
        return false;
    plugged = value == 1;
    return true;
}

bool RemoteMouse::dumpJson(std::string& json, std::string* error)
{
    return call(std::uint8_t(Op::Dump), {}, nullptr, &json, error);
}

bool RemoteMouse::failNextOpens(int count, std::string* error)
{
    return call(std::uint8_t(Op::FailNextOpens), {count}, nullptr, nullptr, error);
}

bool RemoteMouse::dropNextReplies(int count, std::string* error)
{
    return call(std::uint8_t(Op::DropNextReplies), {count}, nullptr, nullptr, error);
}

bool RemoteMouse::withholdNextBulk(int count, std::string* error)
{
    return call(std::uint8_t(Op::WithholdNextBulk), {count}, nullptr, nullptr, error);
}

bool RemoteMouse::delayNextReplies(int delayMs, int count, std::string* error)
{
    return call(std::uint8_t(Op::DelayNextReplies), {delayMs, count}, nullptr, nullptr, error);
}

bool RemoteMouse::unplugAfterBulkReports(int count, std::string* error)
{
    return call(std::uint8_t(Op::UnplugAfterBulkReports), {count}, nullptr, nullptr, error);
}

bool RemoteMouse::failNextErases(int count, std::string* error)
{
    return call(std::uint8_t(Op::FailNextErases), {count}, nullptr, nullptr, error);
}

bool RemoteMouse::failNextSteps(BootloaderStep step, int count, std::string* error)
{
    return call(std::uint8_t(Op::FailNextSteps), {std::int32_t(step), count}, nullptr, nullptr, error);
}

bool RemoteMouse::clearFaults(std::string* error)
{
    return call(std::uint8_t(Op::ClearFaults), {}, nullptr, nullptr, error);
}

bool RemoteMouse::enterBootloader(std::string* error)
{
    return call(std::uint8_t(Op::EnterBootloader), {}, nullptr, nullptr, error);
}

struct PlugEventWatcher::Impl
{
    static constexpr int kRetryMs = 500;

    void run();
    void report(bool pluggedIn);
    // Sleeps up to `ms`; true when stop() asked to end.
    bool stopRequested(int ms) const;

    std::string path;
    std::function<void(bool)> onChange;
    std::thread thread;
    net::Fd wakeRead;
    net::Fd wakeWrite;
    std::atomic<bool> stopping{false};
    std::atomic<bool> connected{false};
    std::optional<bool> last;
};

void PlugEventWatcher::Impl::report(bool pluggedIn)
{
    if (last == pluggedIn)
        return;
    last = pluggedIn;
    onChange(pluggedIn);
}

bool PlugEventWatcher::Impl::stopRequested(int ms) const
{
    pollfd wake{wakeRead.get(), POLLIN, 0};
    while (::poll(&wake, 1, ms) < 0 && errno == EINTR) {
    }
    return stopping;
}

void PlugEventWatcher::Impl::run()
{
    while (!stopping) {
        net::Fd socket = net::connectTo(path, protocol::kConnectTimeoutMs, nullptr);
        net::Writer request;
        request.u8(std::uint8_t(Op::SubscribePlug));
        std::vector<std::uint8_t> frame;
        if (socket.valid() &&
            net::sendFrame(socket.get(), request.take(), protocol::kRequestTimeoutMs, wakeRead.get()) ==
                net::Io::Ok &&
            net::receiveFrame(socket.get(), frame, protocol::kRequestTimeoutMs, wakeRead.get()) ==
                net::Io::Ok) {
            connected = true;
            do {
                net::Reader in(frame);
                const std::int32_t state = in.i32();
                if (!in.ok())
                    break;
                report(state == 1);
            } while (net::receiveFrame(socket.get(), frame, -1, wakeRead.get()) == net::Io::Ok);
            connected = false;
        }
        if (stopping)
            return;
        if (last == true)
            report(false); // no daemon, no mouse
        if (stopRequested(kRetryMs))
            return;
    }
}

PlugEventWatcher::PlugEventWatcher(std::string socketPath, std::function<void(bool)> onChange)
    : impl_(std::make_unique<Impl>())
{
    impl_->path = std::move(socketPath);
    impl_->onChange = std::move(onChange);
}

PlugEventWatcher::~PlugEventWatcher()
{
    stop();
}

void PlugEventWatcher::start()
{
    if (impl_->thread.joinable())
        return;
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return;
    impl_->wakeRead.reset(pipeEnds[0]);
    impl_->wakeWrite.reset(pipeEnds[1]);
    impl_->stopping = false;
    impl_->last.reset();
    impl_->thread = std::thread([impl = impl_.get()] { impl->run(); });
}

void PlugEventWatcher::stop()
{
    if (!impl_->thread.joinable())
        return;
    impl_->stopping = true;
    const char wakeByte = 'x';
    [[maybe_unused]] const ssize_t written = ::write(impl_->wakeWrite.get(), &wakeByte, 1);
    impl_->thread.join();
    impl_->wakeRead.reset();
    impl_->wakeWrite.reset();
}

bool PlugEventWatcher::connected() const
{
    return impl_->connected;
}

} // namespace j2::vm
