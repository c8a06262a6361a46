#include "hidapi_backend.h"

#include "device_log.h"

#include <hidapi.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
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

// hidapi's error texts are wide strings; ours are UTF-8.
std::string narrow(const wchar_t* text)
{
    std::string out;
    if (text == nullptr)
        return out;
    std::mbstate_t state{};
    char bytes[MB_LEN_MAX];
    for (; *text != L'\0'; ++text) {
        const std::size_t length = std::wcrtomb(bytes, *text, &state);
        if (length == static_cast<std::size_t>(-1))
            out.push_back('?');
        else
            out.append(bytes, length);
    }
    return out;
}

// Every failed call is logged with hidapi's own words for it.
void logFailure(const char* call, const wchar_t* error)
{
    qCWarning(lcDevice).noquote() << "hidapi:" << call << "failed:" << QString::fromStdString(narrow(error));
}

bool initialise()
{
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] {
        ready = hid_init() == 0;
        if (!ready)
            logFailure("hid_init", hid_error(nullptr));
    });
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
        return checked("hid_set_nonblocking", hid_set_nonblocking(handle_, nonblocking ? 1 : 0));
    }
    int sendFeatureReport(const std::uint8_t* data, std::size_t length) override
    {
        return checked("hid_send_feature_report", hid_send_feature_report(handle_, data, length));
    }
    int getFeatureReport(std::uint8_t* data, std::size_t length) override
    {
        return checked("hid_get_feature_report", hid_get_feature_report(handle_, data, length));
    }
    int write(const std::uint8_t* data, std::size_t length) override
    {
        return checked("hid_write", hid_write(handle_, data, length));
    }
    int read(std::uint8_t* data, std::size_t length) override
    {
        return checked("hid_read", hid_read(handle_, data, length));
    }
    int readTimeout(std::uint8_t* data, std::size_t length, int milliseconds) override
    {
        return checked("hid_read_timeout", hid_read_timeout(handle_, data, length, milliseconds));
    }

private:
    // hidapi's result, passed on; a failure is logged with the device's own error text first, before another
    // call on the handle replaces it.
    int checked(const char* call, int result) const
    {
        if (result < 0)
            logFailure(call, hid_error(handle_));
        return result;
    }

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
        // An empty list is not logged: without the mouse it is the answer at every device check, and hidapi
        // words it as an error of its own.
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

    // A caller that does not ask why an open failed still finds the reason in the log; one that asks logs it
    // itself, with what it makes of it.
    std::unique_ptr<Device> openPath(const std::string& path) override
    {
        OpenFailure failure;
        std::unique_ptr<Device> device = openPath(path, failure);
        if (!device)
            qCWarning(lcDevice).noquote()
                << "hidapi: hid_open_path failed:" << QString::fromStdString(failure.reason);
        return device;
    }

    std::unique_ptr<Device> openPath(const std::string& path, OpenFailure& failure) override
    {
        refuseWhenForbidden("open");
        if (!initialise()) {
            failure.reason = "hid_init failed";
            return nullptr;
        }
        errno = 0;
        hid_device* handle = hid_open_path(path.c_str());
        if (handle == nullptr) {
            // hidapi keeps the errno of its failed open(2) and words it in hid_error.
            const int error = errno;
            failure.permissionDenied = error == EACCES || error == EPERM;
            failure.reason = narrow(hid_error(nullptr));
            // hidapi's error text is one for the whole process: another thread's call may have reset it.
            if (failure.reason.empty() || failure.reason == "Success")
                failure.reason = "Failed to open a device with path '" + path + "': " + std::strerror(error);
            return nullptr;
        }
        return std::make_unique<HidapiDevice>(handle);
    }
};

} // namespace

std::unique_ptr<Backend> makeHidapiBackend()
{
    return std::make_unique<HidapiBackend>();
}

} // namespace j2::hid
