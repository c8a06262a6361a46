#include "hidraw_mouse.h"

#include <cstdio>

namespace j2::vm::hidraw {

namespace {

// One device at a time: the kernel gives the lowest free minor, which is 0 each time.
constexpr int kMinor = 0;

} // namespace

HidrawMouse::HidrawMouse(VirtualMouse& mouse, HidrawOptions options)
    : mouse_(mouse), options_(std::move(options)), sysfs_(options_.sysRoot, options_.devRoot),
      udev_(options_.machineNetwork)
{}

HidrawMouse::~HidrawMouse()
{
    stop();
}

bool HidrawMouse::start(std::string* error)
{
    if (!filesystem_.mount(options_.mountpoint, error))
        return false;
    worker_ = std::thread([this] { runChanges(); });
    listener_ = mouse_.addPlugListener([this](bool plugged) {
        std::lock_guard lock(changesMutex_);
        changes_.push_back(plugged);
        changesWake_.notify_all();
    });
    if (mouse_.pluggedIn())
        cableChanged(true);
    std::lock_guard lock(mutex_);
    if (mouse_.pluggedIn() && !node_) {
        if (error)
            *error = "the mouse's node could not be made";
        return false;
    }
    return true;
}

void HidrawMouse::stop()
{
    if (listener_ != 0) {
        mouse_.removePlugListener(listener_);
        listener_ = 0;
    }
    {
        std::lock_guard lock(changesMutex_);
        stopping_ = true;
        changesWake_.notify_all();
    }
    if (worker_.joinable())
        worker_.join();
    {
        std::lock_guard lock(mutex_);
        leave();
    }
    filesystem_.unmount();
}

std::string HidrawMouse::udevSilence() const
{
    std::string reason;
    return udev_.ready(&reason) ? std::string() : reason;
}

std::string HidrawMouse::currentNode() const
{
    std::lock_guard lock(mutex_);
    return node_ ? sysfs_.devnode(node_->minor()) : std::string();
}

void HidrawMouse::runChanges()
{
    std::unique_lock lock(changesMutex_);
    for (;;) {
        changesWake_.wait(lock, [this] { return stopping_ || !changes_.empty(); });
        if (stopping_)
            return;
        const bool plugged = changes_.front();
        changes_.pop_front();
        lock.unlock();
        cableChanged(plugged);
        lock.lock();
    }
}

void HidrawMouse::cableChanged(bool plugged)
{
    std::lock_guard lock(mutex_);
    // A mode switch arrives as a leave and an arrival: the node is replaced, not kept.
    leave();
    if (plugged)
        arrive();
}

void HidrawMouse::arrive()
{
    const std::vector<hid::DeviceInfo> collections = mouse_.enumerate(0, 0);
    if (collections.empty())
        return; // unplugged again meanwhile
    auto node = std::make_shared<Node>(mouse_, identityOf(collections), kMinor);
    ++hidSerial_;
    const std::string name = "hidraw" + std::to_string(kMinor) + "-" + std::to_string(hidSerial_);
    filesystem_.addNode(name, node, options_.access);
    std::string error;
    if (!sysfs_.add(node->identity(), kMinor, hidSerial_, options_.mountpoint + "/" + name, &error)) {
        std::fprintf(stderr, "j2-hidraw-mouse: %s\n", error.c_str());
        filesystem_.removeNode(name);
        return;
    }
    node_ = std::move(node);
    nodeName_ = name;
    devpath_ = sysfs_.devpath(kMinor);
    if (udev_.ready(nullptr) &&
        !udev_.send("add", devpath_, sysfs_.devnode(kMinor), FakeSysfs::kMajor, kMinor))
        std::fprintf(stderr, "j2-hidraw-mouse: the add event for %s was not sent\n", devpath_.c_str());
}

void HidrawMouse::leave()
{
    if (!node_)
        return;
    node_->remove();
    filesystem_.removeNode(nodeName_);
    sysfs_.remove(node_->minor());
    if (udev_.ready(nullptr) &&
        !udev_.send("remove", devpath_, sysfs_.devnode(node_->minor()), FakeSysfs::kMajor, node_->minor()))
        std::fprintf(stderr, "j2-hidraw-mouse: the remove event for %s was not sent\n", devpath_.c_str());
    // Files still open keep the node alive until they are closed.
    node_.reset();
}

} // namespace j2::vm::hidraw
