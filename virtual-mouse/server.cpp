// The daemon side of the socket: one thread accepts, one thread serves each connection. A connection is
// either a run of control requests, one opened handle, or a plug-event subscription. A self-pipe wakes every
// thread when the server stops.

#include "socket_io.h"
#include "socket_path.h"
#include "socket_protocol.h"
#include "virtual_mouse.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <list>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace j2::vm {

using protocol::Op;

namespace {

// A blocked read is served in slices so that a client that hangs up is noticed; stop() does not wait for
// a slice to end, it closes the handle, which wakes the read at once.
constexpr int kReadSliceMs = 100;
constexpr std::size_t kMaxReportLength = 1024;
// How often the accept loop closes the sockets of connections that have ended, also while nobody connects.
constexpr int kReapIntervalMs = 100;
// How long the accept loop pauses when it cannot take a connection (out of descriptors or threads).
constexpr int kAcceptBackoffMs = 100;

struct Connection
{
    explicit Connection(net::Fd fd) : socket(std::move(fd)) {}
    net::Fd socket; // closed only after the thread has been joined
    std::thread thread;
    std::atomic<int> handle{-1};
    std::atomic<bool> finished{false};
};

// What a plug listener needs to push events to a subscriber; the connection thread owns the socket.
struct Subscriber
{
    std::mutex mutex;
    int fd = -1;
    bool open = true;
};

} // namespace

struct Server::Impl
{
    Impl(VirtualMouse& m, std::string p) : mouse(m), path(std::move(p)) {}

    bool start(std::string* error);
    void stop();
    void acceptLoop();
    void serve(Connection& connection);
    // Builds the response to one request; false when the connection has become a subscription.
    bool answer(Op op, net::Reader& in, net::Writer& out, Connection& connection, bool& nonblocking);
    int slicedRead(Connection& connection, int handle, std::uint8_t* data, std::size_t length, int timeoutMs);
    void subscribe(Connection& connection);
    void reapFinished();

    VirtualMouse& mouse;
    const std::string path;
    net::Fd listener;
    net::Fd wakeRead;
    net::Fd wakeWrite;
    std::thread acceptThread;
    std::atomic<bool> stopping{false};
    bool running = false;
    dev_t socketDevice = 0;
    ino_t socketInode = 0;

    std::mutex mutex;
    std::list<std::shared_ptr<Connection>> connections;
};

bool Server::Impl::start(std::string* error)
{
    auto fail = [&](const std::string& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (running)
        return true;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return fail("socket path is empty or too long: " + path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (!ensureFolder(parentFolder(path), error))
        return false;

    struct stat existing
    {};
    if (::lstat(path.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode))
            return fail(path + " exists and is not a socket");
        if (net::connectTo(path, 500, nullptr).valid())
            return fail("another j2-virtual-mouse answers on " + path);
        ::unlink(path.c_str()); // left behind by a daemon that died
    }

    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return fail(std::string("pipe: ") + std::strerror(errno));
    wakeRead.reset(pipeEnds[0]);
    wakeWrite.reset(pipeEnds[1]);

    net::Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.valid())
        return fail(std::string("socket: ") + std::strerror(errno));
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return fail("cannot bind " + path + ": " + std::strerror(errno));
    // Until the chmod lands others may reach the socket; the peer check in acceptLoop covers that moment.
    struct stat bound
    {};
    if (::chmod(path.c_str(), 0600) != 0 || ::lstat(path.c_str(), &bound) != 0 ||
        ::listen(fd.get(), 16) != 0) {
        const std::string reason = std::strerror(errno);
        ::unlink(path.c_str());
        return fail("cannot listen on " + path + ": " + reason);
    }
    socketDevice = bound.st_dev;
    socketInode = bound.st_ino;
    listener = std::move(fd);
    stopping = false;
    running = true;
    acceptThread = std::thread([this] { acceptLoop(); });
    return true;
}

void Server::Impl::stop()
{
    if (!running)
        return;
    stopping = true;
    const char wakeByte = 'x';
    [[maybe_unused]] const ssize_t written = ::write(wakeWrite.get(), &wakeByte, 1);
    {
        std::lock_guard lock(mutex);
        for (const auto& connection : connections) {
            const int handle = connection->handle.exchange(-1);
            if (handle >= 0)
                mouse.close(handle); // wakes a read blocked on it
            ::shutdown(connection->socket.get(), SHUT_RDWR);
        }
    }
    acceptThread.join();
    for (const auto& connection : connections)
        connection->thread.join();
    connections.clear();
    listener.reset();
    // Remove the socket only if it is still ours: a newer daemon may have taken the name meanwhile.
    struct stat current
    {};
    if (::lstat(path.c_str(), &current) == 0 && current.st_dev == socketDevice &&
        current.st_ino == socketInode)
        ::unlink(path.c_str());
    wakeRead.reset();
    wakeWrite.reset();
    running = false;
}

