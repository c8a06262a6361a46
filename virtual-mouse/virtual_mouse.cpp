// The public face of the model: each call takes the lock, does its work through the Impl, and then, without
// the lock, saves the state and tells plug listeners.

#include "bootloader_protocol.h"
#include "mouse_impl.h"

#include <QFile>
#include <QSaveFile>

#include <cstdio>

namespace j2::vm {

namespace {

std::string validCode(const std::string& code)
{
    if (code.size() == 6)
        return code;
    std::fprintf(stderr, "j2-virtual-mouse: a secrecy code has six characters; using the factory code\n");
    return DeviceState::factory().secrecyCode;
}

} // namespace

VirtualMouse::Impl::Impl(Options opts)
    : options(std::move(opts)), state(DeviceState::factory()), log(options.wireLogFile)
{
    if (!options.stateFile.empty()) {
        persistEnabled = true;
        QFile file(QString::fromStdString(options.stateFile));
        if (file.exists()) {
            std::string error;
            if (!file.open(QIODevice::ReadOnly) ||
                !stateFromJson(file.readAll().toStdString(), state, &error)) {
                // Keep the user's file as it is rather than overwrite it with the factory state.
                std::fprintf(stderr, "j2-virtual-mouse: cannot use state file %s (%s); not saving state\n",
                             options.stateFile.c_str(), error.empty() ? "unreadable" : error.c_str());
                state = DeviceState::factory();
                persistEnabled = false;
            }
        }
    }
    state.encode = options.encode;
    state.secrecyCode = validCode(options.secrecyCode);
    if (options.startInBootloader)
        state.firmware.bootloaderMode = true;
    stateChanged(); // the file then shows the device from the start
}

void VirtualMouse::Impl::afterCall()
{
    persist();
    deliverPlugEvents();
}

void VirtualMouse::Impl::persist()
{
    DeviceState snapshot;
    std::uint64_t version = 0;
    {
        std::lock_guard lock(mutex);
        if (!persistEnabled || stateVersion == persistedVersion.load())
            return;
        snapshot = state;
        version = stateVersion;
    }
    std::lock_guard writing(persistMutex);
    if (version <= persistedVersion.load())
        return; // a newer snapshot was written meanwhile
    const std::string json = stateToJson(snapshot);
    QSaveFile file(QString::fromStdString(options.stateFile));
    const bool saved = file.open(QIODevice::WriteOnly) &&
                       file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                       file.write(json.data(), qint64(json.size())) == qint64(json.size()) && file.commit();
    if (!saved)
        std::fprintf(stderr, "j2-virtual-mouse: cannot save state file %s: %s\n", options.stateFile.c_str(),
                     file.errorString().toLocal8Bit().constData());
    persistedVersion = version;
}

void VirtualMouse::Impl::deliverPlugEvents()
{
    std::lock_guard dispatch(dispatchMutex);
    for (;;) {
        bool pluggedIn = false;
        std::vector<std::shared_ptr<std::function<void(bool)>>> targets;
        {
            std::lock_guard lock(mutex);
            if (plugEvents.empty())
                return;
            pluggedIn = plugEvents.front();
            plugEvents.pop_front();
            for (const auto& entry : listeners)
                targets.push_back(entry.second);
        }
        for (const auto& target : targets)
            (*target)(pluggedIn);
    }
}

void VirtualMouse::Impl::setCable(bool on)
{
    if (plugged == on)
        return;
    plugged = on;
    ++generation;
    if (!on) {
        discardExchange();
        notifyInput.clear();
        busyUntil = {};
        // Losing power disarms the entry code and ends the bootloader's session; the flash stays.
        bootloaderArmed = false;
        modeSwitchAt.reset();
        bootloaderInput.clear();
        bootSession = {};
        noteFirmwareChanged();
    }
    plugEvents.push_back(on);
    wake.notify_all();
}

VirtualMouse::VirtualMouse() : VirtualMouse(Options{}) {}

VirtualMouse::VirtualMouse(Options options) : impl_(std::make_unique<Impl>(std::move(options)))
{
    impl_->persist();
    impl_->modelThread = std::thread([impl = impl_.get()] { impl->runModelThread(); });
}

VirtualMouse::~VirtualMouse()
{
    {
        std::lock_guard lock(impl_->mutex);
        impl_->stopping = true;
        impl_->modelWake.notify_all();
    }
    impl_->modelThread.join();
}

std::vector<hid::DeviceInfo> VirtualMouse::enumerate(std::uint16_t vendorId, std::uint16_t productId) const
{
    std::lock_guard lock(impl_->mutex);
    const bool inBootloader = impl_->inBootloader();
    const std::uint16_t vendor = inBootloader ? wire::boot::kVendorId : kVendorId;
    const std::uint16_t product = inBootloader ? wire::boot::kProductId : kProductId;
    if (!impl_->plugged || (vendorId != 0 && vendorId != vendor) || (productId != 0 && productId != product))
        return {};
    if (inBootloader)
        return {{kBootloaderPath, wire::boot::kVendorId, wire::boot::kProductId, wire::boot::kUsagePage,
                 wire::boot::kUsage, 0}};
    return {
        {kControlPath, kVendorId, kProductId, kControlUsagePage, kControlUsage, 0},
        {kNotifyPath, kVendorId, kProductId, kNotifyUsagePage, kNotifyUsage, 1},
        {kPointerPath, kVendorId, kProductId, kPointerUsagePage, kPointerUsage, 2},
    };
}

int VirtualMouse::open(const std::string& path)
{
    std::lock_guard lock(impl_->mutex);
    Interface iface;
    if (path == kControlPath)
        iface = Interface::Control;
    else if (path == kNotifyPath)
        iface = Interface::Notify;
    else if (path == kPointerPath)
        iface = Interface::Pointer;
    else if (path == kBootloaderPath)
        iface = Interface::Bootloader;
    else
        return -1;
    // The mouse's collections exist only while it runs its program, the bootloader's only while it does not.
    if (!impl_->plugged || (iface == Interface::Bootloader) != impl_->inBootloader())
        return -1;
    if (impl_->failOpens > 0) {
        --impl_->failOpens;
        return -1;
    }
    const int handle = impl_->nextHandle++;
    impl_->handles[handle] = {iface, impl_->generation};
    return handle;
}

void VirtualMouse::close(int handle)
{
    std::lock_guard lock(impl_->mutex);
    if (impl_->handles.erase(handle) > 0)
        impl_->wake.notify_all();
}

int VirtualMouse::sendFeatureReport(int handle, const std::uint8_t* data, std::size_t length)
{
    int result = -1;
    {
        std::lock_guard lock(impl_->mutex);
        result = impl_->featureSet(handle, data, length);
    }
    impl_->afterCall();
    return result;
}

int VirtualMouse::getFeatureReport(int handle, std::uint8_t* data, std::size_t length)
{
    std::unique_lock lock(impl_->mutex);
    return impl_->featureGet(lock, handle, data, length);
}

int VirtualMouse::write(int handle, const std::uint8_t* data, std::size_t length)
{
    int result = -1;
    {
        std::lock_guard lock(impl_->mutex);
        result = impl_->outputReport(handle, data, length);
    }
    impl_->afterCall();
    return result;
}

int VirtualMouse::read(int handle, std::uint8_t* data, std::size_t length, int timeoutMs)
{
    int result = -1;
    {
        std::unique_lock lock(impl_->mutex);
        result = impl_->inputReport(lock, handle, data, length, timeoutMs);
    }
    impl_->afterCall(); // a read may have been the report after which a fault pulls the cable
    return result;
}

void VirtualMouse::pressDpiButton()
{
    {
        std::lock_guard lock(impl_->mutex);
        if (!impl_->plugged || impl_->inBootloader())
            return;
        DeviceState& state = impl_->state;
        const bool wraps = state.currentDpiStage < 1 || state.currentDpiStage >= state.dpiMaxStage;
        state.currentDpiStage = wraps ? std::uint8_t(1) : std::uint8_t(state.currentDpiStage + 1);
        impl_->stateChanged();
        if (state.notificationsOn()) {
            constexpr std::size_t kMaxQueued = 64; // nobody listening must not grow the queue forever
            if (impl_->notifyInput.size() >= kMaxQueued)
                impl_->notifyInput.pop_front();
            impl_->notifyInput.push_back({0x06, 0x07, 0x00, state.currentDpiStage});
            impl_->wake.notify_all();
        }
    }
    impl_->afterCall();
}

void VirtualMouse::unplug()
{
    {
        std::lock_guard lock(impl_->mutex);
        impl_->setCable(false);
    }
    impl_->afterCall();
}

void VirtualMouse::plug()
{
    {
        std::lock_guard lock(impl_->mutex);
        impl_->setCable(true);
    }
    impl_->afterCall();
}

bool VirtualMouse::pluggedIn() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->plugged;
}

