#pragma once

// Tells the programs' udev monitors that a hidraw device came or went, the way udevd does: a message in
// libudev's monitor format, sent to the netlink group udevd sends to. Only inside a network namespace of
// our own, so that the monitors of the machine never hear about our devices.

#include <cstdint>
#include <string>

namespace j2::vm::hidraw {

class UdevBroadcast
{
public:
    // `machineNetwork` names the machine's network namespace ("net:[...]"); nothing is sent from there.
    explicit UdevBroadcast(const std::string& machineNetwork);
    ~UdevBroadcast();
    UdevBroadcast(const UdevBroadcast&) = delete;
    UdevBroadcast& operator=(const UdevBroadcast&) = delete;

    // False, with the reason, when events cannot be sent here (no private network namespace, or netlink
    // refused); programs then learn of changes only by looking again.
    bool ready(std::string* reason) const;
    // `action` "add" or "remove"; `devpath` "/devices/..."; `devnode` "/dev/hidrawN".
    bool send(const std::string& action, const std::string& devpath, const std::string& devnode, int major,
              int minor);

    // The hash libudev's monitor filter compares subsystem names by (MurmurHash2, seed 0).
    static std::uint32_t subsystemHash(const std::string& text);

private:
    int socket_ = -1;
    std::string reason_;
    std::uint64_t sequence_ = 1;
};

} // namespace j2::vm::hidraw