void Server::Impl::acceptLoop()
{
    auto backOff = [this] {
        pollfd wake{wakeRead.get(), POLLIN, 0};
        ::poll(&wake, 1, kAcceptBackoffMs);
    };
    for (;;) {
        // Ended connections give their descriptor and thread back here, whether or not anyone connects:
        // at the descriptor limit no accept succeeds until they do.
        reapFinished();
        pollfd fds[2] = {{listener.get(), POLLIN, 0}, {wakeRead.get(), POLLIN, 0}};
        if (::poll(fds, 2, kReapIntervalMs) < 0 && errno != EINTR)
            return;
        if (fds[1].revents != 0 || stopping)
            return;
        if (!(fds[0].revents & POLLIN))
            continue;
        net::Fd client(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!client.valid()) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                backOff(); // out of descriptors or memory: give connections time to end
            continue;
        }
        ucred peer{};
        socklen_t size = sizeof peer;
        if (::getsockopt(client.get(), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != ::geteuid())
            continue; // only the user who runs the daemon may drive its mouse
        std::lock_guard lock(mutex);
        if (stopping)
            return;
        if (connections.size() >= Server::kMaxConnections) {
            // Each connection holds a thread; the host program (the configurator, with --virtual-mouse) must
            // not run out of them. The client sees its connection closed.
            std::fprintf(stderr, "j2-virtual-mouse: %zu connections open, refusing another\n",
                         connections.size());
            continue;
        }
        auto connection = std::make_shared<Connection>(std::move(client));
        try {
            connection->thread = std::thread([this, connection] { serve(*connection); });
        } catch (const std::system_error& failure) {
            // Out of threads (ulimit -u): refuse this client instead of ending the whole program.
            std::fprintf(stderr, "j2-virtual-mouse: cannot serve a connection: %s\n", failure.what());
            continue;
        }
        connections.push_back(std::move(connection));
    }
}

void Server::Impl::reapFinished()
{
    std::list<std::shared_ptr<Connection>> done;
    {
        std::lock_guard lock(mutex);
        for (auto it = connections.begin(); it != connections.end();) {
            if ((*it)->finished) {
                done.push_back(*it);
                it = connections.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const auto& connection : done)
        connection->thread.join();
}

void Server::Impl::serve(Connection& connection)
{
    bool nonblocking = false;
    std::vector<std::uint8_t> request;
    while (!stopping) {
        // A client may stay idle between requests as long as it likes (an open handle does), but once a
        // request has begun the rest of it must follow within the request time-out: a half-sent one would
        // otherwise hold this thread for good.
        if (net::waitReadable(connection.socket.get(), -1, wakeRead.get()) != net::Io::Ok ||
            net::receiveFrame(connection.socket.get(), request, protocol::kRequestTimeoutMs,
                              wakeRead.get()) != net::Io::Ok)
            break;
        net::Reader in(request);
        const auto op = Op(in.u8());
        net::Writer out;
        if (!answer(op, in, out, connection, nonblocking))
            break;
        if (net::sendFrame(connection.socket.get(), out.take(), protocol::kRequestTimeoutMs,
                           wakeRead.get()) != net::Io::Ok)
            break;
    }
    const int handle = connection.handle.exchange(-1);
    if (handle >= 0)
        mouse.close(handle);
    connection.finished = true;
}

bool Server::Impl::answer(Op op, net::Reader& in, net::Writer& out, Connection& connection, bool& nonblocking)
{
    const int handle = connection.handle.load();
    switch (op) {
    case Op::Enumerate: {
        const std::uint16_t vendor = in.u16();
        const std::uint16_t product = in.u16();
        const std::vector<hid::DeviceInfo> devices = mouse.enumerate(vendor, product);
        out.i32(std::int32_t(devices.size()));
        for (const hid::DeviceInfo& device : devices)
            out.text(device.path)
                .u16(device.vendorId)
                .u16(device.productId)
                .u16(device.usagePage)
                .u16(device.usage)
                .i32(device.interfaceNumber);
        return true;
    }
    case Op::Open: {
        const std::string devicePath = in.text();
        if (!in.ok() || handle >= 0) {
            out.i32(-1);
            return true;
        }
        const int opened = mouse.open(devicePath);
        if (opened >= 0) {
            connection.handle.store(opened);
            if (stopping && connection.handle.exchange(-1) >= 0) // stop() may have missed it
                mouse.close(opened);
        }
        out.i32(opened >= 0 ? 0 : -1);
        return true;
    }
    case Op::SetNonblocking:
        nonblocking = in.u8() != 0;
        out.i32(handle >= 0 ? 0 : -1);
        return true;
    case Op::SendFeature:
    case Op::Write: {
        const std::vector<std::uint8_t> report = in.bytes();
        if (!in.ok() || report.size() > kMaxReportLength) {
            out.i32(-1);
            return true;
        }
        out.i32(op == Op::Write ? mouse.write(handle, report.data(), report.size())
                                : mouse.sendFeatureReport(handle, report.data(), report.size()));
        return true;
    }
    case Op::GetFeature:
    case Op::Read: {
        const std::int32_t length = in.i32();
        std::int32_t timeoutMs = op == Op::Read ? in.i32() : 0;
        if (!in.ok() || length < 0 || std::size_t(length) > kMaxReportLength) {
            out.i32(-1).bytes(nullptr, 0);
            return true;
        }
        if (timeoutMs == protocol::kHandleMode)
            timeoutMs = nonblocking ? 0 : -1;
        std::vector<std::uint8_t> buffer(std::size_t(length), 0);
        const int result = op == Op::Read
                               ? slicedRead(connection, handle, buffer.data(), buffer.size(), timeoutMs)
                               : mouse.getFeatureReport(handle, buffer.data(), buffer.size());
        out.i32(result).bytes(buffer.data(), result > 0 ? std::size_t(result) : 0);
        return true;
    }
    case Op::PressDpi:
        mouse.pressDpiButton();
        break;
    case Op::Unplug:
        mouse.unplug();
        break;
    case Op::Plug:
        mouse.plug();
        break;
    case Op::PluggedIn:
        out.i32(mouse.pluggedIn() ? 1 : 0);
        return true;
    case Op::Dump:
        out.i32(0).text(mouse.dumpJson());
        return true;
    case Op::FailNextOpens:
        mouse.failNextOpens(in.i32());
        break;
    case Op::DropNextReplies:
        mouse.dropNextReplies(in.i32());
        break;
    case Op::DelayNextReplies: {
        const std::int32_t delayMs = in.i32();
        mouse.delayNextReplies(delayMs, in.i32());
        break;
    }
    case Op::UnplugAfterBulkReports:
        mouse.unplugAfterBulkReports(in.i32());
        break;
    case Op::WithholdNextBulk:
        mouse.withholdNextBulk(in.i32());
        break;
    case Op::FailNextErases:
        mouse.failNextErases(in.i32());
        break;
    case Op::FailNextSteps: {
        const std::int32_t step = in.i32();
        const std::int32_t count = in.i32();
        if (step < 0 || step >= std::int32_t(BootloaderStep::Count)) {
            out.i32(-1);
            return true;
        }
        mouse.failNextSteps(BootloaderStep(step), count);
        break;
    }
    case Op::EnterBootloader:
        mouse.enterBootloader();
        break;
    case Op::ClearFaults:
        mouse.clearFaults();
        break;
    case Op::SubscribePlug:
        subscribe(connection);
        return false;
    default:
        out.i32(-1);
        return true;
    }
    out.i32(in.ok() ? 0 : -1);
    return true;
}

int Server::Impl::slicedRead(Connection& connection, int handle, std::uint8_t* data, std::size_t length,
                             int timeoutMs)
{
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        int slice = kReadSliceMs;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            slice = int(std::clamp<std::int64_t>(left.count(), 0, kReadSliceMs));
        }
        const int result = mouse.read(handle, data, length, slice);
        if (result != 0)
            return result;
        if (timeoutMs >= 0 && std::chrono::steady_clock::now() >= deadline)
            return 0;
        if (stopping || net::peerGone(connection.socket.get()))
            return -1;
    }
}

