// The backend seam served directly by a model in the same process.

#include "virtual_mouse.h"

namespace j2::vm {

namespace {

class InProcessDevice final : public hid::Device
{
public:
    InProcessDevice(VirtualMouse& mouse, int handle) : mouse_(mouse), handle_(handle) {}
    ~InProcessDevice() override { mouse_.close(handle_); }
    InProcessDevice(const InProcessDevice&) = delete;
    InProcessDevice& operator=(const InProcessDevice&) = delete;

    int setNonblocking(bool nonblocking) override
    {
        nonblocking_ = nonblocking;
        return 0;
    }
    int sendFeatureReport(const std::uint8_t* data, std::size_t length) override
    {
        return mouse_.sendFeatureReport(handle_, data, length);
    }
    int getFeatureReport(std::uint8_t* data, std::size_t length) override
    {
        return mouse_.getFeatureReport(handle_, data, length);
    }
    int write(const std::uint8_t* data, std::size_t length) override
    {
        return mouse_.write(handle_, data, length);
    }
    int read(std::uint8_t* data, std::size_t length) override
    {
        return mouse_.read(handle_, data, length, nonblocking_ ? 0 : -1);
    }
    int readTimeout(std::uint8_t* data, std::size_t length, int milliseconds) override
    {
        return mouse_.read(handle_, data, length, milliseconds);
    }

private:
    VirtualMouse& mouse_;
    const int handle_;
    bool nonblocking_ = false;
};

class InProcessBackend final : public hid::Backend
{
public:
    explicit InProcessBackend(VirtualMouse& mouse) : mouse_(mouse) {}

    std::vector<hid::DeviceInfo> enumerate(std::uint16_t vendorId, std::uint16_t productId) override
    {
        return mouse_.enumerate(vendorId, productId);
    }
    std::unique_ptr<hid::Device> openPath(const std::string& path) override
    {
        const int handle = mouse_.open(path);
        if (handle < 0)
            return nullptr;
        return std::make_unique<InProcessDevice>(mouse_, handle);
    }

private:
    VirtualMouse& mouse_;
};

} // namespace

std::unique_ptr<hid::Backend> makeInProcessBackend(VirtualMouse& mouse)
{
    return std::make_unique<InProcessBackend>(mouse);
}

} // namespace j2::vm
