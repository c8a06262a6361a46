#include "hidraw_node.h"

#include "report.h"
#include "report_descriptor.h"

#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace j2::vm::hidraw {

namespace {

// Ioctl numbers without their size: the variable-length requests encode the caller's buffer size.
constexpr unsigned kGetRawName = _IOC_NR(HIDIOCGRAWNAME(0));
constexpr unsigned kGetRawPhys = _IOC_NR(HIDIOCGRAWPHYS(0));
constexpr unsigned kGetRawUniq = _IOC_NR(HIDIOCGRAWUNIQ(0));
constexpr unsigned kSetFeature = _IOC_NR(HIDIOCSFEATURE(0));
constexpr unsigned kGetFeature = _IOC_NR(HIDIOCGFEATURE(0));
constexpr unsigned kHidrawType = 'H';
constexpr std::uint32_t kBusUsb = 0x03;
constexpr int kPumpReadMs = 100;

// A string ioctl copies the text with its terminator, cut to the caller's buffer.
int copyText(const std::string& text, std::uint8_t* data, std::size_t size)
{
    const std::size_t length = std::min(text.size() + 1, size);
    std::memcpy(data, text.c_str(), length);
    return int(length);
}

} // namespace

NodeIdentity identityOf(const std::vector<hid::DeviceInfo>& collections)
{
    NodeIdentity identity;
    if (collections.empty())
        return identity;
    identity.vendorId = collections.front().vendorId;
    identity.productId = collections.front().productId;
    identity.uniq = "J2-0001";
    if (collections.front().path == kBootloaderPath) {
        identity.name = "NORVEK J2 Bootloader";
        identity.phys = "usb-j2-virtual-1/input0";
        identity.descriptor = bootloaderDescriptor();
        identity.requestPath = kBootloaderPath;
        identity.inputPaths = {kBootloaderPath};
        identity.featurePayload = 0;
    } else {
        identity.name = "NORVEK J2 Mouse";
        identity.phys = "usb-j2-virtual-1/input1";
        identity.descriptor = userModeDescriptor();
        identity.requestPath = kControlPath;
        identity.inputPaths = {kControlPath, kNotifyPath};
        identity.featurePayload = wire::kFeatureReportSize - 1;
    }
    identity.outputPayload = kReportLength;
    identity.inputPayload = kReportLength;
    return identity;
}

Node::Node(VirtualMouse& mouse, NodeIdentity identity, int minor)
    : mouse_(mouse), identity_(std::move(identity)), minor_(minor)
{
    for (const std::string& path : identity_.inputPaths)
        pumps_.emplace_back([this, path] { pump(path); });
}

Node::~Node()
{
    remove();
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (auto& [id, file] : files_)
            mouse_.close(file.modelHandle);
        files_.clear();
    }
    changed_.notify_all();
    for (std::thread& pump : pumps_)
        pump.join();
}

void Node::pump(const std::string& path)
{
    // What usbhid does while a hidraw file is open: poll the interrupt endpoint and hand every report to
    // each open file. Nobody listening: the device keeps its report until someone opens the node.
    const int handle = mouse_.open(path);
    if (handle < 0)
        return;
    std::vector<std::uint8_t> report(identity_.inputPayload);
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !present_.load() || !files_.empty(); });
            if (stopping_ || !present_.load())
                break;
        }
        const int got = mouse_.read(handle, report.data(), report.size(), kPumpReadMs);
        if (got < 0)
            break; // the device left the bus; the plug listener removes the node
        if (got > 0)
            deliver(report.data(), std::size_t(got));
    }
    mouse_.close(handle);
}

void Node::deliver(const std::uint8_t* data, std::size_t size)
{
    std::unique_lock lock(mutex_);
    for (auto& [id, file] : files_)
        if (file.queue.size() < kQueuedReports)
            file.queue.emplace_back(data, data + size);
    wakeAll(lock);
}

void Node::wakeAll(std::unique_lock<std::mutex>&)
{
    for (auto& [id, file] : files_)
        if (file.waker) {
            file.waker->wake();
            file.waker.reset();
        }
    changed_.notify_all();
}

void Node::remove()
{
    std::unique_lock lock(mutex_);
    if (!present_.exchange(false))
        return;
    wakeAll(lock);
}

std::int64_t Node::open()
{
    if (!present_.load())
        return -ENODEV;
    const int handle = mouse_.open(identity_.requestPath);
    if (handle < 0)
        return present_.load() ? -EIO : -ENODEV;
    std::unique_lock lock(mutex_);
    const std::int64_t id = nextFile_++;
    files_[id].modelHandle = handle;
    changed_.notify_all();
    return id;
}

void Node::release(std::int64_t file)
{
    std::unique_lock lock(mutex_);
    const auto found = files_.find(file);
    if (found == files_.end())
        return;
    mouse_.close(found->second.modelHandle);
    files_.erase(found);
    changed_.notify_all();
}