int VirtualMouse::addPlugListener(std::function<void(bool)> listener)
{
    std::lock_guard lock(impl_->mutex);
    const int id = impl_->nextListener++;
    impl_->listeners.emplace_back(id, std::make_shared<std::function<void(bool)>>(std::move(listener)));
    return id;
}

void VirtualMouse::removePlugListener(int id)
{
    std::lock_guard dispatch(impl_->dispatchMutex);
    std::lock_guard lock(impl_->mutex);
    std::erase_if(impl_->listeners, [id](const auto& entry) { return entry.first == id; });
}

void VirtualMouse::enterBootloader()
{
    std::lock_guard lock(impl_->mutex);
    if (impl_->plugged && !impl_->inBootloader())
        impl_->armBootloader();
}

DeviceState VirtualMouse::state() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->state;
}

void VirtualMouse::setState(const DeviceState& state)
{
    {
        std::lock_guard lock(impl_->mutex);
        const bool otherDevice = impl_->inBootloader() != state.firmware.bootloaderMode;
        impl_->state = state;
        impl_->stateChanged();
        if (otherDevice)
            impl_->reenumerate();
    }
    impl_->afterCall();
}

std::string VirtualMouse::dumpJson() const
{
    return stateToJson(state());
}

void VirtualMouse::failNextOpens(int count)
{
    std::lock_guard lock(impl_->mutex);
    impl_->failOpens = std::max(count, 0);
}

