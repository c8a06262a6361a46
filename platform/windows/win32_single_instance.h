#pragma once

// Win32 only, free of Qt so that it can be checked with a plain MinGW compiler.

namespace j2::win32 {

// A named mutex in the session's namespace: the first holder wins, later ones see ERROR_ALREADY_EXISTS.
class NamedMutex
{
public:
    NamedMutex() = default;
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // True when no other process holds a mutex of that name.
    bool acquire(const wchar_t* name);

private:
    void* handle = nullptr;
};

} // namespace j2::win32
