#include "socket_io.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace j2::vm::net {

namespace {

using Clock = std::chrono::steady_clock;

// Between connection attempts to a listener whose backlog is full.
constexpr int kConnectRetryMs = 5;

// Milliseconds left until `deadline` for poll(): -1 without a deadline, 0 once it has passed.
int remainingMs(bool hasDeadline, Clock::time_point deadline)
{
    if (!hasDeadline)
        return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

// Waits until `fd` is ready for `events`, the cancel descriptor fires, or the deadline passes.
Io waitFor(int fd, short events, bool hasDeadline, Clock::time_point deadline, int cancelFd)
{
    for (;;) {
        pollfd fds[2] = {{fd, events, 0}, {cancelFd, POLLIN, 0}};
        const int timeout = remainingMs(hasDeadline, deadline);
        const int ready = ::poll(fds, cancelFd >= 0 ? 2 : 1, timeout);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return Io::Failed;
        }
        if (cancelFd >= 0 && fds[1].revents != 0)
            return Io::Cancelled;
        if (fds[0].revents != 0)
            return Io::Ok; // readiness, hang-up and errors all show in the next send or recv
        if (ready == 0 && timeout >= 0)
            return Io::TimedOut;
    }
}

Io sendAll(int fd, const std::uint8_t* data, std::size_t count, bool hasDeadline, Clock::time_point deadline,
           int cancelFd)
{
    while (count > 0) {
        const ssize_t sent = ::send(fd, data, count, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            data += sent;
            count -= std::size_t(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const Io waited = waitFor(fd, POLLOUT, hasDeadline, deadline, cancelFd);
            if (waited != Io::Ok)
                return waited;
            continue;
        }
        return (errno == EPIPE || errno == ECONNRESET) ? Io::Closed : Io::Failed;
    }
    return Io::Ok;
}

Io receiveAll(int fd, std::uint8_t* data, std::size_t count, bool hasDeadline, Clock::time_point deadline,
              int cancelFd)
{
    while (count > 0) {
        const ssize_t got = ::recv(fd, data, count, MSG_DONTWAIT);
        if (got > 0) {
            data += got;
            count -= std::size_t(got);
            continue;
        }
        if (got == 0)
            return Io::Closed;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            const Io waited = waitFor(fd, POLLIN, hasDeadline, deadline, cancelFd);
            if (waited != Io::Ok)
                return waited;
            continue;
        }
        return errno == ECONNRESET ? Io::Closed : Io::Failed;
    }
    return Io::Ok;
}

} // namespace

Fd& Fd::operator=(Fd&& other) noexcept
{
    if (this != &other)
        reset(other.release());
    return *this;
}

int Fd::release()
{
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void Fd::reset(int fd)
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

Io sendFrame(int fd, const std::vector<std::uint8_t>& body, int timeoutMs, int cancelFd)
{
    if (body.size() > kMaxFrameBody)
        return Io::Failed;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::vector<std::uint8_t> frame(4 + body.size());
    const auto length = std::uint32_t(body.size());
    for (int i = 0; i < 4; ++i)
        frame[std::size_t(i)] = std::uint8_t(length >> (8 * i));
    std::memcpy(frame.data() + 4, body.data(), body.size());
    return sendAll(fd, frame.data(), frame.size(), timeoutMs >= 0, deadline, cancelFd);
}

Io receiveFrame(int fd, std::vector<std::uint8_t>& body, int timeoutMs, int cancelFd)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::uint8_t header[4];
    Io io = receiveAll(fd, header, sizeof header, timeoutMs >= 0, deadline, cancelFd);
    if (io != Io::Ok)
        return io;
    std::uint32_t length = 0;
    for (int i = 0; i < 4; ++i)
        length |= std::uint32_t(header[i]) << (8 * i);
    if (length > kMaxFrameBody)
        return Io::Failed;
    body.resize(length);
    return receiveAll(fd, body.data(), length, timeoutMs >= 0, deadline, cancelFd);
}

Io waitReadable(int fd, int timeoutMs, int cancelFd)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    return waitFor(fd, POLLIN, timeoutMs >= 0, deadline, cancelFd);
}

Fd connectTo(const std::string& path, int timeoutMs, std::string* error)
{
    auto fail = [&](const std::string& reason) {
        if (error)
            *error = reason;
        return Fd{};
    };
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return fail("socket path is empty or too long: " + path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.valid())
        return fail(std::string("socket: ") + std::strerror(errno));
    // A Unix socket whose listener has a full backlog answers EAGAIN and stays unconnected (nothing goes on
    // in the background): try again until the listener takes us, but not forever.
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            return fd;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return fail("no daemon answers on " + path + ": " + std::strerror(errno));
        if (Clock::now() >= deadline)
            return fail("no daemon answers on " + path + ": time-out");
        ::poll(nullptr, 0, kConnectRetryMs);
    }
}

bool peerGone(int fd)
{
    pollfd poller{fd, POLLIN | POLLRDHUP, 0};
    if (::poll(&poller, 1, 0) <= 0)
        return false;
    if (poller.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL))
        return true;
    return false;
}

Writer& Writer::u8(std::uint8_t value)
{
    body_.push_back(value);
    return *this;
}

Writer& Writer::u16(std::uint16_t value)
{
    body_.push_back(std::uint8_t(value & 0xFF));
    body_.push_back(std::uint8_t(value >> 8));
    return *this;
}

Writer& Writer::i32(std::int32_t value)
{
    const auto bits = std::uint32_t(value);
    for (int i = 0; i < 4; ++i)
        body_.push_back(std::uint8_t(bits >> (8 * i)));
    return *this;
}

Writer& Writer::bytes(const std::uint8_t* data, std::size_t count)
{
    i32(std::int32_t(count));
    body_.insert(body_.end(), data, data + count);
    return *this;
}

Writer& Writer::text(const std::string& value)
{
    return bytes(reinterpret_cast<const std::uint8_t*>(value.data()), value.size());
}

const std::uint8_t* Reader::take(std::size_t count)
{
    if (!ok_ || body_.size() - position_ < count) {
        ok_ = false;
        return nullptr;
    }
    const std::uint8_t* at = body_.data() + position_;
    position_ += count;
    return at;
}

std::uint8_t Reader::u8()
{
    const std::uint8_t* at = take(1);
    return at ? at[0] : 0;
}

std::uint16_t Reader::u16()
{
    const std::uint8_t* at = take(2);
    return at ? std::uint16_t(at[0] | (at[1] << 8)) : 0;
}

std::int32_t Reader::i32()
{
    const std::uint8_t* at = take(4);
    if (!at)
        return 0;
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= std::uint32_t(at[i]) << (8 * i);
    return std::int32_t(bits);
}

std::vector<std::uint8_t> Reader::bytes()
{
    const std::int32_t count = i32();
    if (count < 0) {
        ok_ = false;
        return {};
    }
    const std::uint8_t* at = take(std::size_t(count));
    return at ? std::vector<std::uint8_t>(at, at + count) : std::vector<std::uint8_t>{};
}

std::string Reader::text()
{
    const std::vector<std::uint8_t> raw = bytes();
    return {raw.begin(), raw.end()};
}

} // namespace j2::vm::net
