#include "win32_single_instance.h"

#include <windows.h>

namespace j2::win32 {

NamedMutex::~NamedMutex()
{
    if (handle != nullptr)
        CloseHandle(static_cast<HANDLE>(handle));
}

bool NamedMutex::acquire(const wchar_t* name)
{
    if (handle != nullptr)
        return true;
    HANDLE created = CreateMutexW(nullptr, TRUE, name);
    if (created == nullptr)
        return false;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(created);
        return false;
    }
    handle = created;
    return true;
}

} // namespace j2::win32