void Server::Impl::subscribe(Connection& connection)
{
    auto subscriber = std::make_shared<Subscriber>();
    subscriber->fd = connection.socket.get();
    int listenerId = 0;
    {
        // Hold the subscriber while answering so that no event overtakes the first frame.
        std::lock_guard lock(subscriber->mutex);
        listenerId = mouse.addPlugListener([subscriber](bool pluggedIn) {
            std::lock_guard pushing(subscriber->mutex);
            if (!subscriber->open)
                return;
            net::Writer event;
            event.i32(pluggedIn ? 1 : 0);
            if (net::sendFrame(subscriber->fd, event.take(), 100) != net::Io::Ok) {
                subscriber->open = false; // a subscriber that does not read is dropped
                ::shutdown(subscriber->fd, SHUT_RDWR);
            }
        });
        net::Writer first;
        first.i32(mouse.pluggedIn() ? 1 : 0);
        if (net::sendFrame(subscriber->fd, first.take(), protocol::kRequestTimeoutMs, wakeRead.get()) !=
            net::Io::Ok)
            subscriber->open = false;
    }
    // Nothing more is expected from the client: wait for it to hang up, or for the server to stop.
    while (subscriber->open && !stopping) {
        pollfd fds[2] = {{connection.socket.get(), POLLIN | POLLRDHUP, 0}, {wakeRead.get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        if (fds[1].revents != 0)
            break;
        if (fds[0].revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL))
            break;
        if (fds[0].revents & POLLIN) {
            std::uint8_t ignored[64];
            const ssize_t got = ::recv(connection.socket.get(), ignored, sizeof ignored, MSG_DONTWAIT);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR))
                break;
        }
    }
    mouse.removePlugListener(listenerId);
    std::lock_guard lock(subscriber->mutex);
    subscriber->open = false;
}

Server::Server(VirtualMouse& mouse, std::string socketPath)
    : impl_(std::make_unique<Impl>(mouse, std::move(socketPath)))
{}

Server::~Server()
{
    stop();
}

bool Server::start(std::string* error)
{
    return impl_->start(error);
}

void Server::stop()
{
    impl_->stop();
}

const std::string& Server::socketPath() const
{
    return impl_->path;
}

} // namespace j2::vm
