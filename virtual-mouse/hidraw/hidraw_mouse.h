#pragma once

// The virtual mouse behind emulated hidraw nodes: its node appears, goes and is replaced by the
// bootloader's as the model's cable and mode change, with the sysfs entries, the /dev node and the udev
// event a real attach or detach brings.

#include "fake_sysfs.h"
#include "hidraw_filesystem.h"
#include "udev_broadcast.h"
#include "virtual_mouse.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace j2::vm::hidraw {

struct HidrawOptions
{
    std::string mountpoint; // where the FUSE file system with the nodes is mounted
    std::string sysRoot = "/sys";
    std::string devRoot = "/dev";
    NodeAccess access;
    std::string machineNetwork; // the network namespace the emulation must not announce devices in
};

class HidrawMouse
{
public:
    HidrawMouse(VirtualMouse& mouse, HidrawOptions options);
    ~HidrawMouse(); // stops
    HidrawMouse(const HidrawMouse&) = delete;
    HidrawMouse& operator=(const HidrawMouse&) = delete;

    bool start(std::string* error);
    void stop();
    // Why device changes are not announced as udev events; empty when they are.
    std::string udevSilence() const;
    // "/dev/hidrawN" of the present node, or empty.
    std::string currentNode() const;

private:
    void cableChanged(bool plugged);
    // Cable changes are carried out here, never on the thread that reported them: the model reports them
    // from whichever thread ends a call, a node's own input pump among them.
    void runChanges();
    void arrive();
    void leave();

    VirtualMouse& mouse_;
    const HidrawOptions options_;
    Filesystem filesystem_;
    FakeSysfs sysfs_;
    UdevBroadcast udev_;
    int listener_ = 0;

    mutable std::mutex mutex_;
    std::shared_ptr<Node> node_;
    std::string nodeName_;
    std::string devpath_;
    int hidSerial_ = 0;

    std::mutex changesMutex_;
    std::condition_variable changesWake_;
    std::deque<bool> changes_;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace j2::vm::hidraw
