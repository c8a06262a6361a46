#pragma once

// Unix-socket plumbing shared by the daemon and its clients: an owning descriptor, bounded connect, and
// length-prefixed frames moved with poll() so that every wait has a deadline or a way to be cancelled.

#include <cstdint>
#include <string>
#include <vector>

namespace j2::vm::net {

class Fd
{
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& other) noexcept : fd_(other.release()) {}
    Fd& operator=(Fd&& other) noexcept;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release();
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

enum class Io
{
    Ok,
    Closed,
    TimedOut,
    Cancelled,
    Failed
};

// Frames are a 32-bit little-endian body length followed by the body; bodies above this are refused.
constexpr std::uint32_t kMaxFrameBody = 1u << 20;

// timeoutMs < 0 waits without a deadline; `cancelFd` (when >= 0) ends the wait as soon as it is readable.
Io sendFrame(int fd, const std::vector<std::uint8_t>& body, int timeoutMs, int cancelFd = -1);
Io receiveFrame(int fd, std::vector<std::uint8_t>& body, int timeoutMs, int cancelFd = -1);

// Waits until `fd` has something to read (or has hung up); same time-out and cancel rules as the frames.
Io waitReadable(int fd, int timeoutMs, int cancelFd = -1);

// A connected stream socket, or an invalid Fd with the reason in `error`.
Fd connectTo(const std::string& path, int timeoutMs, std::string* error);

// The peer has hung up (or the socket broke), without consuming anything it sent.
bool peerGone(int fd);

// Little-endian encoding of request and response bodies.
class Writer
{
public:
    Writer& u8(std::uint8_t value);
    Writer& u16(std::uint16_t value);
    Writer& i32(std::int32_t value);
    Writer& bytes(const std::uint8_t* data, std::size_t count); // 32-bit length, then the bytes
    Writer& text(const std::string& value);
    std::vector<std::uint8_t> take() { return std::move(body_); }

private:
    std::vector<std::uint8_t> body_;
};

// Reads what a Writer wrote; any overrun makes ok() false and yields zeros.
class Reader
{
public:
    explicit Reader(const std::vector<std::uint8_t>& body) : body_(body) {}
    std::uint8_t u8();
    std::uint16_t u16();
    std::int32_t i32();
    std::vector<std::uint8_t> bytes();
    std::string text();
    bool ok() const { return ok_; }
    bool atEnd() const { return position_ == body_.size(); }

private:
    const std::uint8_t* take(std::size_t count);
    const std::vector<std::uint8_t>& body_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

} // namespace j2::vm::net
