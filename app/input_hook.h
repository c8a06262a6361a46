#pragma once

// The global keyboard and mouse hook: turns every physical key into a USB HID keyboard usage code and
// every left, right and middle button into the scene's mouse code, and hands them to the callbacks the
// start-up code registers. Keys are reported only when they change between pressed and released. Plain
// C++: the events come from a platform source (low-level hooks on Windows, XInput 2 on X11).

#include "input_source.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class Input_Hook final : public j2::platform::InputSink
{
public:
    using KeyboardCallback = void (*)(int usage, bool isDown, void* context);
    using MouseCallback = void (*)(unsigned code, bool isDown, int x, int y, void* context);
    using SourceFactory =
        std::function<std::unique_ptr<j2::platform::InputSource>(j2::platform::InputSink& sink)>;

    // The scene's codes for the mouse buttons, after the keyboard usages.
    static constexpr unsigned kLeftButton = 0xF0;
    static constexpr unsigned kRightButton = 0xF1;
    static constexpr unsigned kMiddleButton = 0xF2;

    // Becomes the current hook object, builds both maps and installs the source `makeSource` gives (none
    // when it gives none: the events are then fed in by hand). The switch chooses the usage of virtual key
    // 0xDC, which sits on different keys of different keyboard layouts.
    explicit Input_Hook(bool layoutSwitch,
                        const SourceFactory& makeSource = j2::platform::makeSystemInputSource);
    // No removal here: the hooks are removed by an explicit call once the event loop has ended.
    ~Input_Hook() override;
    Input_Hook(const Input_Hook&) = delete;
    Input_Hook& operator=(const Input_Hook&) = delete;

    // The object the constructor made current; null before.
    static Input_Hook* current() { return currentHook; }

    // True when the whole desktop's events flow; the start-up goes on either way.
    bool install();
    void remove();

    // A later call replaces the earlier pair.
    void registerKeyboardCallback(KeyboardCallback callback, void* context);
    void registerMouseCallback(MouseCallback callback, void* context);

    bool layoutSwitch() const { return switchedLayout; }
    // Scan code × 256 + extended flag → Windows virtual-key code.
    const std::map<std::uint16_t, std::uint8_t>& scanToVk() const { return scanToVkMap; }
    // Virtual-key code → USB HID keyboard usage.
    const std::map<std::uint8_t, std::uint8_t>& vkToUsb() const { return vkToUsbMap; }

    // The keyboard procedure: translates, reports a change of the key's state, and never swallows.
    void keyboardEvent(bool isDown, unsigned scanCode, bool extended, bool altDown) override;
    // The mouse procedure: reports the left, right and middle button messages, every one of them.
    void mouseMessage(unsigned message, int x, int y) override;

private:
    static inline Input_Hook* currentHook = nullptr;

    bool switchedLayout;
    std::unique_ptr<j2::platform::InputSource> source;
    std::map<std::uint16_t, std::uint8_t> scanToVkMap;
    std::map<std::uint8_t, std::uint8_t> vkToUsbMap;
    // The last reported state of each usage: auto-repeat presses find it pressed already.
    std::array<std::uint8_t, 256> keyState{};
    KeyboardCallback keyReceiver = nullptr;
    void* keyReceiverContext = nullptr;
    MouseCallback buttonReceiver = nullptr;
    void* buttonReceiverContext = nullptr;
};
