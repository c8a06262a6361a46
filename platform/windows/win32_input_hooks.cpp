#include "win32_input_hooks.h"

#include <windows.h>

namespace j2::win32 {

namespace {

// The hook procedures are plain functions that Windows calls: they find their sink and handles here.
j2::platform::InputSink* currentSink = nullptr;
HHOOK keyboardHook = nullptr;
HHOOK mouseHook = nullptr;

LRESULT CALLBACK keyboardProcedure(int nCode, WPARAM wParam, LPARAM lParam)
{
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (currentSink != nullptr && key != nullptr) {
        const bool isDown = nCode == HC_ACTION && (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN);
        currentSink->keyboardEvent(isDown, unsigned(key->scanCode), (key->flags & LLKHF_EXTENDED) != 0,
                                   (key->flags & LLKHF_ALTDOWN) != 0);
    }
    return CallNextHookEx(keyboardHook, nCode, wParam, lParam);
}

LRESULT CALLBACK mouseProcedure(int nCode, WPARAM wParam, LPARAM lParam)
{
    const auto* mouse = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    if (currentSink != nullptr && mouse != nullptr)
        currentSink->mouseMessage(unsigned(wParam), int(mouse->pt.x), int(mouse->pt.y));
    return CallNextHookEx(mouseHook, nCode, wParam, lParam);
}

} // namespace

bool installInputHooks(j2::platform::InputSink* sink)
{
    if (keyboardHook != nullptr || mouseHook != nullptr)
        removeInputHooks();
    currentSink = sink;
    const HINSTANCE program = GetModuleHandleW(nullptr);
    keyboardHook = SetWindowsHookExW(WH_KEYBOARD_LL, keyboardProcedure, program, 0);
    mouseHook = SetWindowsHookExW(WH_MOUSE_LL, mouseProcedure, program, 0);
    if (keyboardHook != nullptr && mouseHook != nullptr)
        return true;
    keyboardHook = nullptr;
    mouseHook = nullptr;
    return false;
}

void removeInputHooks()
{
    if (keyboardHook != nullptr)
        UnhookWindowsHookEx(keyboardHook);
    if (mouseHook != nullptr)
        UnhookWindowsHookEx(mouseHook);
    keyboardHook = nullptr;
    mouseHook = nullptr;
}

namespace {

class WindowsInputSource final : public j2::platform::InputSource
{
public:
    explicit WindowsInputSource(j2::platform::InputSink& sink) : receiver(sink) {}
    // Removal is the owner's call; the hooks may outlive this object, but they no longer reach its sink.
    ~WindowsInputSource() override
    {
        if (currentSink == &receiver)
            currentSink = nullptr;
    }
    WindowsInputSource(const WindowsInputSource&) = delete;
    WindowsInputSource& operator=(const WindowsInputSource&) = delete;

    bool install() override { return installInputHooks(&receiver); }
    void remove() override { removeInputHooks(); }

private:
    j2::platform::InputSink& receiver;
};

} // namespace

} // namespace j2::win32

namespace j2::platform {

std::unique_ptr<InputSource> makeSystemInputSource(InputSink& sink)
{
    return std::make_unique<j2::win32::WindowsInputSource>(sink);
}

} // namespace j2::platform
