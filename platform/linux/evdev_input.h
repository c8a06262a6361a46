#pragma once

// What the Linux input layer reports, in the terms of the hook's maps: PC set-1 scan codes with their
// extended flag, and Windows mouse messages. Plain C++, so that its tables are tested on their own.

#include <optional>

namespace j2::platform::linux_input {

// X keycodes are the kernel's evdev key codes shifted up by this much (the X protocol has no keycode 0-7).
constexpr unsigned kXKeycodeOffset = 8;

struct PcKey
{
    unsigned scanCode = 0;
    bool extended = false;
    bool operator==(const PcKey&) const = default;
};

// The key as a PC keyboard sends it with no modifier held; nothing for keys a PC keyboard does not have.
std::optional<PcKey> pcKeyOfEvdev(unsigned evdevCode);

// An X pointer button's message for the hook's button table: 1 left, 2 middle, 3 right; nothing for the
// wheel (4 to 7) and the extra buttons.
std::optional<unsigned> mouseMessageOfXButton(unsigned button, bool isDown);

// Follows the Alt keys across key events, the way the keyboard hook's Alt flag does: with Alt held, the
// Print Screen key sends the SysRq scan code 0x54 on a PC keyboard.
class EvdevKeyboard
{
public:
    struct Event
    {
        PcKey key;
        bool altDown = false;
    };
    // Nothing for keys a PC keyboard does not have (their Alt state is still followed).
    std::optional<Event> translate(unsigned evdevCode, bool isDown);

private:
    bool leftAltDown = false;
    bool rightAltDown = false;
};

} // namespace j2::platform::linux_input