void VirtualMouse::dropNextReplies(int count)
{
    std::lock_guard lock(impl_->mutex);
    impl_->dropReplies = std::max(count, 0);
}

void VirtualMouse::withholdNextBulk(int count)
{
    std::lock_guard lock(impl_->mutex);
    impl_->withholdBulk = std::max(count, 0);
}

void VirtualMouse::delayNextReplies(int delayMs, int count)
{
    std::lock_guard lock(impl_->mutex);
    impl_->delayMs = std::max(delayMs, 0);
    impl_->delayCount = std::max(count, 0);
}

void VirtualMouse::unplugAfterBulkReports(int count)
{
    std::lock_guard lock(impl_->mutex);
    impl_->unplugAfterBulk = std::max(count, 0);
}

void VirtualMouse::failNextSteps(BootloaderStep step, int count)
{
    if (step < BootloaderStep::Erase || step >= BootloaderStep::Count)
        return;
    std::lock_guard lock(impl_->mutex);
    impl_->failSteps[std::size_t(step)] = std::max(count, 0);
}

void VirtualMouse::clearFaults()
{
    std::lock_guard lock(impl_->mutex);
    impl_->failSteps.fill(0);
    impl_->failOpens = 0;
    impl_->dropReplies = 0;
    impl_->withholdBulk = 0;
    impl_->delayCount = 0;
    impl_->delayMs = 0;
    impl_->unplugAfterBulk = 0;
}

std::vector<WireEntry> VirtualMouse::wireLog() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->log.entries();
}

void VirtualMouse::clearWireLog()
{
    std::lock_guard lock(impl_->mutex);
    impl_->log.clear();
}

int VirtualMouse::busyViolations() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->busyViolations;
}

int VirtualMouse::checksumErrors() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->checksumErrors;
}

} // namespace j2::vm
