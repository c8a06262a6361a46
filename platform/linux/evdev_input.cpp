#include "evdev_input.h"

#include "input_source.h"

#include <array>

namespace j2::platform::linux_input {

namespace {

// Key codes of <linux/input-event-codes.h> that are named here.
constexpr unsigned kKeyLeftAlt = 56;
constexpr unsigned kKeyRightShift = 54;
constexpr unsigned kKeyNumLock = 69;
constexpr unsigned kKeyKeypadDot = 83;
constexpr unsigned kKey102nd = 86;
constexpr unsigned kKeyF12 = 88;
constexpr unsigned kKeyRightAlt = 100;
constexpr unsigned kKeySysRq = 99;

constexpr unsigned kScanSysRq = 0x54;

// From Esc to the keypad's dot, and from the 102nd key to F12, the kernel numbers keys by their set-1 scan
// code; two of them need the extended flag the maps expect.
constexpr bool isNumberedByScanCode(unsigned code)
{
    return (code >= 1 && code <= kKeyKeypadDot) || (code >= kKey102nd && code <= kKeyF12);
}

struct EvdevToPc
{
    unsigned evdevCode;
    PcKey key;
};

// Keys the kernel numbers on its own, with the scan codes a PC keyboard sends for them.
constexpr std::array kRenumberedKeys{
    EvdevToPc{kKeyRightShift, {0x36, true}}, // the maps know right Shift only with the flag
    EvdevToPc{kKeyNumLock, {0x45, true}},    // Num Lock carries the flag; Pause (below) does not
    EvdevToPc{96, {0x1C, true}},             // keypad Enter
    EvdevToPc{97, {0x1D, true}},             // right Ctrl
    EvdevToPc{98, {0x35, true}},             // keypad /
    EvdevToPc{kKeySysRq, {0x37, true}},      // Print Screen
    EvdevToPc{kKeyRightAlt, {0x38, true}},
    EvdevToPc{102, {0x47, true}},  // Home
    EvdevToPc{103, {0x48, true}},  // Up
    EvdevToPc{104, {0x49, true}},  // Page Up
    EvdevToPc{105, {0x4B, true}},  // Left
    EvdevToPc{106, {0x4D, true}},  // Right
    EvdevToPc{107, {0x4F, true}},  // End
    EvdevToPc{108, {0x50, true}},  // Down
    EvdevToPc{109, {0x51, true}},  // Page Down
    EvdevToPc{110, {0x52, true}},  // Insert
    EvdevToPc{111, {0x53, true}},  // Delete
    EvdevToPc{119, {0x45, false}}, // Pause
    EvdevToPc{125, {0x5B, true}},  // left Windows key
    EvdevToPc{126, {0x5C, true}},  // right Windows key
    EvdevToPc{127, {0x5D, true}},  // Menu
    EvdevToPc{183, {0x64, false}}, // F13 to F24
    EvdevToPc{184, {0x65, false}},
    EvdevToPc{185, {0x66, false}},
    EvdevToPc{186, {0x67, false}},
    EvdevToPc{187, {0x68, false}},
    EvdevToPc{188, {0x69, false}},
    EvdevToPc{189, {0x6A, false}},
    EvdevToPc{190, {0x6B, false}},
    EvdevToPc{191, {0x6C, false}},
    EvdevToPc{192, {0x6D, false}},
    EvdevToPc{193, {0x6E, false}},
    EvdevToPc{194, {0x76, false}},
};

struct ButtonMessages
{
    unsigned button;
    unsigned down;
    unsigned up;
};

constexpr std::array kButtonMessages{
    ButtonMessages{1, mouse_message::kLeftDown, mouse_message::kLeftUp},
    ButtonMessages{2, mouse_message::kMiddleDown, mouse_message::kMiddleUp},
    ButtonMessages{3, mouse_message::kRightDown, mouse_message::kRightUp},
};

} // namespace

std::optional<PcKey> pcKeyOfEvdev(unsigned evdevCode)
{
    for (const EvdevToPc& entry : kRenumberedKeys)
        if (entry.evdevCode == evdevCode)
            return entry.key;
    if (isNumberedByScanCode(evdevCode))
        return PcKey{evdevCode, false};
    return std::nullopt;
}

std::optional<unsigned> mouseMessageOfXButton(unsigned button, bool isDown)
{
    for (const ButtonMessages& entry : kButtonMessages)
        if (entry.button == button)
            return isDown ? entry.down : entry.up;
    return std::nullopt;
}

std::optional<EvdevKeyboard::Event> EvdevKeyboard::translate(unsigned evdevCode, bool isDown)
{
    if (evdevCode == kKeyLeftAlt)
        leftAltDown = isDown;
    else if (evdevCode == kKeyRightAlt)
        rightAltDown = isDown;
    const bool altDown = leftAltDown || rightAltDown;

    std::optional<PcKey> key = pcKeyOfEvdev(evdevCode);
    if (!key)
        return std::nullopt;
    if (evdevCode == kKeySysRq && altDown)
        key = PcKey{kScanSysRq, false};
    return Event{*key, altDown};
}

} // namespace j2::platform::linux_input