int Node::read(std::int64_t file, std::uint8_t* data, std::size_t size, bool nonblocking,
               const std::function<bool()>& interrupted)
{
    std::unique_lock lock(mutex_);
    for (;;) {
        const auto found = files_.find(file);
        if (found == files_.end())
            return -EBADF;
        std::deque<std::vector<std::uint8_t>>& queue = found->second.queue;
        if (!queue.empty()) {
            const std::vector<std::uint8_t> report = std::move(queue.front());
            queue.pop_front();
            const std::size_t count = std::min(size, report.size());
            std::copy_n(report.begin(), count, data);
            return int(count);
        }
        if (!present_.load())
            return -EIO;
        if (nonblocking)
            return -EAGAIN;
        if (interrupted && interrupted())
            return -EINTR;
        changed_.wait_for(lock, std::chrono::milliseconds(kReadSliceMs));
    }
}

int Node::write(std::int64_t file, const std::uint8_t* data, std::size_t size)
{
    if (!present_.load())
        return -ENODEV;
    if (size < 2 || size > kMaxReportBuffer)
        return -EINVAL;
    // Byte 0 names the report; this device numbers none, and its OUT endpoint halts on anything that is not
    // one whole output report.
    if (data[0] != wire::kReportId || size - 1 != identity_.outputPayload)
        return -EPIPE;
    int handle = -1;
    {
        std::lock_guard lock(mutex_);
        const auto found = files_.find(file);
        if (found == files_.end())
            return -EBADF;
        handle = found->second.modelHandle;
    }
    if (mouse_.write(handle, data, size) < 0)
        return present_.load() ? -EPIPE : -ENODEV;
    return int(size);
}

int Node::featureRequest(File& file, bool set, std::size_t size, std::uint8_t* data)
{
    if (size < 2 || size > kMaxReportBuffer)
        return -EINVAL;
    // A request for a report the device does not have, or of another length, is stalled by the device.
    if (data[0] != wire::kReportId || identity_.featurePayload == 0)
        return -EPIPE;
    const int handle = file.modelHandle;
    if (set) {
        if (size - 1 != identity_.featurePayload)
            return -EPIPE;
        if (mouse_.sendFeatureReport(handle, data, size) < 0)
            return present_.load() ? -EPIPE : -ENODEV;
        return int(size);
    }
    // A longer buffer gets the report as it is; a shorter one what fits.
    const std::size_t count = std::min(size - 1, identity_.featurePayload) + 1;
    if (mouse_.getFeatureReport(handle, data, count) < 0)
        return present_.load() ? -EPIPE : -ENODEV;
    return int(count);
}

int Node::ioctl(std::int64_t file, unsigned request, std::uint8_t* data)
{
    if (!present_.load())
        return -ENODEV;
    if (_IOC_TYPE(request) != kHidrawType)
        return -EINVAL;
    File* open = nullptr;
    {
        std::lock_guard lock(mutex_);
        const auto found = files_.find(file);
        if (found == files_.end())
            return -EBADF;
        open = &found->second; // stays valid: only release() erases it, and not while a call runs on it
    }
    const std::size_t size = _IOC_SIZE(request);
    switch (request) {
    case HIDIOCGRDESCSIZE: {
        const int length = int(identity_.descriptor.size());
        std::memcpy(data, &length, sizeof length);
        return 0;
    }
    case HIDIOCGRDESC: {
        hidraw_report_descriptor descriptor{};
        descriptor.size = std::uint32_t(identity_.descriptor.size());
        std::copy(identity_.descriptor.begin(), identity_.descriptor.end(), descriptor.value);
        std::memcpy(data, &descriptor, sizeof descriptor);
        return 0;
    }
    case HIDIOCGRAWINFO: {
        hidraw_devinfo info{};
        info.bustype = kBusUsb;
        info.vendor = std::int16_t(identity_.vendorId);
        info.product = std::int16_t(identity_.productId);
        std::memcpy(data, &info, sizeof info);
        return 0;
    }
    default:
        break;
    }
    switch (_IOC_NR(request)) {
    case kGetRawName:
        return copyText(identity_.name, data, size);
    case kGetRawPhys:
        return copyText(identity_.phys, data, size);
    case kGetRawUniq:
        return copyText(identity_.uniq, data, size);
    case kSetFeature:
        return featureRequest(*open, true, size, data);
    case kGetFeature:
        return featureRequest(*open, false, size, data);
    default:
        return -ENOTTY;
    }
}

unsigned Node::poll(std::int64_t file, std::unique_ptr<PollWaker> waker)
{
    std::lock_guard lock(mutex_);
    unsigned mask = POLLOUT | POLLWRNORM;
    const auto found = files_.find(file);
    if (found == files_.end())
        return POLLNVAL;
    if (!found->second.queue.empty())
        mask |= POLLIN | POLLRDNORM;
    if (!present_.load())
        mask |= POLLERR | POLLHUP;
    if (waker)
        found->second.waker = std::move(waker);
    return mask;
}

} // namespace j2::vm::hidraw
