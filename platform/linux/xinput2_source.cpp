#include "xinput2_source.h"

#include "evdev_input.h"
#include "platform_log.h"

#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>
#include <optional>

namespace j2::platform::linux_input {

namespace {

// Raw events: the keys and buttons as the devices send them, before any window or grab takes them, and
// sent to every client that asks for them on the root window. Version 2.1 and later deliver them even
// while another program holds a grab.
constexpr std::uint32_t kRequiredMajor = 2;
constexpr std::uint32_t kRequestedMinor = 2;
constexpr std::uint32_t kRawEventMask =
    XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE |
    XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE;
// The top bit of an event's type only says that another client sent it.
constexpr std::uint8_t kEventTypeBits = 0x7F;

struct RawEventSelection
{
    xcb_input_event_mask_t header;
    std::uint32_t mask;
};

struct PointerPosition
{
    int x = 0;
    int y = 0;
};

class XcbXInput2Source final : public XInput2Source
{
public:
    explicit XcbXInput2Source(InputSink& sink) : receiver(sink) {}
    ~XcbXInput2Source() override { remove(); }
    XcbXInput2Source(const XcbXInput2Source&) = delete;
    XcbXInput2Source& operator=(const XcbXInput2Source&) = delete;

    bool install() override
    {
        remove();
        reason.clear();
        int screenNumber = 0;
        connection = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(connection) != 0)
            return fail("no X display");
        const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_input_id);
        if (extension == nullptr || extension->present == 0)
            return fail("the X server has no XInput extension");
        xinputOpcode = extension->major_opcode;
        xcb_input_xi_query_version_reply_t* version = xcb_input_xi_query_version_reply(
            connection, xcb_input_xi_query_version(connection, kRequiredMajor, kRequestedMinor), nullptr);
        const bool hasVersion2 = version != nullptr && version->major_version >= kRequiredMajor;
        std::free(version);
        if (!hasVersion2)
            return fail("the X server has no XInput 2");

        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
        for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
            xcb_screen_next(&screens);
        if (screens.rem == 0)
            return fail("the X display has no such screen");
        root = screens.data->root;

        // Master devices only: each slave's events reach us once, through the master it is attached to.
        const RawEventSelection selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, kRawEventMask};
        xcb_generic_error_t* error = xcb_request_check(
            connection, xcb_input_xi_select_events_checked(connection, root, 1, &selection.header));
        if (error != nullptr) {
            std::free(error);
            return fail("the X server refused raw events");
        }

        notifier =
            std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(), [this] { drain(); });
        // Events that arrived during the set-up's round trips already wait in the queue.
        drain();
        return true;
    }

    void remove() override
    {
        notifier.reset();
        if (connection != nullptr)
            xcb_disconnect(connection);
        connection = nullptr;
    }

    const std::string& failure() const override { return reason; }

private:
    bool fail(const char* why)
    {
        remove();
        reason = why;
        return false;
    }

    void drain()
    {
        // Reads the socket and the queue alike: events read during a pointer query are handled here too.
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            if ((event->response_type & kEventTypeBits) == XCB_GE_GENERIC) {
                const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
                if (generic->extension == xinputOpcode)
                    handle(generic);
            }
            std::free(event);
        }
        // A lost server would keep the socket readable for ever.
        if (xcb_connection_has_error(connection) != 0) {
            qCDebug(lcPlatform, "input: the X server went away; no more global key and mouse events");
            notifier->setEnabled(false);
        }
    }

    void handle(const xcb_ge_generic_event_t* event)
    {
        switch (event->event_type) {
        case XCB_INPUT_RAW_KEY_PRESS:
        case XCB_INPUT_RAW_KEY_RELEASE: {
            const auto* key = reinterpret_cast<const xcb_input_raw_key_press_event_t*>(event);
            if (key->detail < kXKeycodeOffset)
                return;
            const bool isDown = event->event_type == XCB_INPUT_RAW_KEY_PRESS;
            if (const auto translated = keyboard.translate(key->detail - kXKeycodeOffset, isDown))
                receiver.keyboardEvent(isDown, translated->key.scanCode, translated->key.extended,
                                       translated->altDown);
            return;
        }
        case XCB_INPUT_RAW_BUTTON_PRESS:
        case XCB_INPUT_RAW_BUTTON_RELEASE: {
            const auto* button = reinterpret_cast<const xcb_input_raw_button_press_event_t*>(event);
            const auto message =
                mouseMessageOfXButton(button->detail, event->event_type == XCB_INPUT_RAW_BUTTON_PRESS);
            if (!message)
                return;
            // Raw events carry no position; the server's pointer is where the button was pressed.
            const PointerPosition position = pointerPosition().value_or(PointerPosition{});
            receiver.mouseMessage(*message, position.x, position.y);
            return;
        }
        default:
            return;
        }
    }

    std::optional<PointerPosition> pointerPosition()
    {
        xcb_query_pointer_reply_t* reply =
            xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr);
        if (reply == nullptr)
            return std::nullopt;
        const PointerPosition position{reply->root_x, reply->root_y};
        std::free(reply);
        return position;
    }

    InputSink& receiver;
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    std::uint8_t xinputOpcode = 0;
    std::unique_ptr<QSocketNotifier> notifier;
    EvdevKeyboard keyboard;
    std::string reason;
};

} // namespace

std::unique_ptr<XInput2Source> makeXInput2Source(InputSink& sink)
{
    return std::make_unique<XcbXInput2Source>(sink);
}

} // namespace j2::platform::linux_input
