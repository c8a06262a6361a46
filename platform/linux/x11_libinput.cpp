#include "x11_libinput.h"

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace j2::platform::x11 {

namespace {

constexpr std::string_view kAccelSpeed = "libinput Accel Speed";
// One byte per profile the driver knows: adaptive, flat and (newer drivers) custom.
constexpr std::string_view kAccelProfile = "libinput Accel Profile Enabled";
constexpr std::string_view kFloatType = "FLOAT";
constexpr std::uint8_t kFloatFormat = 32;
constexpr std::uint8_t kProfileFormat = 8;
constexpr std::uint32_t kMaxItems = 8;

struct FreeReply
{
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

// A connection for one change, as for the core pointer control: a held one would outlive its session.
class Connection
{
public:
    Connection()
    {
        int screen = 0;
        connection = xcb_connect(nullptr, &screen);
        if (xcb_connection_has_error(connection) != 0)
            return;
        const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_input_id);
        if (extension == nullptr || extension->present == 0)
            return;
        // The server answers XInput 2 requests only after the client said which version it speaks.
        ReplyPtr<xcb_input_xi_query_version_reply_t> version(xcb_input_xi_query_version_reply(
            connection, xcb_input_xi_query_version(connection, 2, 0), nullptr));
        usable = version != nullptr && version->major_version >= 2;
    }
    ~Connection() { xcb_disconnect(connection); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The atom for `name`, or XCB_ATOM_NONE when no client (the driver included) ever made it.
    xcb_atom_t existingAtom(std::string_view name) const
    {
        ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 1, std::uint16_t(name.size()), name.data()), nullptr));
        return reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    // The slave pointers (the devices themselves, not the virtual core pointer).
    std::vector<xcb_input_device_id_t> pointers() const
    {
        std::vector<xcb_input_device_id_t> devices;
        ReplyPtr<xcb_input_xi_query_device_reply_t> reply(xcb_input_xi_query_device_reply(
            connection, xcb_input_xi_query_device(connection, XCB_INPUT_DEVICE_ALL), nullptr));
        if (reply == nullptr)
            return devices;
        for (auto it = xcb_input_xi_query_device_infos_iterator(reply.get()); it.rem > 0;
             xcb_input_xi_device_info_next(&it)) {
            if (it.data->type == XCB_INPUT_DEVICE_TYPE_SLAVE_POINTER)
                devices.push_back(it.data->deviceid);
        }
        return devices;
    }

    struct Property
    {
        xcb_atom_t type = XCB_ATOM_NONE;
        std::uint8_t format = 0;
        std::vector<std::uint8_t> bytes;
        std::uint32_t items = 0;
    };

    // The device's value of `property`; an empty type when the device does not have it.
    Property read(xcb_input_device_id_t device, xcb_atom_t property) const
    {
        Property value;
        ReplyPtr<xcb_input_xi_get_property_reply_t> reply(xcb_input_xi_get_property_reply(
            connection,
            xcb_input_xi_get_property(connection, device, 0, property, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                      kMaxItems),
            nullptr));
        if (reply == nullptr || reply->type == XCB_ATOM_NONE)
            return value;
        value.type = reply->type;
        value.format = reply->format;
        value.items = reply->num_items;
        const auto* items = static_cast<const std::uint8_t*>(xcb_input_xi_get_property_items(reply.get()));
        value.bytes.assign(items, items + std::size_t(reply->num_items) * (reply->format / 8));
        return value;
    }

    bool write(xcb_input_device_id_t device, xcb_atom_t property, const Property& value) const
    {
        // XCB sends the items padded to whole 4-byte units and reads the padding from our buffer.
        std::vector<std::uint8_t> padded = value.bytes;
        padded.resize((padded.size() + 3) / 4 * 4);
        const xcb_void_cookie_t cookie =
            xcb_input_xi_change_property_checked(connection, device, XCB_PROP_MODE_REPLACE, value.format,
                                                 property, value.type, value.items, padded.data());
        std::unique_ptr<xcb_generic_error_t, FreeReply> error(xcb_request_check(connection, cookie));
        return error == nullptr;
    }

    bool usable = false;

private:
    xcb_connection_t* connection = nullptr;
};

// Gives each libinput pointer's value of `name` to `change`, which edits it in place (false: leave the
// device alone), and writes it back.
template <typename Change> LibinputResult changeOnEveryDevice(std::string_view name, Change change)
{
    Connection connection;
    if (!connection.usable)
        return LibinputResult::NoDevices;
    const xcb_atom_t property = connection.existingAtom(name);
    if (property == XCB_ATOM_NONE)
        return LibinputResult::NoDevices;
    bool found = false;
    bool refused = false;
    for (const xcb_input_device_id_t device : connection.pointers()) {
        Connection::Property value = connection.read(device, property);
        if (value.type == XCB_ATOM_NONE || !change(connection, value))
            continue;
        found = true;
        refused = !connection.write(device, property, value) || refused;
    }
    if (!found)
        return LibinputResult::NoDevices;
    return refused ? LibinputResult::Failed : LibinputResult::Applied;
}

// The first libinput pointer's value of `name`, handed to `take`; false when no device has it.
template <typename Take> bool readFirstDevice(std::string_view name, Take take)
{
    Connection connection;
    if (!connection.usable)
        return false;
    const xcb_atom_t property = connection.existingAtom(name);
    if (property == XCB_ATOM_NONE)
        return false;
    for (const xcb_input_device_id_t device : connection.pointers()) {
        if (take(connection.read(device, property)))
            return true;
    }
    return false;
}

bool isAccelSpeed(const Connection& connection, const Connection::Property& value)
{
    return value.format == kFloatFormat && value.items == 1 &&
           value.type == connection.existingAtom(kFloatType);
}

} // namespace

LibinputResult writeAccelSpeed(double speed)
{
    const float value = float(speed);
    return changeOnEveryDevice(kAccelSpeed,
                               [value](const Connection& connection, Connection::Property& property) {
                                   if (!isAccelSpeed(connection, property))
                                       return false;
                                   std::memcpy(property.bytes.data(), &value, sizeof value);
                                   return true;
                               });
}

bool readAccelSpeed(double& speed)
{
    return readFirstDevice(kAccelSpeed, [&](const Connection::Property& property) {
        if (property.format != kFloatFormat || property.items != 1)
            return false;
        float value = 0;
        std::memcpy(&value, property.bytes.data(), sizeof value);
        speed = double(value);
        return true;
    });
}

LibinputResult writeAccelerated(bool accelerated)
{
    return changeOnEveryDevice(kAccelProfile,
                               [accelerated](const Connection&, Connection::Property& property) {
                                   // Adaptive is the first byte, flat the second; any further profile is
                                   // switched off.
                                   if (property.format != kProfileFormat || property.items < 2)
                                       return false;
                                   std::fill(property.bytes.begin(), property.bytes.end(), std::uint8_t(0));
                                   property.bytes[accelerated ? 0 : 1] = 1;
                                   return true;
                               });
}

bool readAccelerated(bool& accelerated)
{
    return readFirstDevice(kAccelProfile, [&](const Connection::Property& property) {
        if (property.format != kProfileFormat || property.items < 2)
            return false;
        accelerated = property.bytes[1] == 0;
        return true;
    });
}

} // namespace j2::platform::x11
