#include "udev_broadcast.h"

#include <arpa/inet.h>
#include <linux/netlink.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace j2::vm::hidraw {

namespace {

// libudev's monitor message: a fixed header in front of the device's properties (KEY=value, each ended
// by a NUL). The magic and the filter fields travel in network byte order.
struct MonitorHeader
{
    char prefix[8];
    std::uint32_t magic;
    std::uint32_t headerSize;
    std::uint32_t propertiesOffset;
    std::uint32_t propertiesLength;
    std::uint32_t subsystemHash;
    std::uint32_t devtypeHash;
    std::uint32_t tagBloomHigh;
    std::uint32_t tagBloomLow;
};
static_assert(sizeof(MonitorHeader) == 40);

constexpr char kPrefix[] = "libudev";
constexpr std::uint32_t kMonitorMagic = 0xfeedcafe;
constexpr std::uint32_t kUdevGroup = 2; // the group udevd sends to; the kernel's is 1

std::string ownNetworkNamespace()
{
    char link[64] = {};
    const ssize_t length = ::readlink("/proc/self/ns/net", link, sizeof link - 1);
    return length > 0 ? std::string(link, std::size_t(length)) : std::string();
}

} // namespace

std::uint32_t UdevBroadcast::subsystemHash(const std::string& text)
{
    constexpr std::uint32_t kMultiplier = 0x5bd1e995;
    constexpr int kShift = 24;
    std::size_t length = text.size();
    std::uint32_t hash = std::uint32_t(length);
    const auto* data = reinterpret_cast<const unsigned char*>(text.data());
    while (length >= 4) {
        std::uint32_t word = 0;
        std::memcpy(&word, data, sizeof word);
        word *= kMultiplier;
        word ^= word >> kShift;
        word *= kMultiplier;
        hash *= kMultiplier;
        hash ^= word;
        data += 4;
        length -= 4;
    }
    switch (length) {
    case 3:
        hash ^= std::uint32_t(data[2]) << 16;
        [[fallthrough]];
    case 2:
        hash ^= std::uint32_t(data[1]) << 8;
        [[fallthrough]];
    case 1:
        hash ^= data[0];
        hash *= kMultiplier;
        break;
    default:
        break;
    }
    hash ^= hash >> 13;
    hash *= kMultiplier;
    hash ^= hash >> 15;
    return hash;
}

UdevBroadcast::UdevBroadcast(const std::string& machineNetwork)
{
    const std::string own = ownNetworkNamespace();
    if (machineNetwork.empty() || own.empty() || own == machineNetwork) {
        reason_ = "not in a network namespace of our own; udev events would reach the whole machine";
        return;
    }
    socket_ = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_KOBJECT_UEVENT);
    if (socket_ < 0) {
        reason_ = std::string("no netlink socket: ") + std::strerror(errno);
        return;
    }
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        reason_ = std::string("cannot bind the netlink socket: ") + std::strerror(errno);
        ::close(socket_);
        socket_ = -1;
    }
}

UdevBroadcast::~UdevBroadcast()
{
    if (socket_ >= 0)
        ::close(socket_);
}

bool UdevBroadcast::ready(std::string* reason) const
{
    if (reason)
        *reason = reason_;
    return socket_ >= 0;
}

bool UdevBroadcast::send(const std::string& action, const std::string& devpath, const std::string& devnode,
                         int major, int minor)
{
    if (socket_ < 0)
        return false;
    const std::string subsystem = "hidraw";
    std::string properties;
    for (const std::string& property :
         {"ACTION=" + action, "DEVPATH=" + devpath, "SUBSYSTEM=" + subsystem, "DEVNAME=" + devnode,
          "MAJOR=" + std::to_string(major), "MINOR=" + std::to_string(minor),
          "SEQNUM=" + std::to_string(sequence_++)}) {
        properties += property;
        properties.push_back('\0');
    }
    MonitorHeader header{};
    std::memcpy(header.prefix, kPrefix, sizeof kPrefix);
    header.magic = htonl(kMonitorMagic);
    header.headerSize = sizeof header;
    header.propertiesOffset = sizeof header;
    header.propertiesLength = std::uint32_t(properties.size());
    header.subsystemHash = htonl(subsystemHash(subsystem));

    iovec parts[2] = {{&header, sizeof header}, {properties.data(), properties.size()}};
    sockaddr_nl group{};
    group.nl_family = AF_NETLINK;
    group.nl_groups = kUdevGroup;
    msghdr message{};
    message.msg_name = &group;
    message.msg_namelen = sizeof group;
    message.msg_iov = parts;
    message.msg_iovlen = 2;
    // No listener at all is not a failure: nobody needed to hear it.
    return ::sendmsg(socket_, &message, 0) >= 0 || errno == ECONNREFUSED;
}

} // namespace j2::vm::hidraw
