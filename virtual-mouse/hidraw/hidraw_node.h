#pragma once

// One emulated hidraw node: what the kernel's hidraw driver does for a HID device, answered from the
// virtual mouse model (Documentation/hid/hidraw.rst). Every open file gets its own queue of input reports,
// filled while it is open, one report per read. Feature and output reports carry the report id in byte 0
// (0 here: the device numbers none of its reports). Once the device is removed, files still open fail as
// the kernel's do: reads with EIO, writes and ioctls with ENODEV, poll with POLLERR | POLLHUP.

#include "virtual_mouse.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace j2::vm::hidraw {

// What the host sees of a device: ids, names, descriptor, and which model interfaces stand behind it.
struct NodeIdentity
{
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string name;
    std::string uniq;
    std::string phys;
    std::vector<std::uint8_t> descriptor;
    std::string requestPath;             // model interface taking feature and output reports
    std::vector<std::string> inputPaths; // model interfaces whose input reports reach the node
    std::size_t featurePayload = 0;      // bytes of the feature report after the id; 0: none
    std::size_t outputPayload = 0;       // bytes of the output report after the id
    std::size_t inputPayload = 0;        // largest input report
};

// The user-mode mouse or its bootloader, as the model lists it right now.
NodeIdentity identityOf(const std::vector<hid::DeviceInfo>& collections);

// Wakes one poll waiting on a file; called once, then dropped.
class PollWaker
{
public:
    virtual ~PollWaker() = default;
    virtual void wake() = 0;
};

class Node
{
public:
    // The kernel keeps 64 reports per open file and drops newer ones while the reader lags.
    static constexpr std::size_t kQueuedReports = 64;
    // The kernel's limit on a report passed through hidraw.
    static constexpr std::size_t kMaxReportBuffer = 4096;
    // How often a blocked read looks whether its caller gave up.
    static constexpr int kReadSliceMs = 100;

    Node(VirtualMouse& mouse, NodeIdentity identity, int minor);
    ~Node(); // removes the device if still present
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    const NodeIdentity& identity() const { return identity_; }
    int minor() const { return minor_; }

    // The file id (> 0), or -errno.
    std::int64_t open();
    void release(std::int64_t file);
    // Bytes read, or -errno. `interrupted` is asked while a blocking read waits.
    int read(std::int64_t file, std::uint8_t* data, std::size_t size, bool nonblocking,
             const std::function<bool()>& interrupted);
    int write(std::int64_t file, const std::uint8_t* data, std::size_t size);
    // A restricted ioctl: `data` holds _IOC_SIZE(request) bytes in and out. The ioctl's result or -errno.
    int ioctl(std::int64_t file, unsigned request, std::uint8_t* data);
    // POLLIN / POLLOUT / POLLERR | POLLHUP as the kernel reports them; `waker` (may be null) is woken once
    // when that changes.
    unsigned poll(std::int64_t file, std::unique_ptr<PollWaker> waker);

    // The device left the bus: every file fails from now on.
    void remove();
    bool present() const { return present_.load(); }

private:
    struct File
    {
        int modelHandle = -1;
        std::deque<std::vector<std::uint8_t>> queue;
        std::unique_ptr<PollWaker> waker;
    };

    void pump(const std::string& path);
    void deliver(const std::uint8_t* data, std::size_t size);
    void wakeAll(std::unique_lock<std::mutex>& lock);
    int featureRequest(File& file, bool set, std::size_t size, std::uint8_t* data);

    VirtualMouse& mouse_;
    const NodeIdentity identity_;
    const int minor_;
    std::atomic<bool> present_{true};

    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::int64_t, File> files_;
    std::int64_t nextFile_ = 1;
    bool stopping_ = false;
    std::vector<std::thread> pumps_;
};

} // namespace j2::vm::hidraw
