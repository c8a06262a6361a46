#pragma once

// Plain C++ on purpose: the Windows hooks behind it are checked with a MinGW compiler that has no Qt.

#include <memory>

namespace j2::platform {

// Mouse buttons travel as the Windows mouse messages: the hook's button table is written in them, and the
// other systems translate their buttons into them.
namespace mouse_message {
constexpr unsigned kLeftDown = 0x201;
constexpr unsigned kLeftUp = 0x202;
constexpr unsigned kLeftDoubleClick = 0x203;
constexpr unsigned kRightDown = 0x204;
constexpr unsigned kRightUp = 0x205;
constexpr unsigned kRightDoubleClick = 0x206;
constexpr unsigned kMiddleDown = 0x207;
constexpr unsigned kMiddleUp = 0x208;
} // namespace mouse_message

// Where a source delivers the raw events, on the GUI thread, as they happen.
class InputSink
{
public:
    virtual ~InputSink() = default;
    // A key went down (again, while it auto-repeats) or up. `scanCode` is the PC set-1 scan code and
    // `extended` its E0 prefix, the way a PC keyboard tells the two Enter, Ctrl and Alt keys apart;
    // `altDown` is set while either Alt key is held.
    virtual void keyboardEvent(bool isDown, unsigned scanCode, bool extended, bool altDown) = 0;
    // A mouse message with the pointer's position on the desktop; the sink picks the ones it reports.
    virtual void mouseMessage(unsigned message, int x, int y) = 0;
};

// Hears the keyboard and the mouse buttons, for the whole desktop where the system allows it. Nothing is
// ever swallowed: every event still reaches the application that has the focus.
class InputSource
{
public:
    virtual ~InputSource() = default;
    // Starts delivering to the sink, removing an earlier installation first. True when the whole desktop's
    // events are delivered; false when none are, or only those of the program's own windows.
    virtual bool install() = 0;
    virtual void remove() = 0;
};

// The system's own source: low-level hooks on Windows; XInput 2 raw events on X11, the program's own
// windows elsewhere (Wayland lets no program hear the others).
std::unique_ptr<InputSource> makeSystemInputSource(InputSink& sink);

} // namespace j2::platform
