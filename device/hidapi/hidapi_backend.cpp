#include "hidapi_backend.h"

#include <hidapi.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace j2::hid {

namespace {

void refuseWhenForbidden(const char* call)
{
    const char* forbid = std::getenv("J2_FORBID_HIDAPI");
    if (forbid != nullptr && *forbid != '\0') {
        std::fprintf(
            stderr, "hidapi %s reached while J2_FORBID_HIDAPI is set: a test left the virtual mouse\n", call);
        std::abort();
    }
}

bool initialise()
{
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = hid_init() == 0; });
    return ready;
}

class HidapiDevice final : public Device
{
public:
    explicit HidapiDevice(hid_device* handle) : handle_(handle) {}
    ~HidapiDevice() override { hid_close(handle_); }
    HidapiDevice(const HidapiDevice&) = delete;
    HidapiDevice& operator=(const HidapiDevice&) = delete;

    int setNonblocking(bool nonblocking) override
    {
        return hid_set_nonblocking(handle_, nonblocking ? 1 : 0);
    }
    int sendFeatureReport(const std::uint8_t* data, std::size_t length) override
    {
        return hid_send_feature_report(handle_, data, length);
    }
    int getFeatureReport(std::uint8_t* data, std::size_t length) override
    {
        return hid_get_feature_report(handle_, data, length);
    }
    int write(const std::uint8_t* data, std::size_t length) override
    {
        return hid_write(handle_, data, length);
    }
    int read(std::uint8_t* data, std::size_t length) override { return hid_read(handle_, data, length); }
    int readTimeout(std::uint8_t* data, std::size_t length, int milliseconds) override
    {
        return hid_read_timeout(handle_, data, length, milliseconds);
    }

private:
    hid_device* handle_;
};

class HidapiBackend final : public Backend
{
public:
    std::vector<DeviceInfo> enumerate(std::uint16_t vendorId, std::uint16_t productId) override
    {
        refuseWhenForbidden("enumerate");
        std::vector<DeviceInfo> found;
        if (!initialise())
            return found;
        hid_device_info* list = hid_enumerate(vendorId, productId);
        for (const hid_device_info* item = list; item != nullptr; item = item->next) {
            DeviceInfo info;
            info.path = item->path != nullptr ? item->path : "";
            info.vendorId = item->vendor_id;
            info.productId = item->product_id;
            info.usagePage = item->usage_page;
            info.usage = item->usage;
            info.interfaceNumber = item->interface_number;
            found.push_back(std::move(info));
        }
        hid_free_enumeration(list);
        return found;
    }

    std::unique_ptr<Device> openPath(const std::string& path) override
    {
        refuseWhenForbidden("open");
        if (!initialise())
            return nullptr;
        hid_device* handle = hid_open_path(path.c_str());
        if (handle == nullptr)
            return nullptr;
        return std::make_unique<HidapiDevice>(handle);
    }
};

} // namespace

std::unique_ptr<Backend> makeHidapiBackend()
{
    return std::make_unique<HidapiBackend>();
}

} // namespace j2::hid
